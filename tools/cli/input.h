// The file a reading command of pawnlet-cli reads: a regular file, standard input ("-"), a
// pipe, or any of these compressed with zstd, gzip, bzip2 or xz, recognised by its first bytes
// and decompressed as it is read, in constant memory.
//
// Only a regular file that is not compressed can be seeked, and only it can be saved to. A
// folder or a device is refused, and so is nothing else: a named pipe is opened without waiting
// for a writer, and read as a stream once one comes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/byte_source.h"
#include "platform/file.h"

namespace cli {

enum class InputKind {
    File,       // a regular file, not compressed: `file` reads it
    Stream,     // standard input or a pipe, not compressed
    Compressed, // a compressed file or stream
};

struct Input {
    InputKind kind = InputKind::File;
    // The regular file; open for a File only.
    pawnlet::platform::File file;
    // What the readers read: `file`, or the stream.
    pawnlet::platform::ByteSource* source = nullptr;
    // The stream and what decompresses it.
    std::unique_ptr<pawnlet::platform::ByteSource> stream;
    // "zstd", "gzip", "bzip2" or "xz" for a compressed input.
    std::string compression;
};

// Opens `path` ("-": standard input) for reading. On failure, false and `problem` says why in a
// sentence for the user (without the path).
[[nodiscard]] bool OpenInput(const std::string& path, Input& input, std::string& problem);

// The compression whose magic bytes begin `head`, or empty.
std::string CompressionOf(std::string_view head);

// Why the last read of `input` failed: the decompressor's reason, or the system's.
std::string ReadFailureText(const Input& input);

} // namespace cli
