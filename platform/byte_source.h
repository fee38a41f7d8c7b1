// Where the PGN readers take their bytes from: a file, the bytes of part of a file held in
// memory, or a stream (standard input, a pipe, a decompressor) that the command-line tool
// provides.
//
// Offsets are those of the whole file or stream, whatever part of it a source holds, so that
// the game index and the loader give the same offsets from any of them.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace pawnlet::platform {

void SetLastError(int code);

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes; `got` is what was read, less than `size` only at the end of the
    // bytes. False when the read failed (LastError() says why).
    [[nodiscard]] virtual bool Read(void* buffer, std::size_t size, std::size_t& got) = 0;
    // Goes to `offset`. A stream cannot go back or skip ahead: it goes only where it already
    // stands, and fails elsewhere (ESPIPE).
    [[nodiscard]] virtual bool Seek(std::uint64_t offset) = 0;
};

// Bytes in memory that stand at `offset` in their file: Seek takes the file's offsets and
// refuses any outside [offset, offset + size] (EINVAL). The bytes are not owned.
class MemorySource final : public ByteSource {
public:
    MemorySource(std::string_view bytes, std::uint64_t offset) : bytes(bytes), first(offset) {}

    [[nodiscard]] bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = std::min(size, bytes.size() - at);
        std::memcpy(buffer, bytes.data() + at, got);
        at += got;
        return true;
    }
    [[nodiscard]] bool Seek(std::uint64_t offset) override {
        if (offset < first || offset - first > bytes.size()) {
            SetLastError(EINVAL);
            return false;
        }
        at = static_cast<std::size_t>(offset - first);
        return true;
    }

private:
    std::string_view bytes;
    std::uint64_t first;
    std::size_t at = 0;
};

} // namespace pawnlet::platform
