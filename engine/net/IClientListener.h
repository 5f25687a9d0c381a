#pragma once

namespace MPAPI {

class Object;

// The game's object factory on a client. CreateObject and
// CreateEffectObject are called on the receive thread and only make
// objects; OnObjectReady comes on the game thread from IClient::Update.
class IClientListener {
public:
    virtual ~IClientListener() {}
    // A new object: the client deletes it when the server removes it or it never arrives whole.
    virtual Object* CreateObject(int typeId, int subTypeId) = 0;
    // A new effect object the client deletes after it played, or a live one of the game's.
    virtual Object* CreateEffectObject(int typeId, int id) = 0;
    virtual void OnObjectReady(Object* object) = 0;
};

} // namespace MPAPI
