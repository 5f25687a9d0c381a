#pragma once

#include <cstdint>
#include <string>

class GamePacket;
class IFile;
class IFileManager;

// A level file the server sends in chunks. The bytes go to a partial file
// beside the level, which takes the level's place only once exactly the
// announced total has arrived; anything less leaves the old level as it was
// and no partial file behind. The file written is always the level path of
// the level start, never a name the server puts into its chunks.
class LevelDownload {
public:
    static constexpr uint32_t kMaxTotal = 32u << 20;

    enum class State {
        Idle,      // no level start: chunks are dropped
        Expecting, // the next chunk is a first chunk
        Writing,
        Discarding, // refused or failed: the rest of the upload is dropped
        Done,
    };

    LevelDownload() = default;
    ~LevelDownload() { Reset(); }
    LevelDownload(const LevelDownload&) = delete;
    LevelDownload& operator=(const LevelDownload&) = delete;

    // A server's level path made safe to write: "\" read as "/", one file
    // directly in "levels/" (the folder's case ignored), no empty, "." or
    // hidden name, no control characters. False for anything else.
    static bool NormalizeLevelPath(const std::u16string& path, std::u16string* out);

    // After a level start: the next chunk opens the download of that path.
    void Expect(const std::u16string& path, IFileManager* files);
    // Drops an open download (its partial file with it) and waits for
    // nothing.
    void Reset();
    // The rest will not come: an open download is dropped and counts as
    // failed.
    void Cancel();
    // One FileChunk message.
    void TakeChunk(GamePacket& packet);

    State GetState() const { return state_; }
    bool IsOpen() const { return file_ != nullptr; }
    // A download began and did not bring the whole level.
    bool Failed() const { return failed_; }
    uint32_t GetTotal() const { return total_; }
    uint32_t GetWritten() const { return written_; }
    int Percent() const;
    const std::u16string& GetPath() const { return path_; }

private:
    void Open(GamePacket& packet);
    void Write(const uint8_t* data, int size, bool shortChunk);
    void Fail();

    State state_ = State::Idle;
    IFileManager* files_ = nullptr;
    IFile* file_ = nullptr;
    std::u16string path_;
    uint32_t total_ = 0;
    uint32_t written_ = 0;
    bool failed_ = false;
};
