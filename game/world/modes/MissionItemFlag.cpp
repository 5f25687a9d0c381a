#include "game/world/modes/MissionItemFlag.h"

#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/modes/KingOfTheHill.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/player/Player.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

ITexture* ImageOf(const char16_t* resourceName)
{
    IResourceManager* resources = Services().resources;
    IResource* resource = resources ? resources->GetByName(resourceName) : nullptr;
    return resource ? resource->GetImage() : nullptr;
}

Player* LivePlayer(Object* object)
{
    if (!object || object->GetKind() != ObjectKind::Player || !object->IsAlive())
        return nullptr;
    return static_cast<Player*>(object);
}

float Finite(float v) { return std::isfinite(v) ? v : 0.0f; }

} // namespace

MissionItemFlag::MissionItemFlag(int definitionId) : MissionItem(definitionId)
{
    finnishImage_ = ImageOf(u"finland flag");
    russianImage_ = ImageOf(u"russian flag");
}

const MPAPI::FieldRecord* MissionItemFlag::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},    {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0}, {MPAPI::kFieldWord, OffsetOf(&progress_), 0, 0, 0},
        {MPAPI::kFieldInt32, OffsetOf(&team_), 0, 0, 0}, {MPAPI::kFieldInt32, OffsetOf(&capturer_), 0, 0, 0},
        {MPAPI::kFieldBool, OffsetOf(&owned_), 0, 0, 0}, {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void MissionItemFlag::LoadProperties()
{
    MissionItem::LoadProperties();
    ResetToStart();
}

void MissionItemFlag::OnNetUpdate()
{
    MissionItem::OnNetUpdate();
    // Whatever arrived, positions stay finite and the bar stays on its scale.
    x_ = Finite(x_);
    y_ = Finite(y_);
    angle_ = Finite(angle_);
    progress_ = progress_ > 0.0f && progress_ < 1.0f ? progress_ : 0.0f;
}

void MissionItemFlag::ResetToStart()
{
    progress_ = 0.0f;
    timer_ = 0.0f;
    capturer_ = 0;
    team_ = type_ == Finnish ? 0 : type_ == Russian ? 7 : -1;
    owned_ = team_ != -1 ? 1 : 0;
}

void MissionItemFlag::GetCentre(float* x, float* y)
{
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    *x = x_ + (image ? image->GetWidth() / 2.0f : 0.0f);
    *y = y_ + (image ? image->GetHeight() / 2.0f : 0.0f);
}

void MissionItemFlag::Update(float dt)
{
    if (!IsServing())
        return;
    IGameState* game = Services().game;
    GameMod* mode = game ? game->GetGameMode() : nullptr;
    KingOfTheHill* hill = dynamic_cast<KingOfTheHill*>(mode);
    if ((mode && mode->IsGameOver()) || (hill && hill->IsShowingRoundWin())) {
        capturer_ = 0;
        progress_ = timer_ = 0.0f;
        return;
    }
    ObjectManager* objects = Services().objects;
    if (!objects)
        return;
    float cx, cy;
    GetCentre(&cx, &cy);
    auto inReach = [&](Object* p) { return std::fabs(p->GetX() - cx) < kReach && std::fabs(p->GetY() - cy) < kReach; };

    Player* capturer = capturer_ ? LivePlayer(objects->FindObject(capturer_)) : nullptr;
    if (capturer && std::hypot(capturer->GetX() - cx, capturer->GetY() - cy) > kLeash)
        capturer = nullptr;
    if (!capturer) {
        for (Object* object : objects->Players()) {
            Player* p = LivePlayer(object);
            if (p && inReach(p)) {
                if (p->GetTeam() != team_)
                    capturer = p;
                break;
            }
        }
    }
    int helpers = 0;
    if (capturer) {
        for (Object* object : objects->Players()) {
            Player* p = LivePlayer(object);
            if (!p || p == capturer || !inReach(p))
                continue;
            if (p->GetTeam() != capturer->GetTeam()) {
                capturer = nullptr; // contested
                break;
            }
            ++helpers;
        }
    }
    const int32_t previous = capturer_;
    capturer_ = capturer ? capturer->GetNetworkId() : 0;
    // A capturer who takes over from one who left starts from nothing: the
    // time stood there is nobody else's.
    if (!capturer || capturer_ != previous)
        progress_ = timer_ = 0.0f;
    if (!capturer)
        return;
    timer_ += dt;
    progress_ = (timer_ + helpers) / kCaptureSeconds;
    if (progress_ >= 1.0f)
        Capture(capturer);
}

void MissionItemFlag::Capture(Object* capturer)
{
    Player* player = static_cast<Player*>(capturer);
    const int previousTeam = team_;
    progress_ = timer_ = 0.0f;
    owned_ = 1;
    capturer_ = 0;
    IGameState* game = Services().game;
    if (KingOfTheHill* hill = dynamic_cast<KingOfTheHill*>(game ? game->GetGameMode() : nullptr))
        hill->AnnounceCapture(player, previousTeam);
    team_ = player->GetTeam();
}

// The team's picture stretched over the size of the item's own.
void MissionItemFlag::ShapeQuad(Quad* quad, ITexture* image)
{
    ITexture* shown = image;
    if (owned_ && team_ == 0 && finnishImage_)
        shown = finnishImage_;
    else if (owned_ && team_ == 7 && russianImage_)
        shown = russianImage_;
    quad->SetFromTexture(shown);
    quad->topRight.x = quad->bottomRight.x = float(image->GetWidth());
    quad->bottomLeft.y = quad->bottomRight.y = float(image->GetHeight());
}
