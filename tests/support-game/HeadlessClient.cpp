#include "HeadlessClient.h"

#include "engine/net/IClient.h"
#include "game/world/player/Player.h"

#include <cmath>

namespace TestGame {

HeadlessClient::HeadlessClient(const std::string& gameDir) : game_(gameDir) {}

HeadlessClient::~HeadlessClient() { Leave(); }

bool HeadlessClient::Join(const char16_t* host, int port, const char16_t* password)
{
    if (!game_.Ok())
        return false;
    GameSystem& state = game_.Game();
    state.SetActiveHandler(nullptr);
    Leave();
    client_ = game_.GetEngine().CreateClient();
    if (!client_)
        return false;
    client_->SetListener(&state);
    if (!client_->Connect(host, port, password))
        return false;
    state.SetActiveHandler(&game_.Handler());
    game_.Handler().SetClient(client_);
    if (!game_.Handler().WaitForLevel()) {
        game_.Handler().Stop();
        return false;
    }
    return true;
}

void HeadlessClient::Leave()
{
    if (!client_)
        return;
    game_.Handler().Stop();
    game_.Handler().SetClient(nullptr);
    if (game_.Ok())
        game_.Game().SetActiveHandler(nullptr);
    delete client_;
    client_ = nullptr;
}

void HeadlessClient::ApplyStep(const ScriptStep& step)
{
    ClientHandler& handler = game_.Handler();
    switch (step.kind) {
    case ScriptStep::Move:
        flags_ = (flags_ & ~PlayerInputFlags::Movement) | step.moveFlags;
        break;
    case ScriptStep::Aim:
        aimX_ = step.aimX, aimY_ = step.aimY;
        flags_ |= PlayerInputFlags::Aiming;
        break;
    case ScriptStep::Fire:
        flags_ |= PlayerInputFlags::Shoot;
        break;
    case ScriptStep::SwitchWeapon:
        weapon_ = step.weapon;
        break;
    case ScriptStep::Chat:
        if (held_ == 0)
            handler.SendChat(step.text.c_str(), step.teamOnly);
        break;
    case ScriptStep::TeamChange:
        if (held_ == 0)
            handler.RequestTeamChange(step.team);
        break;
    }
}

void HeadlessClient::Frame(float dt)
{
    ClientHandler& handler = game_.Handler();
    if (step_ < script_.size()) {
        ApplyStep(script_[step_]);
        if (++held_ >= script_[step_].frames) {
            // Firing is a press: it ends with its step.
            if (script_[step_].kind == ScriptStep::Fire)
                flags_ &= ~PlayerInputFlags::Shoot;
            ++step_, held_ = 0;
        }
    }
    handler.Update(dt);
    handler.ProcessNetwork();
    // The own player moves by the client's prediction, as the scene step
    // drives it; the server takes the predicted place from the client state.
    Player* own = handler.GetOwnPlayer();
    float x = own ? own->GetX() : 0.0f, y = own ? own->GetY() : 0.0f;
    // 0 faces up the screen, 90 to the right.
    float facing = std::atan2(aimX_ - x, y - aimY_) * 180.0f / 3.1416f;
    if (own)
        own->SetInputState(flags_, facing, weapon_, explosive_, 0.0f);
    game_.Game().Update(dt);
    if ((own = handler.GetOwnPlayer()) != nullptr)
        x = own->GetX(), y = own->GetY();
    handler.SetClientState(int(flags_), x, y, facing, weapon_, explosive_, aimX_, aimY_);
}

} // namespace TestGame
