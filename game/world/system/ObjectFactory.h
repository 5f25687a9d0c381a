#pragma once

class GameMod;
class Object;

// Where objects of every kind come into being from a definition or a
// replicated type id: the level loader, the editor and replication make
// them here. What one kind makes of its own (shots, corpses, pieces,
// thrown weapons, players, lights) has its factory beside that kind.

// A level object by definition id, as the level loader and the editor make
// them; null for an unknown id and for kinds a client gets by replication.
Object* CreateObjectByType(int definitionId, float x, float y);
// A client's object for a replicated type id; subTypeId is the definition.
Object* CreateReplicatedObject(int typeId, int subTypeId);
// A one-shot effect object of a replicated type.
Object* CreateEffectObjectOfType(int typeId);
// The rules object of a level's mode (0, 1, 2).
GameMod* CreateGameModeObject(int mode);
