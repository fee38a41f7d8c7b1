// Move annotations (Coup::nag) and position assessments (Position::evaluation): their glyphs,
// and the menu commands that set them, as data for the menus and the glyph lookups.
#pragma once

#include <array>
#include <string>

namespace pawnlet {

// One menu item: its command identifier, its text, and the value it stores.
struct AnnotationItem {
    int command;
    const char16_t* menuText;
    int value;
};

// The "Annotations" menu (commands 40004..40010, nag = command - 40004), in menu order:
// "(none)", "!", "!!", "!?", "?!", "?", "??".
inline constexpr int FirstAnnotationCommand = 40004;
inline constexpr int LastAnnotationCommand = 40010;
extern const std::array<AnnotationItem, 7> MoveAnnotationMenu;

// The "&Position" menu (commands 40028..40036), in menu order; evaluation 0 or 12..19.
inline constexpr int FirstAssessmentCommand = 40028;
inline constexpr int LastAssessmentCommand = 40036;
extern const std::array<AnnotationItem, 9> PositionAssessmentMenu;

// The glyph of a move annotation ("!" for 1 .. "?!" for 6), null for other values.
const char16_t* NagGlyph(int nag);
// The nag an annotation command sets, or -1 for another command.
int AnnotationCommandToNag(int command);
// The evaluation an assessment command sets, or -1 for another command.
int AssessmentCommandToEvaluation(int command);
// The glyph image of an assessment (0 for 12 .. 7 for 19; 10 and 11 show the image of 12),
// or -1 when the value has none.
int AssessmentImageIndex(int evaluation);

// Rewrites a glyph token ("!", "?", "!!", "??", "!?", "?!") as its numeric annotation ("$1" ..
// "$6"); returns whether it did. Other tokens are left alone.
bool GlyphToNag(std::u16string& token);

} // namespace pawnlet
