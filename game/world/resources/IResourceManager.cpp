#include "game/world/resources/IResourceManager.h"

#include "game/world/resources/IResource.h"
#include "game/world/resources/ResourceClass.h"

void IResourceManager::AssignNewIds(IResource* const* resources, const bool* tiles, int count)
{
    for (int i = 0; i < count; ++i) {
        int id = NewId(tiles[i]);
        if (id != kNoId)
            resources[i]->SetId(id);
    }
}
