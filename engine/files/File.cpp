#include "engine/files/File.h"

#include "engine/core/StringKit.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

File::File(const char16_t* name, int size) : name_(name ? name : u""), size_(size) {}

File::~File()
{
    // Backends flush in their own destructors; what is still open here
    // (a memory file nobody flushed) is only released.
    EndStream();
}

bool File::EnsureBuffers(int inputSize)
{
    if (inputSize_ < inputSize) {
        input_.reset(new (std::nothrow) uint8_t[inputSize]);
        inputSize_ = input_ ? inputSize : 0;
    }
    if (!output_)
        output_.reset(new (std::nothrow) uint8_t[kOutputSize]);
    return input_ && output_;
}

void File::EndStream()
{
    if (!compressing_)
        return;
    if (sectionWriting_)
        deflateEnd(&zs_);
    else
        inflateEnd(&zs_);
    compressing_ = false;
}

bool File::BeginCompression()
{
    if (compressing_)
        EndCompression();
    zs_ = z_stream{};
    if (writing_) {
        if (!EnsureBuffers(kWriteBlockSize))
            return false;
        pending_ = 0;
        if (deflateInit2(&zs_, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return false;
        sectionWriting_ = true;
    } else {
        if (!EnsureBuffers(kReadInputSize))
            return false;
        zs_.next_in = input_.get();
        zs_.avail_in = 0;
        if (inflateInit2(&zs_, 15) != Z_OK)
            return false;
        available_ = 0;
        readOffset_ = 0;
        streamEnded_ = false;
        streamBroken_ = false;
        sectionWriting_ = false;
    }
    compressing_ = true;
    return true;
}

// Deflates the pending block and writes everything produced.
bool File::DeflateBlock(int flush)
{
    zs_.next_in = input_.get();
    zs_.avail_in = uInt(pending_);
    pending_ = 0;
    bool ok = true;
    for (;;) {
        zs_.next_out = output_.get();
        zs_.avail_out = kOutputSize;
        int rc = deflate(&zs_, flush);
        int produced = kOutputSize - int(zs_.avail_out);
        if (produced > 0 && !RawWrite(output_.get(), produced))
            ok = false;
        if (rc == Z_STREAM_ERROR)
            return false;
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (zs_.avail_out != 0 && zs_.avail_in == 0))
            return ok;
        if (rc == Z_BUF_ERROR && produced == 0)
            return false; // no progress possible
    }
}

bool File::EndCompression()
{
    if (!compressing_)
        return true;
    bool ok = true;
    if (sectionWriting_) {
        ok = DeflateBlock(Z_FINISH);
    } else {
        // A reader that took every byte may not have met the stream's end
        // yet (an empty section never refills): look for it, so the plain
        // bytes after the section come next. Unread data stops the look.
        if (!streamEnded_ && readOffset_ == available_)
            Refill();
    }
    EndStream();
    return ok;
}

bool File::Write(const void* data, int length)
{
    if (length < 0 || (length > 0 && !data))
        return false;
    if (length == 0)
        return true;
    if (!compressing_ || !sectionWriting_)
        return RawWrite(data, length);
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bool ok = true;
    while (length > 0) {
        int n = std::min(length, kWriteBlockSize - pending_);
        std::memcpy(input_.get() + pending_, p, size_t(n));
        pending_ += n;
        p += n;
        length -= n;
        if (pending_ == kWriteBlockSize && !DeflateBlock(Z_SYNC_FLUSH))
            ok = false;
    }
    return ok;
}

bool File::WriteString(const char16_t* text)
{
    size_t n = Util::StrLen(text);
    std::vector<uint8_t> bytes((n + 1) * 2, 0);
    for (size_t i = 0; i < n; ++i) {
        bytes[2 * i] = uint8_t(text[i]);
        bytes[2 * i + 1] = uint8_t(text[i] >> 8);
    }
    if (bytes.size() > size_t(INT32_MAX))
        return false;
    return Write(bytes.data(), int(bytes.size()));
}

bool File::WriteInt(int value)
{
    uint32_t v = uint32_t(value);
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return Write(b, 4);
}

int File::Read(void* buffer, int length)
{
    if (length <= 0 || !buffer)
        return 0;
    if (!compressing_ || sectionWriting_)
        return RawRead(buffer, length);
    return ReadCompressed(static_cast<uint8_t*>(buffer), length);
}

int File::ReadCompressed(uint8_t* out, int length)
{
    int copied = 0;
    while (copied < length) {
        if (readOffset_ < available_) {
            int n = std::min(length - copied, available_ - readOffset_);
            std::memcpy(out + copied, output_.get() + readOffset_, size_t(n));
            readOffset_ += n;
            copied += n;
            continue;
        }
        if (streamEnded_) {
            // The section is over: the rest of the request is plain bytes.
            int r = RawRead(out + copied, length - copied);
            return r > 0 ? copied + r : copied;
        }
        if (!Refill())
            break;
    }
    return copied;
}

// Inflates into the 1 MiB buffer; false when nothing more can come out
// and the stream did not end.
bool File::Refill()
{
    available_ = 0;
    readOffset_ = 0;
    while (!streamBroken_) {
        zs_.next_out = output_.get();
        zs_.avail_out = kOutputSize;

        int got = 0;
        if (zs_.avail_in > 0) {
            int left = int(zs_.avail_in);
            std::memmove(input_.get(), zs_.next_in, size_t(left));
            if (left < kReadInputSize)
                got = RawRead(input_.get() + left, kReadInputSize - left);
        } else {
            got = RawRead(input_.get(), kFreshInputSize);
        }
        // A failed backend read counts as the end of the input.
        if (got < 0)
            got = 0;
        zs_.avail_in += uInt(got);
        zs_.next_in = input_.get();
        uInt before = zs_.avail_in;

        int rc = inflate(&zs_, Z_NO_FLUSH);
        available_ = kOutputSize - int(zs_.avail_out);
        if (rc == Z_STREAM_END) {
            // Leave the backend on the first byte after the section.
            if (zs_.avail_in > 0)
                RawSkip(-int(zs_.avail_in));
            zs_.avail_in = 0;
            streamEnded_ = true;
            return true;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            streamBroken_ = true;
        if (available_ > 0)
            return true;
        // Input that only carried block headers yields nothing yet; go on
        // while bytes still come in or get consumed.
        if (got == 0 && zs_.avail_in == before)
            return false;
    }
    return false;
}

bool File::ReadLine(char* buffer, int size)
{
    if (!buffer || size <= 0)
        return false;
    buffer[0] = 0;
    if (compressing_ || size < 2)
        return false;
    char c;
    do {
        if (RawRead(&c, 1) != 1)
            return false;
    } while (c == '\r' || c == '\n');

    int n = 0;
    for (;;) {
        buffer[n++] = c;
        if (n == size - 1)
            break;
        if (RawRead(&c, 1) != 1) {
            buffer[n] = 0;
            return false; // the file ended inside the line
        }
        if (c == '\r' || c == '\n') {
            char next;
            // A line end right before the end of the file still ends a line.
            if (RawRead(&next, 1) == 1 && next != '\r' && next != '\n')
                RawSkip(-1);
            break;
        }
    }
    buffer[n] = 0;
    return true;
}
