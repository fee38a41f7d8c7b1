// Dialog templates: every dialog of the program described as data, loaded by number.
//
// A template gives the dialog's caption, font, size and controls in dialog units, the way the
// dialogs were first laid out; the builder (dialog_builder.h) turns it into real widgets. A dialog
// unit is a quarter of the dialog font's average character width horizontally and an eighth of
// its height vertically.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Identifiers of the dialog templates.
inline constexpr int AboutTemplate = 100;
inline constexpr int PromotionTemplate = 102;
inline constexpr int GameListTemplate = 104;
inline constexpr int CommentTemplate = 107;
inline constexpr int MaterialTemplate = 109;
inline constexpr int OptionsTemplate = 111;
inline constexpr int NewLineTemplate = 133;
inline constexpr int PropertiesTemplate = 138;
inline constexpr int ChooseTemplate = 139;
inline constexpr int OtherTagsTemplate = 140;
inline constexpr int SetupTemplate = 141;

// A control with no identifier of its own (labels, group boxes).
inline constexpr int NoControlId = -1;

// The kind of widget a control becomes.
enum class ControlKind {
    Static,      // a text label (QLabel)
    Icon,        // an image from the program's icons; the text is the icon number, e.g. u"128"
    Edit,        // a one-line or multi-line text field (QLineEdit, or QPlainTextEdit if MultiLine)
    PushButton,  // QPushButton; a click is the command (id, BnClicked)
    CheckBox,    // automatic check box (QCheckBox)
    RadioButton, // automatic radio button; radios between two GroupStart marks are exclusive
    GroupBox,    // a frame with a title; purely decorative
    ListBox,     // a list of texts (QListWidget)
    ListView,    // a report list with columns (QTreeView without a model: the dialog supplies it)
    UpDown,      // spin arrows bound to the edit created just before it (auto-buddy)
    DatePicker,  // a date with a no-date state (DatePicker, dialog_controls.h)
};

// Style flags of a control; only the ones that change what a widget does are kept.
namespace ControlStyle {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Border = 1u << 0;       // a framed edit, list or static
inline constexpr std::uint32_t Centered = 1u << 1;     // static text centred
inline constexpr std::uint32_t MultiLine = 1u << 2;    // edit with several lines, wrapping
inline constexpr std::uint32_t AutoHScroll = 1u << 3;  // edit that scrolls sideways
inline constexpr std::uint32_t VScroll = 1u << 4;      // vertical scroll bar
inline constexpr std::uint32_t Notify = 1u << 5;       // list box reports selection changes
inline constexpr std::uint32_t GroupStart = 1u << 6;   // starts a new group of radio buttons
inline constexpr std::uint32_t NoSortHeader = 1u << 7; // list view whose headers do not sort
inline constexpr std::uint32_t ShowNone = 1u << 8;     // date picker with a no-date state
inline constexpr std::uint32_t PushLike = 1u << 9;     // radio button drawn as a push button
inline constexpr std::uint32_t ReadOnly = 1u << 10;
} // namespace ControlStyle

// How the dialog is placed when shown.
enum class DialogPlacement {
    Sized,      // keeps its template size, centred over its owner
    FullScreen, // covers the main window's screen area, with OK in a title strip at the top
};

struct DialogControl {
    int id = NoControlId;
    ControlKind kind = ControlKind::Static;
    std::u16string_view text;
    std::uint32_t style = ControlStyle::None;
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    int maxLength = 0;                       // edits: most characters accepted, 0 = no limit
};

struct DialogTemplate {
    int id = 0;
    std::u16string_view caption; // may be empty: the procedure sets it at creation
    std::u16string_view font;    // face name as the template gives it ("Tahoma", "System", ...)
    int pointSize = 8;
    int width = 0, height = 0; // dialog units
    DialogPlacement placement = DialogPlacement::Sized;
    std::vector<DialogControl> controls;

    // The control with this identifier, or null.
    [[nodiscard]] const DialogControl* FindControl(int controlId) const;
};

// The template with this number, or null when the program has none.
[[nodiscard]] const DialogTemplate* FindDialogTemplate(int templateId);

// Every template, in number order (for tests and tools).
const std::vector<DialogTemplate>& AllDialogTemplates();
