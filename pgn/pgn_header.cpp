#include "pgn/pgn_header.h"

#include "pgn/line_reader.h"
#include "pgn/partie.h"

namespace pawnlet {

PGNHeader::PGNHeader(std::u16string tagName, std::u16string tagValue)
    : value(std::move(tagValue)), tag(std::move(tagName)) {}

PGNHeader::~PGNHeader() {
    // A file can hold a game with many thousands of tags: unlink them one by one.
    std::unique_ptr<PGNHeader> rest = std::move(next);
    while (rest) {
        rest = std::move(rest->next);
    }
}

void AddExtraTag(Partie& partie, std::u16string_view line) {
    std::size_t blank = line.find(u' ');
    std::u16string name(line.substr(0, blank));
    std::u16string value;
    if (blank != std::u16string_view::npos) {
        value = ExtractQuoted(line.substr(blank));
    }
    partie.AppendExtraTag(std::make_unique<PGNHeader>(std::move(name), std::move(value)));
}

} // namespace pawnlet
