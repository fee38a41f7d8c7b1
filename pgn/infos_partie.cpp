#include "pgn/infos_partie.h"

namespace pawnlet {

InfosPartie::InfosPartie() : white(u"White"), black(u"Black"), round(u"?") {}

InfosPartie::~InfosPartie() = default;

void InfosPartie::SetResult(int code) {
    result = code & 0xFF;
}

const char16_t* InfosPartie::ResultText(bool display) const {
    switch (result) {
    case WhiteWins:
        return u"1-0";
    case Draw:
        return display ? u"\u00BD-\u00BD" : u"1/2-1/2";
    case BlackWins:
        return u"0-1";
    default:
        return u"*";
    }
}

void GameListEntry::SetFirstMoves(std::optional<std::u16string_view> text) {
    if (!text) {
        firstMoves.reset();
        return;
    }
    firstMoves = std::u16string(text->substr(0, FirstMovesLength));
}

} // namespace pawnlet
