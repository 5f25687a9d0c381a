#pragma once

// The match clock. Every time is in seconds.
class GameTiming {
public:
    static constexpr float kGameOverDisplay = 20.0f;

    GameTiming() = default;
    virtual ~GameTiming() {}

    // The serving side's limit: "servertimelimit" minutes in seconds.
    float GetOptionLimit() const;
    // A new match: nothing played, the whole limit left.
    void Reset(float limit, float timeLeft);
    // One frame. A limit that differs from the current one keeps the time
    // already played; the time left never drops below 0.
    void Advance(float dt, float limit);

    float GetElapsed() const { return elapsed_; }
    float GetTimeLeft() const { return timeLeft_; }
    float GetTimeLimit() const { return timeLimit_; }
    float GetGameOverDisplay() const { return gameOverDisplay_; }
    // A client takes the server's clock as told, keeping its elapsed time.
    void Follow(float limit, float timeLeft)
    {
        timeLimit_ = limit;
        SetTimeLeft(timeLeft);
    }
    void SetTimeLeft(float seconds) { timeLeft_ = seconds < 0.0f ? 0.0f : seconds; }

private:
    void ApplyLimit(float limit);

    float elapsed_ = 0.0f;
    float gameOverDisplay_ = kGameOverDisplay;
    float timeLeft_ = 0.0f;
    float timeLimit_ = 0.0f;
};
