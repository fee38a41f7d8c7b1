// The tags of a game beyond those InfosPartie keeps, as a list of name/value pairs.
//
// The list hangs off the Partie in file order; the loader appends to it, the writer writes it
// back after the fixed tags, the other-tags dialog shows it. Each pair owns the next one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/live_count.h"

namespace pawnlet {

class Partie;

class PGNHeader {
public:
    PGNHeader(std::u16string tagName, std::u16string tagValue);
    // Destroys the rest of the list behind this pair as well (without recursing per pair).
    virtual ~PGNHeader();
    PGNHeader(const PGNHeader&) = delete;
    PGNHeader& operator=(const PGNHeader&) = delete;

    std::u16string value;
    std::u16string tag;
    std::unique_ptr<PGNHeader> next;

private:
    LiveCount<PGNHeader> counter;
};

// Adds a tag line (without its opening "[") to the partie's extra tags: the name is the text up
// to the first blank or the end, the value what ExtractQuoted finds in the rest (empty when it
// holds no double quote).
void AddExtraTag(Partie& partie, std::u16string_view line);

} // namespace pawnlet
