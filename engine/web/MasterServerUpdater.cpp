#include "engine/web/MasterServerUpdater.h"

#include "engine/core/StringKit.h"
#include "engine/web/Base64.h"
#include "engine/web/HTTPConnection.h"
#include "engine/web/MasterServices.h"
#include "engine/web/PlayerInfoParser.h"
#include "engine/web/ScoreRecord.h"
#include "engine/web/ServerStatusFile.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

int AddClamped(int a, int b)
{
    long long s = (long long)a + b;
    return s > INT_MAX ? INT_MAX : s < INT_MIN ? INT_MIN : int(s);
}

} // namespace

// ---- PlayerInfo -----------------------------------------------------------

MasterServerUpdater::PlayerInfo::PlayerInfo(MasterServerUpdater* updater, int id, const char16_t* name,
                                            const char* loginUid)
    : updater_(updater), id_(id), name_(name ? name : u"")
{
    if (loginUid)
        loginUid_.assign(loginUid, strnlen(loginUid, kLoginUidMax));
}

// Scores count only while at least two players are on the server.
void MasterServerUpdater::PlayerInfo::AddPoints(int points)
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    if (updater_->players_.GetCount() >= 2)
        points_ += points;
}

void MasterServerUpdater::PlayerInfo::AddKillStats(int frags, int deaths, int suicides)
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    if (updater_->players_.GetCount() < 2)
        return;
    frags_ += frags;
    deaths_ += deaths;
    suicides_ += suicides;
}

void MasterServerUpdater::PlayerInfo::AddCaptures(int captures)
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    if (updater_->players_.GetCount() >= 2)
        captures_ += captures;
}

void MasterServerUpdater::PlayerInfo::AddRoundStats(int a, int b, int c)
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    if (updater_->players_.GetCount() < 2)
        return;
    roundA_ += a;
    roundB_ += b;
    roundC_ += c;
}

void MasterServerUpdater::PlayerInfo::AddObjectivePoints(int points)
{
    // Counted whatever the number of players; the lock only keeps the
    // updater thread's look-ups from racing with it.
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    objectivePoints_ += points;
}

int MasterServerUpdater::PlayerInfo::GetScore()
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    return score_;
}

int MasterServerUpdater::PlayerInfo::GetRank()
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    return rank_;
}

int MasterServerUpdater::PlayerInfo::GetPoints()
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    return points_;
}

int MasterServerUpdater::PlayerInfo::GetCaptures()
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    return captures_;
}

int MasterServerUpdater::PlayerInfo::GetUid()
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    return uid_;
}

int MasterServerUpdater::PlayerInfo::GetFragsTotal()
{
    std::lock_guard<std::recursive_mutex> lock(updater_->mutex_);
    return fragsTotal_;
}

bool MasterServerUpdater::PlayerInfo::HasPending() const
{
    return points_ || frags_ || deaths_ || suicides_ || captures_ || objectivePoints_ || roundA_ || roundB_ || roundC_;
}

void MasterServerUpdater::PlayerInfo::ClearPending()
{
    points_ = frags_ = deaths_ = suicides_ = captures_ = objectivePoints_ = 0;
    roundA_ = roundB_ = roundC_ = 0;
}

// ---- MasterServerUpdater --------------------------------------------------

MasterServerUpdater::MasterServerUpdater(IFileManager* files) : files_(files) {}

MasterServerUpdater::~MasterServerUpdater()
{
    Stop();
    players_.DeleteAll();
}

void MasterServerUpdater::Start()
{
    std::lock_guard<std::mutex> lock(wakeMutex_);
    if (thread_.joinable())
        return;
    stop_ = false;
    stopped_ = false;
    giveUp_.Never();
    thread_ = std::thread(&MasterServerUpdater::ThreadMain, this);
}

void MasterServerUpdater::Stop()
{
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        // A master server that trickles its replies holds no shutdown for
        // long.
        giveUp_.At(std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs));
        stop_ = true;
        thread = std::move(thread_);
    }
    wake_.notify_all();
    if (thread.joinable())
        thread.join();
}

void MasterServerUpdater::Wake()
{
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

void MasterServerUpdater::ThreadMain()
{
    while (!stop_) {
        RunPass();
        // Whatever gives a pass work wakes it at once; an idle server's
        // thread sleeps the length of 1000 passes of 10 ms meanwhile.
        std::unique_lock<std::mutex> lock(wakeMutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(kIdlePassMs), [this] { return stop_.load() || woken_; });
        woken_ = false;
    }
    // Scores handed over before the stop still go up.
    SendUploads();
    stopped_ = true;
}

void MasterServerUpdater::RunPass()
{
    Announcement a;
    bool send = false;
    {
        // Taken and cleared together, so one queued during the send below
        // waits for the next pass instead of being lost.
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (pending_) {
            a = announcement_;
            pending_ = false;
            send = true;
        }
    }
    if (send)
        Announce(a);
    FlushScores(false, 0);
    SendUploads();
}

void MasterServerUpdater::SetServerPort(int port)
{
    serverPort_ = port > 0 && port <= 65535 ? port : 0;
    if (serverPort_ > 0)
        Start();
}

void MasterServerUpdater::SetHost(const char16_t* host)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Util::StrCopy(host_, 64, host ? host : u"");
}

std::u16string MasterServerUpdater::GetHost()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return host_[0] ? std::u16string(host_) : std::u16string(kDefaultHost);
}

void MasterServerUpdater::SetStatusFilePath(const char16_t* path)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    statusFilePath_ = path ? path : u"";
}

void MasterServerUpdater::SetScoreWeight(float weight)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    weight_ = weight;
}

float MasterServerUpdater::GetScoreWeight()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return weight_;
}

void MasterServerUpdater::QueueAnnouncement(const char16_t* name, const char16_t* level, int gameMode, int port,
                                            int players, int maxPlayers)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // The fields of 128 units each.
    announcement_.name = std::u16string(name ? name : u"").substr(0, 127);
    announcement_.level = std::u16string(level ? level : u"").substr(0, 127);
    announcement_.gameMode = gameMode;
    announcement_.port = port;
    announcement_.players = players;
    announcement_.maxPlayers = maxPlayers;
    pending_ = true;
    ++queued_;
    WriteStatusFile(announcement_);
    Wake();
}

void MasterServerUpdater::WriteStatusFile(const Announcement& a)
{
    if (statusFilePath_.empty())
        return;
    std::vector<std::u16string> names;
    for (int i = 0; i < players_.GetCount(); ++i)
        names.push_back(players_.Get(i)->name_);
    std::string text = ServerStatusFile::BuildText(a.name.c_str(), a.level.c_str(), a.players, a.maxPlayers, names);
    ServerStatusFile::Write(files_, statusFilePath_.c_str(), text); // a file that cannot be opened is skipped
}

void MasterServerUpdater::Announce(const Announcement& a)
{
    HTTPUtils::HTTPConnection c;
    c.SetGiveUp(&giveUp_);
    c.AddParam(u"name", a.name.c_str());
    c.AddParam(u"level", a.level.c_str());
    c.AddParam(u"gamemode", a.gameMode);
    c.AddParam(u"port", a.port);
    c.AddParam(u"players", a.players);
    c.AddParam(u"maxplayers", a.maxPlayers);
    std::u16string url = u"http://" + GetHost() + u"/addserver.php";
    c.Get(url.c_str(), true); // the reply says nothing we use
    ++sent_;
}

MasterServerUpdater::LookUpResult MasterServerUpdater::LookUp(const std::string& loginUid)
{
    HTTPUtils::HTTPConnection c;
    c.SetGiveUp(&giveUp_);
    // A client's claimed uid goes into the query encoded, never raw.
    c.AddParam(u"uid", Util::Widen(loginUid.c_str()).c_str());
    std::u16string url = u"http://" + GetHost() + u"/getuserid.php";
    PlayerInfoParser parser;
    LookUpResult r;
    if (!MasterServices::FetchXml(c, url.c_str(), &parser))
        return r;
    r.answered = true;
    r.uid = parser.Get(PlayerInfoParser::kId);
    r.score = parser.Get(PlayerInfoParser::kScore);
    r.frags = parser.Get(PlayerInfoParser::kFrags);
    r.rank = parser.Get(PlayerInfoParser::kRank);
    return r;
}

void MasterServerUpdater::LookUpNewPlayers()
{
    std::vector<std::pair<uint64_t, std::string>> wanted;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        for (int i = 0; i < players_.GetCount(); ++i)
            if (!players_.Get(i)->lookedUp_)
                wanted.emplace_back(players_.Get(i)->serial_, players_.Get(i)->loginUid_);
    }
    // An account that joins again reads the totals its earlier record
    // uploaded, so those go first.
    if (!wanted.empty())
        SendUploads();
    for (const auto& w : wanted) {
        if (stop_)
            return;
        LookUpResult r = LookUp(w.second); // the lock stays free meanwhile
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        for (int i = 0; i < players_.GetCount(); ++i) {
            PlayerInfo* p = players_.Get(i);
            if (p->serial_ != w.first)
                continue; // the record may have gone while its look-up ran
            p->lookedUp_ = true;
            p->uid_ = r.answered && !p->retired_ ? r.uid : 0;
            if (r.answered) {
                p->score_ = r.score;
                p->fragsTotal_ = r.frags;
                p->rank_ = r.rank;
            }
        }
    }
}

void MasterServerUpdater::SendUploads()
{
    for (;;) {
        std::vector<uint8_t> records;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            if (uploads_.empty())
                return;
            records = uploads_.front();
        }
        Upload(records);
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        uploads_.pop_front();
    }
}

bool MasterServerUpdater::IsSettled()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (int i = 0; i < players_.GetCount(); ++i)
        if (!players_.Get(i)->lookedUp_)
            return false;
    return uploads_.empty();
}

void MasterServerUpdater::Upload(const std::vector<uint8_t>& records)
{
    std::string text = Util::Base64Encode(records.data(), records.size());
    HTTPUtils::HTTPConnection c;
    c.SetGiveUp(&giveUp_);
    std::u16string url = u"http://" + GetHost() + u"/updatescores.php";
    c.Post(url.c_str(), int(text.size()), text.data()); // not repeated when it fails
}

int MasterServerUpdater::ScoreIncrement(float weight, int points)
{
    if (points <= 0 || !(weight > 0.0f))
        return 0;
    float product = weight * float(uint32_t(points));
    float up = std::ceil(product);
    if (!(up < 2147483648.0f))
        return INT_MAX;
    return int(up);
}

void MasterServerUpdater::FlushScores(bool force, int id)
{
    if (!force) {
        LookUpNewPlayers();
        return;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        QueueScores(id);
    }
    if (!stop_)
        Start();
    Wake();
}

void MasterServerUpdater::QueueScores(int id)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < players_.GetCount(); ++i) {
        PlayerInfo* p = players_.Get(i);
        if ((id != 0 && p->id_ != id) || p->uid_ == 0 || !p->HasPending())
            continue;
        p->score_ = AddClamped(p->score_, ScoreIncrement(weight_, p->points_));
        p->fragsTotal_ = AddClamped(p->fragsTotal_, p->frags_);
        ScoreRecord r;
        r.uid = p->uid_;
        r.score = p->score_;
        r.fragsTotal = p->fragsTotal_;
        r.deaths = p->deaths_;
        r.suicides = p->suicides_;
        r.captures = p->captures_;
        r.roundA = p->roundA_;
        r.roundB = p->roundB_;
        r.roundC = p->roundC_;
        r.objectivePoints = p->objectivePoints_;
        uint8_t raw[ScoreRecord::kSize];
        r.Write(raw);
        ScoreRecord::Scramble(raw);
        bytes.insert(bytes.end(), raw, raw + ScoreRecord::kSize);
        p->ClearPending();
    }
    if (!bytes.empty())
        uploads_.push_back(std::move(bytes));
}

MasterServerUpdater::PlayerInfo* MasterServerUpdater::Find(int id)
{
    for (int i = 0; i < players_.GetCount(); ++i)
        if (players_.Get(i)->id_ == id)
            return players_.Get(i);
    return nullptr;
}

IPlayerScores* MasterServerUpdater::AddPlayer(int id, const char16_t* name, const char* loginUid)
{
    PlayerInfo* p = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (PlayerInfo* old = Find(id)) {
            players_.Remove(old);
            delete old;
        }
        std::string uid = loginUid ? std::string(loginUid, strnlen(loginUid, kLoginUidMax)) : std::string();
        // The account's earlier record uploads what it has and then no more.
        for (int i = 0; i < players_.GetCount(); ++i) {
            PlayerInfo* other = players_.Get(i);
            if (other->loginUid_ != uid)
                continue;
            QueueScores(other->id_);
            other->uid_ = 0;
            other->retired_ = true;
        }
        p = new PlayerInfo(this, id, name, uid.c_str());
        p->serial_ = nextSerial_++;
        players_.Add(p);
    }
    if (!stop_)
        Start();
    Wake();
    return p;
}

void MasterServerUpdater::RemovePlayer(int id)
{
    FlushScores(true, id);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (PlayerInfo* p = Find(id)) {
        players_.Remove(p);
        delete p;
    }
}

void MasterServerUpdater::ClearPlayers()
{
    FlushScores(true, 0);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    players_.DeleteAll();
}

int MasterServerUpdater::GetPlayerCount()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return players_.GetCount();
}
