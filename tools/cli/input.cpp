#include "tools/cli/input.h"

#include <archive.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/retry.h"
#include "platform/text.h"

using namespace pawnlet;

namespace cli {
namespace {

std::string ErrorText(int code) {
    return platform::ToUtf8(platform::FileErrorText(code));
}

// Reads a descriptor that cannot seek; the first bytes, read to recognise a compression, are
// given back first.
class DescriptorStream final : public platform::ByteSource {
public:
    DescriptorStream(int fd, bool owned, std::string head)
        : fd(fd), owned(owned), head(std::move(head)) {}
    ~DescriptorStream() override {
        if (owned) {
            ::close(fd);
        }
    }
    DescriptorStream(const DescriptorStream&) = delete;
    DescriptorStream& operator=(const DescriptorStream&) = delete;

    [[nodiscard]] bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        char* out = static_cast<char*>(buffer);
        if (headAt < head.size()) {
            got = std::min(size, head.size() - headAt);
            std::memcpy(out, head.data() + headAt, got);
            headAt += got;
        }
        while (got < size) {
            std::size_t n = 0;
            if (!ReadSome(out + got, size - got, n)) {
                return false;
            }
            if (n == 0) {
                break;
            }
            got += n;
        }
        position += got;
        return true;
    }
    [[nodiscard]] bool Seek(std::uint64_t offset) override {
        if (offset != position) {
            platform::SetLastError(ESPIPE);
            return false;
        }
        return true;
    }

    // One read of the descriptor, of up to `size` bytes; 0 at the end.
    [[nodiscard]] bool ReadSome(char* out, std::size_t size, std::size_t& got) {
        got = 0;
        const ssize_t n = platform::RetryInterrupted([&] { return ::read(fd, out, size); });
        if (n < 0) {
            platform::SetLastError(errno);
            return false;
        }
        got = static_cast<std::size_t>(n);
        return true;
    }
    // The bytes the descriptor still holds before the end: the head, then the descriptor.
    [[nodiscard]] bool NextBlock(const void*& data, std::size_t& size) {
        if (headAt < head.size()) {
            data = head.data() + headAt;
            size = head.size() - headAt;
            headAt = head.size();
            return true;
        }
        block.resize(1 << 16);
        data = block.data();
        return ReadSome(block.data(), block.size(), size);
    }

private:
    int fd;
    bool owned;
    std::string head;
    std::size_t headAt = 0;
    std::string block;
    std::uint64_t position = 0;
};

// Decompresses what `raw` reads, with libarchive's raw format: the whole input is one entry.
class DecompressedStream final : public platform::ByteSource {
public:
    explicit DecompressedStream(std::unique_ptr<DescriptorStream> input)
        : raw(std::move(input)), archive(archive_read_new()) {}
    ~DecompressedStream() override { archive_read_free(archive); }
    DecompressedStream(const DecompressedStream&) = delete;
    DecompressedStream& operator=(const DecompressedStream&) = delete;

    // False, with the library's reason in `problem`, when the input is not what its magic
    // bytes announced.
    [[nodiscard]] bool Open(std::string& problem) {
        archive_entry* entry = nullptr;
        if (archive == nullptr || archive_read_support_filter_all(archive) != ARCHIVE_OK ||
            archive_read_support_format_raw(archive) != ARCHIVE_OK ||
            archive_read_open(archive, this, nullptr, &DecompressedStream::ReadCallback, nullptr) !=
                ARCHIVE_OK ||
            archive_read_next_header(archive, &entry) != ARCHIVE_OK) {
            problem = Reason();
            return false;
        }
        return true;
    }

    [[nodiscard]] bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        char* out = static_cast<char*>(buffer);
        while (got < size) {
            const la_ssize_t n = archive_read_data(archive, out + got, size - got);
            if (n < 0) {
                // The message names what is wrong with the data better than any errno.
                reason = Reason();
                platform::SetLastError(EIO);
                return false;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        position += got;
        return true;
    }
    [[nodiscard]] bool Seek(std::uint64_t offset) override {
        if (offset != position) {
            platform::SetLastError(ESPIPE);
            return false;
        }
        return true;
    }

    const std::string& FailureReason() const { return reason; }

private:
    static la_ssize_t ReadCallback(struct archive* a, void* self, const void** data) {
        auto* stream = static_cast<DecompressedStream*>(self);
        std::size_t size = 0;
        if (!stream->raw->NextBlock(*data, size)) {
            archive_set_error(a, platform::LastError(), "%s",
                              ErrorText(platform::LastError()).c_str());
            return -1;
        }
        return static_cast<la_ssize_t>(size);
    }
    std::string Reason() const {
        const char* text = archive == nullptr ? nullptr : archive_error_string(archive);
        return text != nullptr ? text : "the data cannot be decompressed";
    }

    std::unique_ptr<DescriptorStream> raw;
    struct archive* archive;
    std::string reason;
    std::uint64_t position = 0;
};

// Up to `size` bytes from the start of `fd`, fewer only at its end.
bool ReadHead(int fd, std::size_t size, std::string& head) {
    head.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n =
            platform::RetryInterrupted([&] { return ::read(fd, head.data() + got, size - got); });
        if (n < 0) {
            platform::SetLastError(errno);
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    return true;
}

} // namespace

std::string CompressionOf(std::string_view head) {
    if (head.starts_with("\x28\xB5\x2F\xFD")) {
        return "zstd";
    }
    if (head.starts_with("\x1F\x8B")) {
        return "gzip";
    }
    if (head.starts_with("BZh")) {
        return "bzip2";
    }
    if (head.starts_with(std::string_view("\xFD"
                                          "7zXZ\0",
                                          6))) {
        return "xz";
    }
    return {};
}

bool OpenInput(const std::string& path, Input& input, std::string& problem) {
    constexpr std::size_t magicLength = 6;
    int fd = STDIN_FILENO;
    bool owned = false;
    if (path != "-") {
        // Without O_NONBLOCK, opening a named pipe waits for a writer, for ever if none comes.
        fd = platform::RetryInterrupted(
            [&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); });
        if (fd < 0) {
            problem = ErrorText(errno);
            return false;
        }
        owned = true;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        problem = ErrorText(errno);
        if (owned) {
            ::close(fd);
        }
        return false;
    }
    // Standard input is read as whatever it is (a terminal, a socket) but a folder; a named
    // file must be a regular file or a pipe.
    if (S_ISDIR(st.st_mode) || (owned && !S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode))) {
        problem = S_ISDIR(st.st_mode)
                      ? "is a folder; games are read from a file, standard input or a pipe"
                      : "is a device or the like; games are read from a file, standard input "
                        "or a pipe";
        if (owned) {
            ::close(fd);
        }
        return false;
    }
    if (owned) {
        // A pipe opened without a writer reads as empty until one comes: wait for it as a
        // blocking open would, but in a read, where Ctrl-C ends the wait.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            problem = ErrorText(errno);
            ::close(fd);
            return false;
        }
        if (S_ISFIFO(st.st_mode)) {
            pollfd wait{fd, POLLIN, 0};
            (void)platform::RetryInterrupted([&] { return ::poll(&wait, 1, -1); });
        }
    }
    std::string head;
    if (!ReadHead(fd, magicLength, head)) {
        problem = ErrorText(platform::LastError());
        if (owned) {
            ::close(fd);
        }
        return false;
    }
    input.compression = CompressionOf(head);
    if (S_ISREG(st.st_mode) && input.compression.empty() && owned) {
        input.kind = InputKind::File;
        input.file = platform::File::Adopt(fd);
        if (!input.file.Seek(0)) {
            problem = ErrorText(platform::LastError());
            return false;
        }
        input.source = &input.file;
        return true;
    }
    auto raw = std::make_unique<DescriptorStream>(fd, owned, std::move(head));
    if (input.compression.empty()) {
        input.kind = InputKind::Stream;
        input.stream = std::move(raw);
    } else {
        input.kind = InputKind::Compressed;
        auto decompressed = std::make_unique<DecompressedStream>(std::move(raw));
        if (!decompressed->Open(problem)) {
            problem = "cannot be read as " + input.compression + ": " + problem;
            return false;
        }
        input.stream = std::move(decompressed);
    }
    input.source = input.stream.get();
    return true;
}

// The reason a stream's read failed, for the message.
std::string ReadFailureText(const Input& input) {
    if (auto* decompressed = dynamic_cast<const DecompressedStream*>(input.stream.get())) {
        if (!decompressed->FailureReason().empty()) {
            return decompressed->FailureReason();
        }
    }
    return ErrorText(platform::LastError());
}

} // namespace cli
