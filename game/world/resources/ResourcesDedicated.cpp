// The dedicated server's versions of what only a client does with its
// resources (ResourcesClient.cpp).
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"

#include "engine/core/ConsoleLog.h"

ITexture* ResourceManager::LoadImage(const char16_t*, bool, int) { return nullptr; }

void ResourceManager::DrawTileMasked(int, float, float, int, float, float, float) {}
void ResourceManager::DrawTileQuad(int, int, int, int, float, float, int, int) {}
void ResourceManager::DrawTileAt(int, float, float, bool) {}
void ResourceManager::DrawTileTinted(int, float, float, int, int, int) {}
void ResourceManager::PrepareTileTexture(int, int) {}
ITexture* ResourceManager::ReadTilePixels(int, int, Quad*) { return nullptr; }
bool ResourceManager::ReadTilePixelsPart(int, int, int, int, float*, float*, float*) { return false; }

// Only the editor edits scripts.
void ResourceScript::SetEditMode(bool) {}

void ResourceScript::ShowReport(const std::string& text) { Util::ConsolePrint("%s\n", text.c_str()); }

// Without pictures every sheet is missing: the server does without them.
void ResourceScript::RequireSheet(const ITexture*, const std::string&) {}

// The server plays nothing; it only accepts the value.
void ResourceScript::SetSoundDelay(SoundResource*, double) {}
