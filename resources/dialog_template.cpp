#include "resources/dialog_template.h"

#include "pawnlet_version.h"

#include <algorithm>

namespace {

using K = ControlKind;
namespace S = ControlStyle;

DialogControl Ctl(int id, ControlKind kind, std::u16string_view text, std::uint32_t style, int x,
                  int y, int width, int height, int maxLength = 0) {
    return DialogControl{id, kind, text, style, x, y, width, height, maxLength};
}

std::vector<DialogTemplate> MakeTemplates() {
    std::vector<DialogTemplate> all;

    // About: the icon, the version, the credits and the build stamp.
    all.push_back({AboutTemplate,
                   u"",
                   u"Tahoma",
                   8,
                   127,
                   104,
                   DialogPlacement::FullScreen,
                   {
                       Ctl(NoControlId, K::Icon, u"128", S::None, 7, 7, 20, 20),
                       Ctl(NoControlId, K::Static, u"Pawnlet version " PAWNLET_VERSION_TEXT,
                           S::None, 32, 13, 88, 8),
                       Ctl(1044, K::Static,
                           u"A chess game viewer and editor\nfor PGN files\nFree to use and share",
                           S::Centered, 7, 34, 113, 31),
                       Ctl(1015, K::Static, u"", S::Centered, 7, 72, 113, 25),
                   }});

    // Promotion: one button per piece a pawn may become.
    all.push_back({PromotionTemplate,
                   u"Promotion in",
                   u"System",
                   8,
                   53,
                   61,
                   DialogPlacement::Sized,
                   {
                       Ctl(1000, K::PushButton, u"&Queen", S::None, 7, 7, 39, 10),
                       Ctl(1001, K::PushButton, u"&Rook", S::None, 7, 19, 39, 10),
                       Ctl(1002, K::PushButton, u"K&night", S::None, 7, 31, 39, 10),
                       Ctl(1003, K::PushButton, u"&Bishop", S::None, 7, 44, 39, 10),
                   }});

    // Game list: column check boxes over the list of games.
    all.push_back({GameListTemplate,
                   u"",
                   u"System",
                   8,
                   132,
                   113,
                   DialogPlacement::FullScreen,
                   {
                       Ctl(1000, K::ListView, u"", S::Border, 7, 39, 123, 67),
                       Ctl(1001, K::CheckBox, u"&Result", S::None, 2, 4, 37, 10),
                       Ctl(1002, K::CheckBox, u"&Date", S::None, 50, 4, 31, 10),
                       Ctl(1005, K::CheckBox, u"E&CO", S::None, 2, 26, 30, 10),
                       Ctl(1003, K::CheckBox, u"&Event", S::None, 2, 15, 35, 10),
                       Ctl(1004, K::CheckBox, u"R&ound", S::None, 50, 15, 37, 10),
                       Ctl(1056, K::CheckBox, u"&Start", S::None, 50, 26, 32, 10),
                       Ctl(2, K::PushButton, u"Cancel", S::None, 87, 4, 44, 11),
                   }});

    // Comment editor.
    all.push_back(
        {CommentTemplate,
         u"",
         u"MS Sans Serif",
         8,
         157,
         113,
         DialogPlacement::FullScreen,
         {
             Ctl(1043, K::Edit, u"", S::Border | S::MultiLine | S::VScroll, 7, 11, 143, 80),
             Ctl(1012, K::PushButton, u"&Clear", S::None, 121, 93, 29, 13),
         }});

    // Material balance: everything is painted by the dialog.
    all.push_back({MaterialTemplate, u"", u"System", 8, 94, 58, DialogPlacement::FullScreen, {}});

    // Options: the two colours with spin arrows, comment marks, board size.
    all.push_back(
        {OptionsTemplate,
         u"",
         u"System",
         8,
         147,
         156,
         DialogPlacement::FullScreen,
         {
             Ctl(NoControlId, K::Static, u"Black squares :", S::None, 6, 10, 49, 8),
             Ctl(1045, K::Edit, u"", S::Border, 6, 21, 24, 14),
             Ctl(1043, K::UpDown, u"", S::None, 30, 21, 11, 14),
             Ctl(1046, K::Edit, u"", S::Border, 32, 21, 24, 14),
             Ctl(1044, K::UpDown, u"", S::None, 54, 21, 11, 14),
             Ctl(1047, K::Edit, u"", S::Border, 59, 21, 24, 14),
             Ctl(1048, K::UpDown, u"", S::None, 85, 21, 11, 14),
             Ctl(NoControlId, K::Static, u"Selection :", S::None, 6, 37, 49, 8),
             Ctl(1049, K::Edit, u"", S::Border, 6, 47, 24, 14),
             Ctl(1050, K::UpDown, u"", S::None, 30, 47, 11, 14),
             Ctl(1051, K::Edit, u"", S::Border, 32, 47, 24, 14),
             Ctl(1052, K::UpDown, u"", S::None, 54, 47, 11, 14),
             Ctl(1053, K::Edit, u"", S::Border, 59, 47, 24, 14),
             Ctl(1054, K::UpDown, u"", S::None, 85, 47, 11, 14),
             Ctl(1012, K::PushButton, u"&Restore defaults", S::None, 6, 62, 66, 14),
             Ctl(1055, K::CheckBox, u"&Indicate comments with [...]", S::None, 1, 85, 107, 10),
             Ctl(1024, K::RadioButton, u"&Standard", S::GroupStart, 15, 110, 45, 10),
             Ctl(1025, K::RadioButton, u"&Large", S::None, 83, 110, 34, 10),
             Ctl(NoControlId, K::GroupBox, u"Board size", S::GroupStart, 0, 99, 133, 28),
         }});

    // New line: add the tapped move as a variation or replace an existing move.
    all.push_back(
        {NewLineTemplate,
         u"New line",
         u"MS Sans Serif",
         8,
         113,
         77,
         DialogPlacement::Sized,
         {
             Ctl(3, K::PushButton, u"&Add", S::None, 56, 18, 50, 14),
             Ctl(1001, K::PushButton, u"&Replace", S::None, 56, 34, 50, 14),
             Ctl(2, K::PushButton, u"Cancel", S::None, 56, 50, 50, 14),
             Ctl(1000, K::ListBox, u"", S::Border | S::VScroll | S::Notify, 7, 18, 42, 51),
             Ctl(NoControlId, K::Static, u"Other moves", S::None, 7, 7, 41, 8),
         }});

    // Game properties: the six texts, the date and the result.
    all.push_back({PropertiesTemplate,
                   u"",
                   u"MS Sans Serif",
                   8,
                   149,
                   113,
                   DialogPlacement::FullScreen,
                   {
                       Ctl(NoControlId, K::Static, u"&White :", S::None, 7, 5, 24, 8),
                       Ctl(1002, K::Edit, u"", S::Border | S::AutoHScroll, 36, 3, 106, 14, 64),
                       Ctl(NoControlId, K::Static, u"&Black :", S::None, 7, 21, 23, 8),
                       Ctl(1003, K::Edit, u"", S::Border, 36, 19, 106, 14, 64),
                       Ctl(NoControlId, K::Static, u"&Site :", S::None, 7, 37, 17, 8),
                       Ctl(1004, K::Edit, u"", S::Border, 36, 35, 106, 14, 64),
                       Ctl(NoControlId, K::Static, u"&Event :", S::None, 7, 53, 24, 8),
                       Ctl(1005, K::Edit, u"", S::Border, 36, 51, 106, 14, 64),
                       Ctl(NoControlId, K::Static, u"&Round :", S::None, 7, 69, 26, 8),
                       Ctl(1006, K::Edit, u"", S::Border, 36, 67, 106, 14, 64),
                       Ctl(NoControlId, K::Static, u"&Date :", S::None, 7, 85, 20, 8),
                       Ctl(1010, K::RadioButton, u"&1-0", S::GroupStart, 7, 101, 26, 10),
                       Ctl(1009, K::RadioButton, u"1/&2-1/2", S::None, 37, 101, 41, 10),
                       Ctl(1007, K::RadioButton, u"&0-1", S::None, 82, 101, 26, 10),
                       Ctl(1011, K::RadioButton, u"L&ine", S::None, 112, 101, 29, 10),
                       Ctl(1012, K::PushButton, u"&More...", S::None, 106, 83, 36, 14),
                       Ctl(1008, K::DatePicker, u"", S::ShowNone, 36, 83, 67, 15),
                   }});

    // Choose: one of several continuations.
    all.push_back(
        {ChooseTemplate,
         u"Choose",
         u"MS Sans Serif",
         8,
         67,
         77,
         DialogPlacement::Sized,
         {
             Ctl(1000, K::ListBox, u"", S::Border | S::VScroll | S::Notify, 8, 18, 51, 51),
             Ctl(NoControlId, K::Static, u"Moves :", S::None, 7, 7, 26, 8),
         }});

    // Other tags: a read-only list of the extra tags.
    all.push_back({OtherTagsTemplate,
                   u"",
                   u"System",
                   8,
                   137,
                   148,
                   DialogPlacement::FullScreen,
                   {
                       Ctl(1000, K::ListView, u"", S::Border | S::NoSortHeader, 7, 3, 123, 97),
                   }});

    // Set-up position: the board is painted on the dialog; piece buttons at the right.
    const std::uint32_t piece = S::PushLike;
    all.push_back(
        {SetupTemplate,
         u"",
         u"System",
         8,
         132,
         162,
         DialogPlacement::FullScreen,
         {
             Ctl(1029, K::RadioButton, u"TB", piece | S::GroupStart, 103, 2, 14, 14),
             Ctl(1031, K::RadioButton, u"TB", piece, 117, 2, 14, 14),
             Ctl(1032, K::RadioButton, u"TB", piece, 103, 16, 14, 14),
             Ctl(1033, K::RadioButton, u"TB", piece, 117, 16, 14, 14),
             Ctl(1034, K::RadioButton, u"TB", piece, 103, 30, 14, 14),
             Ctl(1035, K::RadioButton, u"TB", piece, 117, 30, 14, 14),
             Ctl(1036, K::RadioButton, u"TB", piece, 103, 44, 14, 14),
             Ctl(1037, K::RadioButton, u"TB", piece, 117, 44, 14, 14),
             Ctl(1038, K::RadioButton, u"TB", piece, 103, 58, 14, 14),
             Ctl(1039, K::RadioButton, u"TB", piece, 117, 58, 14, 14),
             Ctl(1040, K::RadioButton, u"TB", piece, 103, 72, 14, 14),
             Ctl(1041, K::RadioButton, u"TB", piece, 117, 72, 14, 14),
             Ctl(1012, K::PushButton, u"Clear", S::GroupStart, 82, 91, 50, 12),
             Ctl(1061, K::PushButton, u"Copy board", S::None, 8, 91, 50, 12),
             Ctl(1025, K::CheckBox, u"Wh. O-O OK", S::None, 8, 104, 55, 10),
             Ctl(1026, K::CheckBox, u"Wh. O-O-O OK", S::None, 66, 104, 62, 10),
             Ctl(1027, K::CheckBox, u"Bl. O-O OK", S::None, 8, 115, 51, 10),
             Ctl(1028, K::CheckBox, u"Bl. O-O-O OK", S::None, 66, 115, 58, 10),
             Ctl(1024, K::RadioButton, u"White to play", S::GroupStart, 7, 127, 59, 10),
             Ctl(1030, K::RadioButton, u"Black to play", S::None, 66, 127, 58, 10),
             Ctl(NoControlId, K::Static, u"Move # :", S::None, 7, 142, 29, 8),
             Ctl(1042, K::Edit, u"", S::Border | S::AutoHScroll | S::GroupStart, 41, 140, 23, 14),
             Ctl(1046, K::UpDown, u"", S::None, 65, 140, 10, 14),
         }});

    std::sort(all.begin(), all.end(),
              [](const DialogTemplate& a, const DialogTemplate& b) { return a.id < b.id; });
    return all;
}

} // namespace

const DialogControl* DialogTemplate::FindControl(int controlId) const {
    if (controlId == NoControlId) {
        return nullptr;
    }
    for (const DialogControl& control : controls) {
        if (control.id == controlId) {
            return &control;
        }
    }
    return nullptr;
}

const std::vector<DialogTemplate>& AllDialogTemplates() {
    static const std::vector<DialogTemplate> templates = MakeTemplates();
    return templates;
}

const DialogTemplate* FindDialogTemplate(int templateId) {
    for (const DialogTemplate& tmpl : AllDialogTemplates()) {
        if (tmpl.id == templateId) {
            return &tmpl;
        }
    }
    return nullptr;
}
