#include "game/world/objects/Scenery.h"

#include "engine/core/Random.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/map/World.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/phys/Object.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/Resource.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

// ---- Tree

// Clients make trees on the receive thread: the phase is drawn on the game
// thread, once the tree is ready.
Tree::Tree(int definitionId) : Object(12, definitionId), phase_(-1.0f)
{
    if (definition_)
        crown_ = definition_->GetImage();
}

const MPAPI::FieldRecord* Tree::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Tree::LoadProperties()
{
    if (phase_ < 0.0f)
        phase_ = float(Util::Random() % 10001) / 10000.0f;
    Object::LoadProperties();
    Resource* trunk = definition_ ? definition_->FindGraphicsByName(u"trunk") : nullptr;
    trunk_ = trunk ? trunk->GetImage() : nullptr;
}

void Tree::TakeBlastDamage(float blastX, float blastY, float amount, int32_t, int32_t)
{
    if (!crown_ || !std::isfinite(blastX) || !std::isfinite(blastY) || !std::isfinite(amount))
        return;
    shakeTimer_ = 1.0f;
    shakeStrength_ += amount * 0.1f;
    if (shakeStrength_ > 100.0f)
        shakeStrength_ = 100.0f;
    float dx = x_ + crown_->GetWidth() / 2.0f - blastX, dy = y_ + crown_->GetHeight() / 2.0f - blastY;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length < 0.001f)
        length = 0.001f;
    shakeX_ = dx / length;
    shakeY_ = dy / length;
}

void Tree::Update(float dt)
{
    if (!std::isfinite(dt))
        return;
    phase_ += dt * 0.8f;
    if (phase_ > 6.2832f)
        phase_ -= 6.2832f;
    shakeTimer_ -= dt;
    if (shakeTimer_ < 0.0f)
        shakeTimer_ = 0.0f;
    if (body_ && crown_) {
        body_->Place(0.0f, 0.0f, 0.0f, x_ + crown_->GetWidth() / 4.0f, y_ + crown_->GetHeight() / 4.0f);
    }
}

// ---- Window

const MPAPI::FieldRecord* Window::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},
        {MPAPI::kFieldBool, OffsetOf(&broken_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Window::LoadProperties()
{
    Object::LoadProperties();
    if (body_)
        body_->SetEnabled(true);
}

void Window::TakeHit(float damage, bool playSounds, int soundVariant, float hitX, float hitY, float direction)
{
    Object::TakeHit(damage, playSounds, soundVariant, hitX, hitY, direction);
    if (!broken_ && playSounds && Services().output)
        Services().output->PlayNamed(u"weapons/hit_glass.ogg", x_, y_, 100.0f);
}

void Window::Update(float dt)
{
    Object::Update(dt);
    if (breakable_ && !(health_ > 0.0f))
        broken_ = 1;
    // Also reached when the broken flag arrives from the server.
    if (broken_ && !bodyDisabled_) {
        if (body_)
            body_->SetEnabled(false);
        bodyDisabled_ = 1;
        // The empty frame stays a window cell: seen, shot and blasted
        // through. A client's wall under the pane goes with the glass.
        World* world = Services().world;
        if (world && !OtherWindowCovers(column_, row_, true))
            world->RemoveWallBody(column_, row_);
    }
}

bool Window::OtherWindowCovers(int column, int row, bool intactOnly)
{
    bool covered = false;
    if (ObjectManager* objects = Services().objects) {
        objects->ForEachObject([&](Object* object) {
            Window* other = dynamic_cast<Window*>(object);
            if (other && other != this && !(intactOnly && other->broken_) && other->column_ == column &&
                other->row_ == row)
                covered = true;
        });
    }
    return covered;
}

bool Window::CellAt(float x, float y, int* column, int* row)
{
    World* world = Services().world;
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    float w = image ? float(image->GetWidth()) : 0.0f, h = image ? float(image->GetHeight()) : 0.0f;
    // The corners turned about the image's centre average to that centre.
    float cx = (x + w / 2.0f) / kTileSize, cy = (y + h / 2.0f) / kTileSize;
    if (!world || !(cx >= 0.0f) || !(cy >= 0.0f) || !(cx < float(world->GetWidth())) ||
        !(cy < float(world->GetHeight())))
        return false;
    *column = int(cx);
    *row = int(cy);
    return true;
}

void Window::Mark(int column, int row)
{
    World* world = Services().world;
    if (world && column >= 0 && row >= 0 && column < world->GetWidth() && row < world->GetHeight())
        world->SetCell(column, row, world->GetCell(column, row) | World::kWindow);
}

void Window::Unmark(int column, int row)
{
    World* world = Services().world;
    if (!world || column < 0 || row < 0 || column >= world->GetWidth() || row >= world->GetHeight())
        return;
    if (!OtherWindowCovers(column, row, false))
        world->SetCell(column, row, world->GetCell(column, row) & ~World::kWindow);
}

void Window::MarkTiles(float x, float y)
{
    int column, row;
    if (!CellAt(x, y, &column, &row))
        return;
    Mark(column, row);
    column_ = column;
    row_ = row;
}

void Window::MoveTileMark(float oldX, float oldY, float newX, float newY)
{
    int column = -1, row = -1;
    if (CellAt(oldX, oldY, &column, &row)) {
        // Not counted as its own cover while it moves.
        column_ = row_ = -1;
        Unmark(column, row);
    }
    column_ = row_ = -1;
    MarkTiles(newX, newY);
}
