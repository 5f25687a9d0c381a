#pragma once

// A connected player's score record on a game server; the pending values go
// to the master server with the next score upload.
class IPlayerScores {
public:
    virtual ~IPlayerScores() {}
    virtual void AddPoints(int points) = 0;
    virtual int GetScore() = 0;
    virtual int GetRank() = 0;
    virtual int GetPoints() = 0;
    virtual void AddKillStats(int frags, int deaths, int suicides) = 0;
    virtual void AddCaptures(int captures) = 0;
    virtual int GetCaptures() = 0;
    virtual void AddObjectivePoints(int points) = 0;
    virtual void AddRoundStats(int a, int b, int c) = 0;
    // The account id the master service confirmed for the player's login
    // uid; 0 until it has answered or when it knows no such account.
    virtual int GetAccountId() = 0;
};
