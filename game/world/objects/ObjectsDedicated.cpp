// The dedicated server's versions of what only a client does with the
// world's objects (ObjectDraw.cpp): it draws nothing and makes no sprites.
#include "game/world/objects/Door.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/objects/Pickups.h"
#include "game/world/objects/Scenery.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/objects/WorldEffects.h"

void ObjectView::MakeSprite(ISprite**, int) {}

void Object::Draw() {}
void Object::DrawShadowCaster(float, float, float) {}
void Object::DrawUpperLayer(float, float, float, bool) {}
void Object::DrawEditorMarker(int) {}
bool Object::ContainsPoint(float, float) { return false; }

void Tree::DrawExtra() {}
void Window::DrawExtra() {}
void StartPoint::DrawExtra() {}
void Weapon::Draw() {}
void Weapon::DrawShadowCaster(float, float, float) {}
void Weapon::DrawUpperLayer(float, float, float, bool) {}
void PickupObject::Draw() {}
void PickupObject::DrawUpperLayer(float, float, float, bool) {}
void Ammo::DrawUpperLayer(float, float, float, bool) {}
void MissionItem::Draw() {}
void MissionItem::DrawUpperLayer(float, float, float, bool) {}
void Door::Draw() {}
void Door::DrawUpperLayer(float, float, float, bool) {}
void DeadPlayer::Draw() {}
void Mess::Draw() {}
void BreakParticle::Draw() {}

// Fragments and dust show on clients only: the server lets them go at once.
void BreakParticle::Update(float) { delete this; }

void Dust::Update(float) { delete this; }
