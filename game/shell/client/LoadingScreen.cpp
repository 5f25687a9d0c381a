// The loading screen: a full-screen picture with the last lines of the
// loading log, and the password prompt under them while it is asked for.
#include "game/shell/client/Game.h"

#include "engine/core/IEngine.h"
#include "engine/render/IRenderer.h"
#include "game/shell/menu/ChatMenu.h"

namespace {

constexpr int kLogX = 10;
constexpr int kLogTop = 688;
constexpr int kLogStep = 15;
constexpr int kLogGrey = 197;

} // namespace

bool Game::DrawLoadingScreen(bool withInput)
{
    if (!renderer_ || !engine_)
        return false;
    if (!play_.loadingPicture)
        play_.loadingPicture = engine_->LoadTexture(u"gfx/loading.png", false, 0);
    if (!renderer_->PrepareTextures())
        return false;
    renderer_->BeginScene();
    if (play_.loadingPicture) {
        renderer_->SetTexture(0, play_.loadingPicture);
        renderer_->DrawImage(0, 0, false);
    }
    for (int i = 0; i < kLoadingLines; ++i)
        renderer_->DrawText(kLogX, kLogTop + i * kLogStep, loadingLog_[i], kLogGrey, kLogGrey, kLogGrey);
    if (withInput && play_.password && input_)
        MenuSystem::Step(play_.password.get(), false);
    renderer_->EndScene();
    return renderer_->Present();
}
