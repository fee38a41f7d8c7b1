#include "dialogs/properties_dialog.h"

#include "dialogs/other_tags_dialog.h"
#include "pgn/partie.h"
#include "pgn/writer.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_controls.h"

#include <QLineEdit>

#include <algorithm>
#include <array>
#include <cstdio>

using namespace pawnlet;

namespace {

using namespace PropertiesControl;

constexpr int MaxTagLength = 64;
constexpr char16_t UnknownDate[] = u"????.??.??";

// One number as a formatted scan reads "%d": blanks skipped, an optional sign, at least one digit.
// Numbers too large for a date part are refused rather than wrapped.
bool ScanNumber(const std::u16string& text, std::size_t& at, long& value) {
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    const std::size_t digits = at;
    long number = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
        if (number > 1'000'000) {
            return false;
        }
        number = number * 10 + (text[at] - u'0');
        ++at;
    }
    if (at == digits) {
        return false;
    }
    value = negative ? -number : number;
    return true;
}

struct PropertiesState {
    Partie* partie = nullptr;
    // The user changed the picker: only then does OK write the Date.
    bool dateTouched = false;
    // What the dialog showed when it opened, to tell on OK whether the user changed anything.
    std::array<QString, 5> shownTexts;
    int shownResult = 0;
};

constexpr std::array<int, 5> TagEdits{WhiteEdit, BlackEdit, SiteEdit, EventEdit, RoundEdit};

// The whole text of an edit, or none when it is empty.
std::optional<std::u16string> EditText(const TemplateDialog& dialog, int id) {
    const QString text = dialog.Text(id);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text.toStdU16String();
}

void InitProperties(TemplateDialog& dialog, PropertiesState& state) {
    dialog.SetCaption(QStringLiteral("Game properties"));
    const Partie& partie = *state.partie;
    const std::array<std::pair<int, const std::optional<std::u16string>*>, 5> edits{{
        {WhiteEdit, &partie.white},
        {BlackEdit, &partie.black},
        {SiteEdit, &partie.site},
        {EventEdit, &partie.event},
        {RoundEdit, &partie.round},
    }};
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const auto& [id, text] = edits[i];
        state.shownTexts[i] = *text ? QString::fromStdU16String(**text) : QString();
        auto* edit = dialog.ControlAs<QLineEdit>(id);
        if (!edit) {
            continue;
        }
        // The limit is for typing: a longer tag read from a file is shown and kept whole (a
        // QLineEdit cuts its text to a lower limit at once), and the user's edits may shorten it
        // but never make it longer.
        edit->setMaxLength(std::max<int>(MaxTagLength, int(state.shownTexts[i].size())));
        edit->setText(state.shownTexts[i]);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& typed) {
            edit->setMaxLength(std::max<int>(MaxTagLength, int(typed.size())));
        });
    }

    int checked = UnfinishedRadio;
    switch (partie.result) {
    case WhiteWins:
        checked = WhiteWinsRadio;
        break;
    case Draw:
        checked = DrawRadio;
        break;
    case BlackWins:
        checked = BlackWinsRadio;
        break;
    case Unfinished:
    case NoResult:
        break;
    }
    dialog.SetChecked(checked, true);
    state.shownResult = checked;

    if (QWidget* white = dialog.Control(WhiteEdit)) {
        white->setFocus();
    }

    if (auto* picker = dialog.ControlAs<DatePicker>(DatePickerId)) {
        picker->SetDisplayFormat(QStringLiteral("MM/dd/yyyy"));
        picker->SetDate(PickerDateFromText(partie.date));
        // Connected after the picker was filled, so that only the user's changes count.
        QObject::connect(picker, &DatePicker::Changed, &dialog,
                         [&state] { state.dateTouched = true; });
    }
}

// True when OK would give the game a value other than the one it had: the game is then changed,
// so that opening another game or leaving asks to save it first.
bool PropertiesEdited(const TemplateDialog& dialog, const PropertiesState& state) {
    for (std::size_t i = 0; i < TagEdits.size(); ++i) {
        if (dialog.Text(TagEdits[i]) != state.shownTexts[i]) {
            return true;
        }
    }
    if (!dialog.IsChecked(state.shownResult)) {
        return true;
    }
    if (state.dateTouched) {
        const auto* picker = dialog.ControlAs<DatePicker>(DatePickerId);
        const std::u16string picked = TextFromPickerDate(picker ? picker->Date() : std::nullopt);
        if (state.partie->date != picked) {
            return true;
        }
    }
    return false;
}

// The edits' texts must fit the encoding the game's text will be written in: a character that
// it cannot hold is named, and nothing is stored. True when they fit (the game then takes that
// encoding, if it had none yet).
bool AcceptEncoding(TemplateDialog& dialog, const PropertiesState& state) {
    Partie& partie = *state.partie;
    std::u16string all;
    for (int id : {WhiteEdit, BlackEdit, SiteEdit, EventEdit, RoundEdit}) {
        all += EditText(dialog, id).value_or(std::u16string());
    }
    const platform::TextEncoding encoding = EncodingWith(partie, all);
    if (auto character = platform::FirstCharacterNotHeld(all, encoding)) {
        platform::CurrentShell().MessageBox(
            static_cast<platform::Window>(&dialog), CharacterNotHeldText(*character, encoding),
            u"Game properties", platform::Icon::Stop, platform::Buttons::Ok);
        return false;
    }
    if (encoding != platform::TextEncoding::Ascii) {
        partie.encoding = encoding;
    }
    return true;
}

void StoreProperties(TemplateDialog& dialog, const PropertiesState& state) {
    Partie& partie = *state.partie;
    if (PropertiesEdited(dialog, state)) {
        partie.changed = true;
    }
    partie.SetWhite(EditText(dialog, WhiteEdit));
    partie.SetBlack(EditText(dialog, BlackEdit));
    partie.SetSite(EditText(dialog, SiteEdit));
    partie.SetEvent(EditText(dialog, EventEdit));
    if (state.dateTouched) {
        const auto* picker = dialog.ControlAs<DatePicker>(DatePickerId);
        partie.SetDate(TextFromPickerDate(picker ? picker->Date() : std::nullopt));
    }
    partie.SetRound(EditText(dialog, RoundEdit));
    if (dialog.IsChecked(WhiteWinsRadio)) {
        partie.SetResult(WhiteWins);
    } else if (dialog.IsChecked(BlackWinsRadio)) {
        partie.SetResult(BlackWins);
    } else if (dialog.IsChecked(DrawRadio)) {
        partie.SetResult(Draw);
    } else {
        partie.SetResult(Unfinished);
    }
    partie.propertiesConfirmed = true;
}

} // namespace

std::optional<QDate> PickerDateFromText(const std::optional<std::u16string>& text) {
    if (!text) {
        return std::nullopt;
    }
    std::array<long, 3> parts{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            if (at >= text->size() || (*text)[at] != u'.') {
                return std::nullopt;
            }
            ++at;
        }
        if (!ScanNumber(*text, at, parts[i])) {
            return std::nullopt;
        }
    }
    const QDate date{int(parts[0]), int(parts[1]), int(parts[2])};
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date;
}

std::u16string TextFromPickerDate(const std::optional<QDate>& date) {
    if (!date || !date->isValid() || date->year() < 0 || date->year() > 9999) {
        return UnknownDate;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d.%02d.%02d", date->year(), date->month(),
                  date->day());
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

int ShowGamePropertiesDialog(QWidget* owner, Partie& partie) {
    PropertiesState state;
    state.partie = &partie;
    DialogProcedure procedure;
    procedure.onInit = [&state](TemplateDialog& dialog) { InitProperties(dialog, state); };
    procedure.onCommand = [&state](TemplateDialog& dialog, int id, int) {
        switch (id) {
        case 1:
            if (!AcceptEncoding(dialog, state)) {
                return true;
            }
            StoreProperties(dialog, state);
            dialog.End(1);
            return true;
        case 2:
            dialog.End(2);
            return true;
        case MoreButton:
            (void)ShowOtherTagsDialog(&dialog, *state.partie);
            return true;
        default:
            return false;
        }
    };
    // The handheld raised its soft keyboard here; a desktop has none to raise or lower.
    return RunDialog(PropertiesTemplate, owner, std::move(procedure));
}
