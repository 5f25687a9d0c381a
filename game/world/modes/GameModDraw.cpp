#include "game/world/modes/GameMod.h"

#ifndef VORNHAL_DEDICATED

#include "engine/core/StringKit.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "engine/render/Quad.h"
#include "game/world/geometry/Quad.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/state/WorldServices.h"

namespace {

constexpr int kYellow[3] = {255, 255, 0};

void Text(IRenderer* renderer, int x, int y, const char16_t* text, const int* rgb)
{
    renderer->DrawText(x, y, text, rgb[0], rgb[1], rgb[2]);
}

} // namespace

ITexture* GameMod::Image(const char16_t* file)
{
    for (const CachedImage& image : images_)
        if (image.file == file)
            return image.texture;
    IResourceManager* resources = Services().resources;
    ITexture* texture = resources ? resources->LoadImage(file, false, 0) : nullptr;
    images_.push_back({file, texture});
    return texture;
}

void GameMod::DrawImage(ITexture* image, float x, float y, float alpha)
{
    IRenderer* renderer = Services().renderer;
    if (!renderer || !image)
        return;
    Quad quad;
    quad.SetFromTexture(image);
    quad.Translate(x, y);
    renderer->SetTexture(0, image);
    renderer->DrawQuad(&quad, alpha);
}

void GameMod::DrawScoringBanner(int team, float alpha)
{
    if (team != kFinland && team != kRussia)
        return;
    ITexture* banner = Image(team == kFinland ? u"gui/finland_scores.png" : u"gui/russia_scores.png");
    if (banner)
        DrawImage(banner, 512.0f - float(banner->GetWidth() / 2), 200.0f, alpha);
}

void GameMod::DrawTeamSelect()
{
    IRenderer* renderer = Services().renderer;
    if (!renderer)
        return;
    char16_t line[65];
    Text(renderer, 50, 150, u"Select team", kYellow);
    Util::FormatTo(line, 65, u"1. Finland (%d)", CountTeam(kFinland));
    Text(renderer, 50, 170, line, kFinlandRgb);
    Util::FormatTo(line, 65, u"2. Russia (%d)", CountTeam(kRussia));
    Text(renderer, 50, 185, line, kRussiaRgb);
    Text(renderer, 50, 200, u"0. Exit", kYellow);
}

void GameMod::DrawScoreboardFrame(int finlandNumber, int russiaNumber)
{
    IRenderer* renderer = Services().renderer;
    IMultiplayerHandler* handler = Handler();
    if (!renderer)
        return;
    FillScreenRect(renderer, 300.0f, 115.0f, 700.0f, 495.0f, 0, 0, 0, 0.5f);
    DrawImage(Image(u"finland.png"), 330.0f, 115.0f, 1.0f);
    DrawImage(Image(u"soviet.png"), 536.0f, 115.0f, 1.0f);
    char16_t line[64];
    Text(renderer, 337, 250, u"FINLAND", kFinlandRgb);
    Util::FormatTo(line, 64, u"%d", finlandNumber);
    Text(renderer, 429, 250, line, kFinlandRgb);
    Text(renderer, 555, 250, u"RUSSIA", kRussiaRgb);
    Util::FormatTo(line, 64, u"%d", russiaNumber);
    Text(renderer, 639, 250, line, kRussiaRgb);
    if (!handler)
        return;
    int rows[2] = {0, 0};
    int n = 0; // the used slot's index, as the handler counts them
    for (int i = 0; i < IMultiplayerHandler::kSlotCount; ++i) {
        const PlayerSlot* slot = handler->GetSlot(i);
        if (!slot || !slot->IsUsed())
            continue;
        // Teams outside 0..7 are listed with Finland.
        bool russian = slot->team == kRussia;
        int frags = handler->GetPlayerFragsAt(n), captures = CapturesOf(slot->id);
        ++n;
        int y = 281 + 15 * rows[russian ? 1 : 0]++;
        const int* rgb = russian ? kRussiaRgb : kFinlandRgb;
        Text(renderer, russian ? 523 : 313, y, slot->name, rgb);
        Util::FormatTo(line, 64, u"%d (%d)", ScoreboardScore(slot->id, frags, captures), int(slot->value));
        Text(renderer, russian ? 667 : 457, y, line, rgb);
    }
}

#else

ITexture* GameMod::Image(const char16_t*)
{
    return nullptr;
}

void GameMod::DrawImage(ITexture*, float, float, float) {}
void GameMod::DrawScoringBanner(int, float) {}
void GameMod::DrawTeamSelect() {}
void GameMod::DrawScoreboardFrame(int, int) {}

#endif
