#include "game/world/modes/GameTiming.h"

#include "game/world/settings/GameOptions.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/WorldServices.h"

float GameTiming::GetOptionLimit() const
{
    IGameState* game = Services().game;
    return game ? float(game->Options().GetServerTimeLimit()) * 60.0f : 0.0f;
}

void GameTiming::Reset(float limit, float timeLeft)
{
    elapsed_ = 0.0f;
    timeLimit_ = limit;
    timeLeft_ = timeLeft < 0.0f ? 0.0f : timeLeft;
}

void GameTiming::ApplyLimit(float limit)
{
    if (limit == timeLimit_)
        return;
    float played = timeLimit_ - timeLeft_;
    timeLimit_ = limit;
    timeLeft_ = limit - played;
    if (timeLeft_ < 0.0f)
        timeLeft_ = 0.0f;
}

void GameTiming::Advance(float dt, float limit)
{
    ApplyLimit(limit);
    timeLeft_ -= dt;
    if (timeLeft_ < 0.0f)
        timeLeft_ = 0.0f;
    elapsed_ += dt;
}
