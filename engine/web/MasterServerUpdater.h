#pragma once

#include "engine/core/List.h"
#include "engine/web/IPlayerScores.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class IFileManager;

// Announces a game server to the master server from its own thread, keeps
// the players' score records, looks their accounts up and uploads their
// scores. The thread is the updater's own: Stop (and the destructor) joins
// it.
class MasterServerUpdater {
public:
    static constexpr const char16_t* kDefaultHost = u"master.vornhal.net";
    static constexpr int kLookUpPasses = 1000;
    static constexpr size_t kLoginUidMax = 64;

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
        int uid_ = 0;
        bool lookedUp_ = false;
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
    // Sets the stop flag and waits for the thread's current pass to end.
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

    IPlayerScores* AddPlayer(int id, const char16_t* name, const char* loginUid);
    void RemovePlayer(int id);
    void ClearPlayers();
    // force false: the thread's periodic pass (look-ups every 1000 calls);
    // force true: uploads the pending scores of player id, or of all for 0.
    void FlushScores(bool force, int id);
    int GetPlayerCount();

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

    void ThreadMain();
    void Announce(const Announcement& a);
    void LookUp(PlayerInfo* player);
    void Upload(const std::vector<uint8_t>& records);
    void WriteStatusFile(const Announcement& a);
    PlayerInfo* Find(int id);

    IFileManager* files_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> stopped_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;

    mutable std::recursive_mutex mutex_;
    char16_t host_[64] = {};
    std::u16string statusFilePath_;
    Announcement announcement_;
    std::atomic<bool> pending_{false};
    std::atomic<int> queued_{0};
    std::atomic<int> sent_{0};
    std::atomic<int> serverPort_{0};
    Util::List<PlayerInfo> players_;
    std::atomic<int> passCounter_{0};
    float weight_ = 0.2f;
};
