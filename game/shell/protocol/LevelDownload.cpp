#include "game/shell/protocol/LevelDownload.h"

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "game/world/net/GameMessage.h"

namespace {

constexpr char16_t kFolder[] = u"levels/";
constexpr size_t kFolderUnits = 7;
constexpr size_t kMaxNameUnits = 255; // a file name on every Linux file system

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

} // namespace

bool LevelDownload::NormalizeLevelPath(const std::u16string& path, std::u16string* out)
{
    if (path.size() <= kFolderUnits)
        return false;
    for (size_t i = 0; i < kFolderUnits; ++i) {
        char16_t c = path[i] == u'\\' ? u'/' : path[i];
        if (Lower(c) != kFolder[i])
            return false;
    }
    std::u16string name = path.substr(kFolderUnits);
    if (name.size() > kMaxNameUnits || name[0] == u'.')
        return false;
    for (char16_t c : name) {
        // The last two are what a drive or stream name would need.
        if (c < 0x20 || c == 0x7F || c == u'/' || c == u'\\' || c == u':')
            return false;
    }
    *out = kFolder + name;
    return true;
}

void LevelDownload::Expect(const std::u16string& path, IFileManager* files)
{
    Reset();
    path_ = path;
    files_ = files;
    state_ = State::Expecting;
}

void LevelDownload::Reset()
{
    if (file_) {
        // Before the partial file was put in place: it goes, the level stays.
        file_->CloseAndDelete();
        delete file_;
        file_ = nullptr;
    }
    state_ = State::Idle;
    total_ = written_ = 0;
    failed_ = false;
}

void LevelDownload::Fail()
{
    if (file_) {
        file_->CloseAndDelete();
        delete file_;
        file_ = nullptr;
    }
    failed_ = true;
    state_ = State::Discarding;
}

void LevelDownload::Cancel()
{
    if (state_ == State::Writing)
        Fail();
}

int LevelDownload::Percent() const { return total_ ? int(uint64_t(written_) * 100 / total_) : 0; }

void LevelDownload::TakeChunk(GamePacket& packet)
{
    switch (state_) {
    case State::Expecting:
        Open(packet);
        return;
    case State::Writing: {
        const uint8_t* data = nullptr;
        int size = 0;
        GameMessages::ReadChunk(packet, &data, &size);
        Write(data, size, size < GameMessages::kChunkBytes);
        return;
    }
    default:
        return; // nothing asked for, refused, or already whole
    }
}

void LevelDownload::Open(GamePacket& packet)
{
    GameMessages::FirstChunk first;
    if (!GameMessages::ReadFirstChunk(packet, &first) || first.total == 0 || first.total > kMaxTotal) {
        Fail();
        return;
    }
    total_ = first.total;
    // The name in the chunk is the server's to choose and is not used: the
    // level start's checked path is.
    file_ = files_ ? files_->Open(path_.c_str(), kOpenWrite, kOpenNoPackage | kOpenReplace) : nullptr;
    if (!file_) {
        Fail();
        return;
    }
    state_ = State::Writing;
    Write(first.data, first.size, false);
}

void LevelDownload::Write(const uint8_t* data, int size, bool shortChunk)
{
    if (size > 0) {
        // Bytes past the announced total: the file would not be the level.
        if (uint64_t(written_) + uint64_t(size) > total_ || !file_->Write(data, size)) {
            Fail();
            return;
        }
        written_ += uint32_t(size);
    }
    if (written_ == total_) {
        // Flush puts the file in place; false when that failed.
        bool placed = file_->Flush();
        delete file_;
        file_ = nullptr;
        if (!placed) {
            failed_ = true;
            state_ = State::Discarding;
            return;
        }
        state_ = State::Done;
        return;
    }
    if (shortChunk)
        Fail(); // the server ended its upload early
}
