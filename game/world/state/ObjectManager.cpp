#include "game/world/state/ObjectManager.h"

#include "engine/render/IParticlePainter.h"
#include "engine/render/ISpritePainter.h"
#include "game/world/map/ILight.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>

ObjectManager::~ObjectManager() { Clear(); }

void ObjectManager::AddObject(Object* object)
{
    if (!object)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (object->GetTypeId() == ObjectKind::Player)
        players_.push_back(object);
    else
        objects_.push_back(object);
}

template <class T> void ObjectManager::Unlink(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (walking_ > 0) {
        *it = nullptr;
        holes_ = true;
    } else {
        list.erase(it);
    }
}

void ObjectManager::RemoveObject(Object* object)
{
    if (clearing_ || !object)
        return;
    Unlink(object->GetTypeId() == ObjectKind::Player ? players_ : objects_, object);
    if (IMultiplayerHandler* handler = ActiveHandler())
        handler->RemoveObject(object);
}

void ObjectManager::Clear()
{
    clearing_ = true;
    // Deleting may make an object touch the registry; work on detached lists.
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<Object*> doomed;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            doomed.swap(pass == 0 ? objects_ : players_);
        }
        for (Object* object : doomed)
            delete object;
    }
    std::vector<ILight*> lights;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lights.swap(lights_);
    }
    // Still clearing: a light's destructor must not unlink it a second time.
    for (ILight* light : lights)
        delete light;
    clearing_ = false;
    holes_ = false;
    if (ISpritePainter* sprites = Services().spritePainter)
        sprites->Clear();
    if (IParticlePainter* particles = Services().particlePainter)
        particles->Clear();
}

Object* ObjectManager::FindObject(int networkId)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto* list : {&players_, &objects_}) {
        for (Object* object : *list) {
            if (object && object->GetNetworkId() == networkId)
                return object;
        }
    }
    return nullptr;
}

Object* ObjectManager::FindObjectByBody(const PhysEng::Object* body)
{
    if (!body)
        return nullptr;
    for (auto* list : {&players_, &objects_}) {
        for (Object* object : *list) {
            if (object && object->GetBody() == body)
                return object;
        }
    }
    return nullptr;
}

bool ObjectManager::Contains(Object* object)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto& list = object->GetTypeId() == ObjectKind::Player ? players_ : objects_;
    return std::find(list.begin(), list.end(), object) != list.end();
}

void ObjectManager::AddLight(ILight* light)
{
    if (!light)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    lights_.push_back(light);
}

void ObjectManager::RemoveLight(ILight* light)
{
    if (!clearing_ && light)
        Unlink(lights_, light);
}

void ObjectManager::PrefetchObjects() const
{
    for (const std::vector<Object*>* list : {&objects_, &players_})
        for (const Object* object : *list)
            if (object)
                object->PrefetchSelf();
    for (const std::vector<Object*>* list : {&objects_, &players_})
        for (const Object* object : *list)
            if (object)
                object->PrefetchParts();
}

void ObjectManager::UpdateLights(float dt)
{
    ForEachLight([&](ILight* light) {
        if (light->Update(dt)) {
            Unlink(lights_, light);
            delete light;
        }
    });
}

static int CountLive(const std::vector<Object*>& list)
{
    return int(std::count_if(list.begin(), list.end(), [](Object* o) { return o != nullptr; }));
}

int ObjectManager::CountObjects() const { return CountLive(objects_); }
int ObjectManager::CountPlayers() const { return CountLive(players_); }
int ObjectManager::CountLights() const
{
    return int(std::count_if(lights_.begin(), lights_.end(), [](ILight* l) { return l != nullptr; }));
}

Object* AddToWorld(Object* object)
{
    if (ObjectManager* objects = Services().objects)
        objects->AddObject(object);
    if (IMultiplayerHandler* handler = ActiveHandler())
        handler->AddObject(object);
    return object;
}
