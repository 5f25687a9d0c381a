#pragma once

#include <mutex>
#include <vector>

class ILight;
class Object;
namespace PhysEng {
class Object;
}

// The live world's registry: objects, players (kind 2) and lights, each in
// registration order. Removal while a list is being walked leaves a hole
// that is swept after the walk, so updates may delete any object and add
// new ones.
class ObjectManager {
public:
    ObjectManager() = default;
    ~ObjectManager();

    void AddObject(Object* object);
    // From an object's destructor or when it leaves the world; does nothing
    // while clearing.
    void RemoveObject(Object* object);
    // Deletes every object, player and light; tells nobody.
    void Clear();
    Object* FindObject(int networkId);
    Object* FindObjectByBody(const PhysEng::Object* body);
    bool Contains(Object* object);

    // Lights are owned here once added.
    void AddLight(ILight* light);
    void RemoveLight(ILight* light);
    // Deletes the lights whose Update says they are done.
    void UpdateLights(float dt);

    // Runs f on every live object, then every live player.
    template <class F> void ForEach(F f);
    template <class F> void ForEachObject(F f) { Walk(objects_, f); }
    template <class F> void ForEachPlayer(F f) { Walk(players_, f); }
    template <class F> void ForEachLight(F f) { Walk(lights_, f); }
    // Last to first over the objects list.
    template <class F> void ForEachObjectReversed(F f);

    // Asks for the memory of every object's update before a walk, so that
    // after a sleep the misses of a pass come together rather than one
    // after another.
    void PrefetchObjects() const;

    std::vector<Object*>& Objects() { return objects_; }
    std::vector<Object*>& Players() { return players_; }
    int CountObjects() const;
    int CountPlayers() const;
    int CountLights() const;

    bool IsClearing() const { return clearing_; }
    bool batchedDrawing = true;

private:
    template <class T, class F> void Walk(std::vector<T*>& list, F f);
    template <class T> void Unlink(std::vector<T*>& list, T* item);
    template <class T> static void Sweep(std::vector<T*>& list);
    void SweepAll()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        holes_ = false;
        Sweep(objects_);
        Sweep(players_);
        Sweep(lights_);
    }

    std::vector<Object*> objects_;
    std::vector<Object*> players_;
    std::vector<ILight*> lights_;
    // Guards list changes against FindObject from the receive thread.
    std::mutex mutex_;
    int walking_ = 0;
    bool holes_ = false;
    bool clearing_ = false;
};

// Into the live registry and, with a handler active, replicated; the object.
Object* AddToWorld(Object* object);

template <class T, class F> void ObjectManager::Walk(std::vector<T*>& list, F f)
{
    ++walking_;
    // Index walk: items appended during the walk are reached too.
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i])
            f(list[i]);
    }
    if (--walking_ == 0 && holes_)
        SweepAll();
}

template <class F> void ObjectManager::ForEach(F f)
{
    Walk(objects_, f);
    Walk(players_, f);
}

template <class F> void ObjectManager::ForEachObjectReversed(F f)
{
    ++walking_;
    for (size_t i = objects_.size(); i-- > 0;) {
        if (i < objects_.size() && objects_[i])
            f(objects_[i]);
    }
    if (--walking_ == 0 && holes_)
        SweepAll();
}

template <class T> void ObjectManager::Sweep(std::vector<T*>& list)
{
    size_t out = 0;
    for (T* item : list) {
        if (item)
            list[out++] = item;
    }
    list.resize(out);
}
