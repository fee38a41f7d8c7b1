#include "pgn/game_pieces.h"

#include <utility>

#include "pgn/scan_games.h"
#include "platform/byte_source.h"

namespace pawnlet {

namespace {

// Counts the bytes that the scanner reads, and keeps them when asked to, so that a piece's
// bytes are those the scanner saw: a stream is read once.
class RecordingSource final : public platform::ByteSource {
public:
    RecordingSource(platform::ByteSource& inner, std::string* kept) : inner(inner), kept(kept) {}

    [[nodiscard]] bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        if (!inner.Read(buffer, size, got)) {
            return false;
        }
        if (kept != nullptr) {
            kept->append(static_cast<const char*>(buffer), got);
        }
        position += got;
        return true;
    }
    [[nodiscard]] bool Seek(std::uint64_t offset) override {
        // The scanner goes to the start once, before it reads.
        if (!inner.Seek(offset)) {
            return false;
        }
        position = offset;
        return true;
    }
    std::uint64_t Position() const { return position; }

private:
    platform::ByteSource& inner;
    std::string* kept;
    std::uint64_t position = 0;
};

} // namespace

bool CutIntoPieces(platform::ByteSource& source, std::size_t pieceSize, bool keepBytes,
                   const std::function<void(GamePiece&&)>& take) {
    GamePiece piece;
    // The bytes read from piece.offset on; what lies beyond the piece's cut goes on to the next.
    std::string kept;
    RecordingSource recording(source, keepBytes ? &kept : nullptr);
    std::int32_t count = 0;
    std::uint64_t listed = 0;
    auto cutAt = [&](std::uint64_t at) {
        GamePiece next;
        next.offset = at;
        next.gamesBefore = listed;
        piece.end = at;
        if (keepBytes) {
            const auto length = static_cast<std::size_t>(at - piece.offset);
            next.bytes.assign(kept, length);
            piece.bytes = std::move(kept);
            piece.bytes.resize(length);
            kept = std::move(next.bytes);
            // Room for the whole next piece and the scanner's reading ahead, at once.
            kept.reserve(pieceSize + pieceSize / 2);
            next.bytes.clear();
        }
        take(std::exchange(piece, std::move(next)));
    };
    // A game is delivered once the scanner has read past its start: its bytes are all kept.
    const bool read = ScanGameBytes(recording, count, [&](const ScannedGame& game, std::uint64_t) {
        if (!piece.starts.empty() && game.startOffset - piece.offset >= pieceSize) {
            cutAt(game.startOffset);
        }
        piece.starts.push_back(game.startOffset);
        ++listed;
    });
    piece.end = recording.Position();
    if (piece.end > piece.offset || !piece.starts.empty()) {
        piece.bytes = std::move(kept);
        take(std::move(piece));
    }
    return read;
}

} // namespace pawnlet
