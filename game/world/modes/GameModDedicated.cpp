// The dedicated server's versions of the modes' HUD drawing (GameModDraw.cpp):
// it loads no pictures and draws nothing.
#include "game/world/modes/CaptureTheFlag.h"
#include "game/world/modes/GameMod.h"
#include "game/world/modes/KingOfTheHill.h"
#include "game/world/modes/MissionItemFlag.h"
#include "game/world/modes/TeamDM.h"

ITexture* GameMod::Image(const char16_t*) { return nullptr; }
void GameMod::DrawImage(ITexture*, float, float, float) {}
void GameMod::DrawScoringBanner(int, float) {}
void GameMod::DrawTeamSelect() {}
void GameMod::DrawScoreboardFrame(int, int) {}

void CaptureTheFlag::DrawHud() {}
void CaptureTheFlag::DrawScoreboard() {}
void CaptureTheFlag::DrawMapFlags(float, float, float, float) {}

void KingOfTheHill::DrawHud() {}
void KingOfTheHill::DrawScoreboard() {}
void KingOfTheHill::DrawMapFlags(float, float, float, float) {}

void TeamDM::DrawScoreboard() {}

void MissionItemFlag::DrawIndicator() {}
