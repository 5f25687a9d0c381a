// The status bar along the bottom of the screen and what lies on it.
#include "game/shell/hud/HudFrame.h"

#include "engine/core/StringKit.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/player/Player.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/Inventory.h"
#include "game/world/resources/Resource.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>

namespace {

constexpr int kDetonator = 8;
constexpr int kExplosives = 4;
constexpr float kStaminaFull = 10.0f;
// A full stamina bar lasts this long and refills in as long.
constexpr float kStaminaSeconds = 3.0f;

void Fill(HudFrame& f, float x0, float y0, float x1, float y1, int r, int g, int b, float alpha)
{
    FillScreenRect(f.r, x0, y0, x1, y1, r, g, b, alpha);
}

const WeaponDef* Definition(int id)
{
    const WeaponTable* table = Services().weapons;
    return table && id != -1 ? table->FindWeapon(id) : nullptr;
}

ITexture* IconOf(int id)
{
    const WeaponDef* def = Definition(id);
    return def ? def->slotImage : nullptr;
}

// The clip and the ammunition of a carried weapon; 0 and 0 otherwise.
void AmmoOf(Inventory* inventory, int id, int* clip, int* ammo)
{
    *clip = *ammo = 0;
    if (inventory && id != -1 && !inventory->GetWeaponAmmo(id, ammo, clip))
        *clip = *ammo = 0;
}

// One icon per grenade carried, explosive by explosive, six at most.
void DrawGrenadeRow(HudFrame& f)
{
    IResourceManager* resources = Services().resources;
    if (!f.inventory || !resources)
        return;
    float d = 0.0f;
    for (const Inventory::WeaponEntry& entry : f.inventory->GetWeapons()) {
        if (entry.category != kExplosives || d >= 190.0f)
            continue;
        IResource* resource = resources->GetById(entry.id);
        Resource* graphics = resource ? resource->FindGraphicsByFile(u"grenade") : nullptr;
        ITexture* image = graphics ? static_cast<IResource*>(graphics)->GetImage() : nullptr;
        if (!image)
            continue;
        int clip = 0, ammo = 0;
        AmmoOf(f.inventory, entry.id, &clip, &ammo);
        for (long long n = (long long)clip + ammo; n > 0 && d < 190.0f; --n, d += 31.666666f)
            Hud::DrawPicture(f, image, 0, 0, image->GetWidth(), image->GetHeight(), float(477 + int(d)), 731, true);
    }
}

} // namespace

namespace Hud {

void DrawDamageFlash(HudFrame& f)
{
    SceneState& s = *f.scene;
    if (!f.local)
        return;
    const float health = f.Health();
    if (health < s.lastHealth)
        s.damageFlash = 0.3f;
    s.lastHealth = health;
    const bool dying = health <= 0.0f && s.deathTime < Player::kRespawnDelay;
    if (s.damageFlash <= 0.0f && !dying)
        return;
    if (health > 0.0f)
        Fill(f, 0, 0, 1024, 768, 143, 0, 0, s.damageFlash);
    else
        Fill(f, 0, 0, 1024, 768, 255, 0, 0, 0.3f);
    s.damageFlash = std::max(0.0f, s.damageFlash - f.dt2);
}

void DrawStatusBar(HudFrame& f)
{
    ITexture* bar = f.Picture(CommonMedia::GuiBar);
    if (!bar)
        return;
    f.r->SetTexture(0, bar);
    f.r->DrawImage(0, 704, true);
}

void DrawNumber(HudFrame& f, float value, int x, int y)
{
    ITexture* digits = f.Picture(CommonMedia::GuiFont);
    if (!digits)
        return;
    char16_t text[8];
    Util::FormatTo(text, 8, u"%d", Truncate(value, 0, 999));
    for (int i = 0; text[i]; ++i) {
        // Cell k holds the digit k + 1; the last cell holds 0.
        const int cell = text[i] == u'0' ? 9 : text[i] - u'1';
        DrawPicture(f, digits, cell * 13, 0, cell * 13 + 13, 13, float(x + 13 * i), float(y), true);
    }
}

void DrawHealthAndArmour(HudFrame& f)
{
    DrawNumber(f, f.local ? f.local->GetHealth() : 0.0f, 41, 732);
    DrawNumber(f, f.local ? f.local->GetArmour() : 0.0f, 144, 732);
}

void KeepExplosives(HudFrame& f)
{
    Inventory* inventory = f.inventory;
    if (!inventory)
        return;
    const int explosive = inventory->GetSelectedExplosive();
    if (explosive != -1) {
        Inventory::WeaponEntry* entry = inventory->FindWeapon(explosive, false);
        Inventory::AmmoEntry* ammo = entry ? inventory->FindAmmo(entry->ammoType) : nullptr;
        const long long left = (entry ? entry->clip : 0) + (long long)(ammo ? ammo->amount : 0);
        if (left < 1) {
            inventory->RemoveWeapon(explosive);
            inventory->ClearSelectedExplosive();
        }
        return;
    }
    const auto& weapons = inventory->GetWeapons();
    auto isExplosive = [](const Inventory::WeaponEntry& w) { return w.category == kExplosives; };
    const bool carriesExplosive = std::any_of(weapons.begin(), weapons.end(), isExplosive);
    if (!carriesExplosive)
        return;
    const int pending = inventory->CycleWeapon(kExplosives);
    if (pending != -1)
        inventory->SelectWeapon(pending);
    inventory->CancelCycle();
}

void DrawAmmunition(HudFrame& f)
{
    const int weapon = f.inventory ? f.inventory->GetSelectedWeapon() : -1;
    const WeaponDef* def = Definition(weapon);
    if (weapon == -1 || (def && def->type == kDetonator))
        return;
    int clip = 0, ammo = 0;
    AmmoOf(f.inventory, weapon, &clip, &ammo);
    DrawNumber(f, float(clip), 872, 732);
    DrawNumber(f, float(ammo), 937, 732);
    const SceneState& s = *f.scene;
    if (clip < 1 && ammo < 1 && (!f.local || f.Health() > 0.0f || s.deathTime >= Player::kRespawnDelay))
        f.r->DrawText(450, 690, u"Out of ammo", 255, 0, 0);
}

void DrawWeaponIcons(HudFrame& f)
{
    SceneState& s = *f.scene;
    Inventory* inventory = f.inventory;
    const int weapon = inventory ? inventory->GetSelectedWeapon() : -1;
    const int explosive = inventory ? inventory->GetSelectedExplosive() : -1;
    if (ITexture* icon = weapon != -1 ? IconOf(weapon) : nullptr)
        DrawPicture(f, icon, 0, 0, 128, 32, 730, 723, false);

    const float left = f.game->countdown;
    const float total = f.game->countdownTotal;
    if (left > 0.0f && total > 0.0f) {
        const int w = Truncate((1.0f - left / total) * 128.0f, 0, 128);
        Fill(f, 730, 705, float(730 + w), 710, 255, 64, 5, 0.5f);
    }

    if (ITexture* icon = explosive != -1 ? IconOf(explosive) : nullptr) {
        const int o = (icon->GetWidth() - 22) / 2;
        DrawPicture(f, icon, o, 0, 22 + o, 32, 708, 723, true);
    }

    DrawGrenadeRow(f);

    if (f.actions[GameAction::ThrowGrenade] && explosive != -1) {
        const int w = Truncate(s.grenadeCharge / 255.0f * 171.0f, 0, 171);
        Fill(f, 480, 748, float(480 + w), 751, 255, 43, 83, 0.7f);
    }
}

void DrawStamina(HudFrame& f)
{
    SceneState& s = *f.scene;
    const ActionSnapshot& a = f.actions;
    const bool moving = a[GameAction::MoveUp] || a[GameAction::MoveDown] || a[GameAction::MoveLeft] ||
                        a[GameAction::MoveRight] || a[GameAction::Crouch];
    const float step = f.dt2 / kStaminaSeconds * kStaminaFull;
    if (a[GameAction::Sprint] && moving)
        s.stamina = std::max(0.0f, s.stamina - step);
    else
        s.stamina = std::min(kStaminaFull, s.stamina + step);
    const int w = Truncate(s.stamina / kStaminaFull * 175.0f, 0, 175);
    Fill(f, 250, 736, float(250 + w), 744, 7, 57, 185, 0.7f);
}

void DrawBreath(HudFrame& f)
{
    SceneState& s = *f.scene;
    if (f.breath >= 100.0f)
        s.breathFade = std::max(0.0f, s.breathFade - 2.0f * f.dt2);
    else
        s.breathFade = std::min(1.0f, s.breathFade + 2.0f * f.dt2);
    if (s.breathFade <= 0.0f)
        return;
    if (ITexture* oxygen = f.Picture(CommonMedia::Oxygen))
        DrawPicture(f, oxygen, 0, 0, oxygen->GetWidth(), oxygen->GetHeight(), 250, 683, false, s.breathFade * 0.75f);
    const int w = Truncate(f.breath / 100.0f * 175.0f, 0, 175);
    Fill(f, 251, 697, float(251 + w), 707, 176, 176, 176, s.breathFade * 0.8f);
}

} // namespace Hud
