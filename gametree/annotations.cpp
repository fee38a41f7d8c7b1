#include "gametree/annotations.h"

namespace pawnlet {

namespace {

// Indexed by nag - 1.
constexpr const char16_t* glyphs[6] = {u"!", u"?", u"!!", u"??", u"!?", u"?!"};

} // namespace

const std::array<AnnotationItem, 7> MoveAnnotationMenu = {{
    {40004, u"(none)", 0},
    {40005, u"!", 1},
    {40007, u"!!", 3},
    {40009, u"!?", 5},
    {40010, u"?!", 6},
    {40006, u"?", 2},
    {40008, u"??", 4},
}};

const std::array<AnnotationItem, 9> PositionAssessmentMenu = {{
    {40028, u"(none)", 0},
    {40029, u"=", 12},
    {40030, u"oo", 13},
    {40031, u"White better", 14},
    {40032, u"Black better", 15},
    {40033, u"White better2", 16},
    {40034, u"Black better2", 17},
    {40035, u"White wins", 18},
    {40036, u"Black wins", 19},
}};

const char16_t* NagGlyph(int nag) {
    return nag >= 1 && nag <= 6 ? glyphs[nag - 1] : nullptr;
}

int AnnotationCommandToNag(int command) {
    for (const AnnotationItem& item : MoveAnnotationMenu) {
        if (item.command == command) {
            return item.value;
        }
    }
    return -1;
}

int AssessmentCommandToEvaluation(int command) {
    for (const AnnotationItem& item : PositionAssessmentMenu) {
        if (item.command == command) {
            return item.value;
        }
    }
    return -1;
}

int AssessmentImageIndex(int evaluation) {
    if (evaluation == 10 || evaluation == 11) {
        return 0;
    }
    return evaluation >= 12 && evaluation <= 19 ? evaluation - 12 : -1;
}

bool GlyphToNag(std::u16string& token) {
    for (int i = 0; i < 6; ++i) {
        if (token == glyphs[i]) {
            const char16_t nag[2] = {u'$', static_cast<char16_t>(u'1' + i)};
            token.assign(nag, 2);
            return true;
        }
    }
    return false;
}

} // namespace pawnlet
