#pragma once

#include "engine/core/List.h"
#include "engine/web/HTTPConnection.h"
#include "engine/web/IPlayerScores.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class IFileManager;

// Announces a game server to the master server from its own thread, keeps
// the players' score records, looks their accounts up and uploads their
// scores. Every request runs on that thread and never under the lock the
// game's score calls take, so a slow master server holds up no game loop.
// The thread is the updater's own: Stop (and the destructor) joins it.
class MasterServerUpdater {
public:
    static constexpr const char16_t* kDefaultHost = u"master.vornhal.net";
    static constexpr size_t kLoginUidMax = 64;
    // How long Stop lets the thread finish what it was handed (the last
    // uploads) before every request still under way is given up.
    static constexpr int kStopWaitMs = 3000;
    // The longest sleep of the thread between passes with nothing to do.
    static constexpr int kIdlePassMs = 10000;

    class PlayerInfo : public IPlayerScores {
    public:
        PlayerInfo(MasterServerUpdater* updater, int id, const char16_t* name, const char* loginUid);

        void AddPoints(int points) override;
        int GetScore() override;
        int GetRank() override;
        int GetPoints() override;
        void AddKillStats(int frags, int deaths, int suicides) override;
        void AddCaptures(int captures) override;
        int GetCaptures() override;
        void AddObjectivePoints(int points) override;
        void AddRoundStats(int a, int b, int c) override;
        int GetAccountId() override { return GetUid(); }

        int GetId() const { return id_; }
        int GetUid();
        int GetFragsTotal();
        const std::u16string& GetName() const { return name_; }

    private:
        friend class MasterServerUpdater;
        bool HasPending() const;
        void ClearPending();

        MasterServerUpdater* updater_;
        int id_;
        uint64_t serial_ = 0; // tells a later record of the same id apart
        int uid_ = 0;
        bool lookedUp_ = false;
        bool retired_ = false; // its account joined again: uploads nothing more
        std::u16string name_;
        std::string loginUid_;
        int points_ = 0;
        int frags_ = 0;
        int deaths_ = 0;
        int suicides_ = 0;
        int captures_ = 0;
        int objectivePoints_ = 0;
        int roundA_ = 0;
        int roundB_ = 0;
        int roundC_ = 0;
        int score_ = 0;
        int rank_ = 0;
        int fragsTotal_ = 0;
    };

    // files: where the server-status file is written; may be null.
    explicit MasterServerUpdater(IFileManager* files);
    ~MasterServerUpdater();
    MasterServerUpdater(const MasterServerUpdater&) = delete;
    MasterServerUpdater& operator=(const MasterServerUpdater&) = delete;

    void Start();
    // Sets the stop flag and waits for the thread to send the uploads
    // already made and end, at most about kStopWaitMs.
    void Stop();
    bool IsRunning() const { return thread_.joinable(); }

    // The UDP port of the game server to announce; a port above 0 starts
    // the thread, 0 means no server.
    void SetServerPort(int port);
    int GetServerPort() const { return serverPort_.load(); }

    // The host override: at most 63 units; null or empty = the default.
    void SetHost(const char16_t* host);
    const char16_t* GetHostOverride() const { return host_; }
    std::u16string GetHost();

    void SetStatusFilePath(const char16_t* path);
    void SetScoreWeight(float weight);
    float GetScoreWeight();

    // Copies the announcement for the thread and rewrites the status file.
    void QueueAnnouncement(const char16_t* name, const char16_t* level, int gameMode, int port, int players,
                           int maxPlayers);
    bool IsAnnouncementPending() const { return pending_.load(); }
    int GetAnnouncementsQueued() const { return queued_.load(); }
    int GetAnnouncementsSent() const { return sent_.load(); }

    // The record comes back at once; its account is looked up on the
    // thread (which this starts when it is not running).
    IPlayerScores* AddPlayer(int id, const char16_t* name, const char* loginUid);
    void RemovePlayer(int id);
    void ClearPlayers();
    // force false: the thread's pass, which looks up new records; force
    // true: hands the pending scores of player id, or of all for 0, to the
    // thread for upload.
    void FlushScores(bool force, int id);
    int GetPlayerCount();
    // Every record looked up and every upload sent.
    bool IsSettled();

    // One pass of the thread's loop.
    void RunPass();

    // ceil(weight x points) computed in float; negative points add nothing.
    static int ScoreIncrement(float weight, int points);

private:
    struct Announcement {
        std::u16string name;
        std::u16string level;
        int gameMode = 0;
        int port = 0;
        int players = 0;
        int maxPlayers = 0;
    };

    struct LookUpResult {
        bool answered = false;
        int uid = 0, score = 0, frags = 0, rank = 0;
    };

    void ThreadMain();
    void Wake();
    void Announce(const Announcement& a);
    void LookUpNewPlayers();
    LookUpResult LookUp(const std::string& loginUid);
    void SendUploads();
    void Upload(const std::vector<uint8_t>& records);
    // Under the lock: the records of player id (0 all) for the thread.
    void QueueScores(int id);
    void WriteStatusFile(const Announcement& a);
    PlayerInfo* Find(int id);

    IFileManager* files_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> stopped_{false};
    HTTPUtils::HTTPConnection::GiveUp giveUp_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool woken_ = false;

    mutable std::recursive_mutex mutex_;
    char16_t host_[64] = {};
    std::u16string statusFilePath_;
    Announcement announcement_;
    std::atomic<bool> pending_{false};
    std::atomic<int> queued_{0};
    std::atomic<int> sent_{0};
    std::atomic<int> serverPort_{0};
    Util::List<PlayerInfo> players_;
    uint64_t nextSerial_ = 1;
    std::deque<std::vector<uint8_t>> uploads_; // the front stays until it is sent
    float weight_ = 0.2f;
};
