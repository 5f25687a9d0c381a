// The modes' HUD: banners, team selection, scoreboards, map flags and the
// hill flags' capture bars. The dedicated server leaves this file out
// (GameModDedicated.cpp).
#include "game/world/modes/GameMod.h"

#include "engine/core/StringKit.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "engine/render/Quad.h"
#include "engine/render/TextLayout.h"
#include "game/world/geometry/Quad.h"
#include "game/world/modes/CaptureTheFlag.h"
#include "game/world/modes/KingOfTheHill.h"
#include "game/world/modes/MissionItemFlag.h"
#include "game/world/modes/TeamDM.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kYellow[3] = {255, 255, 0};
constexpr int kCapturedPicture = 2; // "gfx/gui/captured.png" in the shared table

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
    const int step = TextLayout::Step(renderer, 15);
    Text(renderer, 50, 150, u"Select team", kYellow);
    const int first = 150 + TextLayout::Step(renderer, 20);
    Util::FormatTo(line, 65, u"1. Finland (%d)", CountTeam(kFinland));
    Text(renderer, 50, first, line, kFinlandRgb);
    Util::FormatTo(line, 65, u"2. Russia (%d)", CountTeam(kRussia));
    Text(renderer, 50, first + step, line, kRussiaRgb);
    Text(renderer, 50, first + 2 * step, u"0. Exit", kYellow);
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
    struct Row {
        const char16_t* name;
        char16_t score[64];
        bool russian;
    };
    std::vector<Row> rows;
    int n = 0; // the used slot's index, as the handler counts them
    for (int i = 0; handler && i < IMultiplayerHandler::kSlotCount; ++i) {
        const PlayerSlot* slot = handler->GetSlot(i);
        if (!slot || !slot->IsUsed())
            continue;
        // Teams outside 0..7 are listed with Finland.
        Row row{slot->name, {}, slot->team == kRussia};
        const int frags = handler->GetPlayerFragsAt(n++), captures = CapturesOf(slot->id);
        Util::FormatTo(row.score, 64, u"%d (%d)", ScoreboardScore(slot->id, frags, captures), int(slot->value));
        rows.push_back(row);
    }
    // The designed columns, pushed right where a wider font needs the room.
    constexpr int kGap = 8;
    int widest[2][2] = {{0, 0}, {0, 0}};
    for (const Row& row : rows) {
        int* w = widest[row.russian ? 1 : 0];
        w[0] = std::max(w[0], renderer->GetTextWidth(row.name));
        w[1] = std::max(w[1], renderer->GetTextWidth(row.score));
    }
    const int finScore = std::max(457, 313 + widest[0][0] + kGap);
    const int shift = std::max(0, finScore + widest[0][1] + kGap - 523);
    const int rusName = 523 + shift, rusScore = std::max(667 + shift, rusName + widest[1][0] + kGap);
    char16_t line[64];
    Text(renderer, 337, 250, u"FINLAND", kFinlandRgb);
    Util::FormatTo(line, 64, u"%d", finlandNumber);
    Text(renderer, std::max(429, 337 + renderer->GetTextWidth(u"FINLAND") + kGap), 250, line, kFinlandRgb);
    Text(renderer, 555 + shift, 250, u"RUSSIA", kRussiaRgb);
    Util::FormatTo(line, 64, u"%d", russiaNumber);
    Text(renderer, std::max(639 + shift, 555 + shift + renderer->GetTextWidth(u"RUSSIA") + kGap), 250, line,
         kRussiaRgb);
    int used[2] = {0, 0};
    const int step = TextLayout::Step(renderer, 15);
    for (const Row& row : rows) {
        const int y = 281 + step * used[row.russian ? 1 : 0]++;
        const int* rgb = row.russian ? kRussiaRgb : kFinlandRgb;
        Text(renderer, row.russian ? rusName : 313, y, row.name, rgb);
        Text(renderer, row.russian ? rusScore : finScore, y, row.score, rgb);
    }
}

void CaptureTheFlag::DrawHud()
{
    if (scoringTeam_ != -1)
        DrawScoringBanner(scoringTeam_, GetBannerAlpha());
}

void CaptureTheFlag::DrawScoreboard()
{
    DrawScoreboardFrame(GetScoreboardNumber(kFinland), GetScoreboardNumber(kRussia));
}

void CaptureTheFlag::DrawMapFlags(float x, float y, float scaleX, float scaleY)
{
    ObjectManager* objects = Objects();
    if (!objects)
        return;
    objects->ForEachObject([&](Object* object) {
        MissionItem* item = object->GetKind() == ObjectKind::MissionItem ? dynamic_cast<MissionItem*>(object) : nullptr;
        const int type = item ? item->GetType() : MissionItem::None;
        const char16_t* file = type == MissionItem::Finnish   ? u"mission/flag_fin_s.png"
                               : type == MissionItem::Russian ? u"mission/flag_rus_s.png"
                               : type == MissionItem::Blank   ? u"mission/flag_white_s.png"
                                                              : nullptr;
        if (file)
            DrawImage(Image(file), x + item->GetX() * scaleX - 16.0f, y + item->GetY() * scaleY - 16.0f, 1.0f);
    });
}

void KingOfTheHill::DrawHud()
{
    if (roundWinner_ != -1)
        DrawScoringBanner(roundWinner_, 0.7f);
}

void KingOfTheHill::DrawScoreboard()
{
    DrawScoreboardFrame(GetScoreboardNumber(kFinland), GetScoreboardNumber(kRussia));
}

void KingOfTheHill::DrawMapFlags(float x, float y, float scaleX, float scaleY)
{
    ForEachHillFlag([&](MissionItemFlag* flag) {
        const int team = flag->GetTeam();
        ITexture* mark = Image(team == kFinland  ? u"mission/flag_fin_s.png"
                               : team == kRussia ? u"mission/flag_rus_s.png"
                                                 : u"mission/flag_white_s.png");
        DrawImage(mark, x + flag->GetX() * scaleX - 16.0f, y + flag->GetY() * scaleY - 16.0f, 1.0f);
    });
}

void MissionItemFlag::DrawIndicator()
{
    IRenderer* renderer = Services().renderer;
    CommonMedia* media = Services().media;
    if (stale_ || !renderer || !ObjectView::InView(x_, y_, 100.0f) || !(progress_ > 0.0f))
        return;
    float camX, camY;
    ObjectView::CameraOffset(&camX, &camY);
    const float sx = x_ - camX, sy = y_ - camY;
    if (ITexture* captured = media ? media->textures[kCapturedPicture] : nullptr) {
        Quad quad;
        quad.SetFromTexture(captured);
        quad.Translate(sx, sy + 70.0f);
        renderer->SetTexture(0, captured);
        renderer->DrawScreenQuad(&quad, true, 0.75f);
    }
    const float width = std::fmin(progress_, 1.0f) * 109.0f;
    FillScreenRect(renderer, sx + 9.0f, sy + 92.0f, sx + 9.0f + width, sy + 101.0f, 176, 176, 176, 0.8f);
}

void TeamDM::DrawScoreboard()
{
    if (IsGameOver()) {
        if (ITexture* banner = Image(GetResultImage()))
            DrawImage(banner, 500.0f - float(banner->GetWidth() / 2), 51.0f, 1.0f);
    }
    DrawScoreboardFrame(GetScoreboardNumber(kFinland), GetScoreboardNumber(kRussia));
}
