#include "dialogs/options_dialog.h"

#include "chess/position.h"
#include "dialogs/echiquier.h"
#include "dialogs/settings_store.h"
#include "resources/dialog_builder.h"

#include <QPainter>

#include <array>
#include <memory>

using namespace pawnlet;

namespace {

constexpr int DarkRedEdit = 1045;
constexpr int DarkGreenEdit = 1046;
constexpr int DarkBlueEdit = 1047;
constexpr int SelRedEdit = 1049;
constexpr int SelGreenEdit = 1051;
constexpr int SelBlueEdit = 1053;
constexpr std::array<int, 6> UpDowns{1043, 1044, 1048, 1050, 1052, 1054};
constexpr int RestoreDefaultsButton = 1012;
constexpr int CommentMarksBox = 1055;
constexpr int StandardRadio = 1024;
constexpr int LargeRadio = 1025;

const QRect PreviewArea(PreviewLeft, PreviewTop, 3 * PreviewSquare, 3 * PreviewSquare);

struct OptionsState {
    OptionsValues* values = nullptr;
    std::uint32_t darkColour = DefaultBlackColor;
    std::uint32_t selColour = DefaultSelColor;
    std::unique_ptr<Echiquier> previewBoard;
    std::unique_ptr<Position> previewPosition;
};

std::uint32_t DarkFromEdits(const TemplateDialog& dialog) {
    return ColourFromTexts(dialog.Text(DarkRedEdit), dialog.Text(DarkGreenEdit),
                           dialog.Text(DarkBlueEdit));
}

std::uint32_t SelFromEdits(const TemplateDialog& dialog) {
    return ColourFromTexts(dialog.Text(SelRedEdit), dialog.Text(SelGreenEdit),
                           dialog.Text(SelBlueEdit));
}

void SetColourEdits(TemplateDialog& dialog, std::uint32_t colour, int red, int green, int blue) {
    dialog.SetText(red, QString::number(colour & 0xFF));
    dialog.SetText(green, QString::number((colour >> 8) & 0xFF));
    dialog.SetText(blue, QString::number((colour >> 16) & 0xFF));
}

// A board corner: a8 and b8 black pawns, a white knight on c7, the rest of a8..c6 empty.
std::unique_ptr<Position> MakePreviewPosition() {
    auto position = std::make_unique<Position>();
    position->SetPiece(MakeSquare(0, 6), Empty);
    position->SetPiece(MakeSquare(1, 6), Empty);
    position->SetPiece(MakeSquare(2, 6), White + Knight);
    position->SetPiece(MakeSquare(0, 7), Black + Pawn);
    position->SetPiece(MakeSquare(1, 7), Black + Pawn);
    position->SetPiece(MakeSquare(2, 7), Empty);
    return position;
}

void InitOptions(TemplateDialog& dialog, OptionsState& state) {
    state.previewBoard =
        std::make_unique<Echiquier>(dialog.Client(), PreviewSquare, PreviewLeft, PreviewTop, 0);
    state.previewPosition = MakePreviewPosition();
    const OptionsValues& shown = *state.values;
    SetColourEdits(dialog, shown.blackColor, DarkRedEdit, DarkGreenEdit, DarkBlueEdit);
    SetColourEdits(dialog, shown.selColor, SelRedEdit, SelGreenEdit, SelBlueEdit);
    state.darkColour = DarkFromEdits(dialog);
    state.selColour = SelFromEdits(dialog);
    for (int upDown : UpDowns) {
        dialog.SetUpDownRange(upDown, 0, 255);
    }
    dialog.SetChecked(CommentMarksBox, shown.indicateComment != 0);
    dialog.SetChecked(StandardRadio, shown.standardBoard != 0);
    dialog.SetChecked(LargeRadio, shown.standardBoard == 0);
    if (QWidget* first = dialog.Control(DarkRedEdit)) {
        first->setFocus();
    }
}

// The nine squares a8..c6, each on its own brush; the preview always uses the 19-pixel strip.
void PaintPreview(QPainter& painter, const OptionsState& state) {
    if (!state.previewBoard || !state.previewPosition) {
        return;
    }
    const QBrush dark(ColorFromRef(state.darkColour));
    const QBrush selection(ColorFromRef(state.selColour));
    const QBrush white(Qt::white);
    struct PreviewSquareBrush {
        int file;
        int rank;
        const QBrush* brush;
    };
    const std::array<PreviewSquareBrush, 9> squares{{
        {0, 7, &selection},
        {1, 7, &dark},
        {2, 7, &white},
        {0, 6, &dark},
        {1, 6, &white},
        {2, 6, &selection},
        {0, 5, &white},
        {1, 5, &dark},
        {2, 5, &white},
    }};
    // The raster operations of the board view need an image to draw on.
    QImage corner(PreviewArea.size(), QImage::Format_RGB32);
    {
        QPainter cornerPainter(&corner);
        cornerPainter.translate(-PreviewArea.topLeft());
        cornerPainter.setPen(Qt::NoPen);
        for (const PreviewSquareBrush& square : squares) {
            cornerPainter.setBrush(*square.brush);
            state.previewBoard->DrawSquare(cornerPainter, *state.previewPosition, square.file,
                                           square.rank);
        }
    }
    painter.drawImage(PreviewArea.topLeft(), corner);
}

void CommitOptions(TemplateDialog& dialog, OptionsState& state) {
    OptionsValues& chosen = *state.values;
    chosen.blackColor = DarkFromEdits(dialog);
    chosen.selColor = SelFromEdits(dialog);
    chosen.indicateComment = dialog.IsChecked(CommentMarksBox) ? 1 : 0;
    chosen.standardBoard = dialog.IsChecked(StandardRadio) ? 1 : 0;
    dialog.End(1);
}

bool OptionsCommandFrom(TemplateDialog& dialog, OptionsState& state, int id) {
    switch (id) {
    case 1:
        CommitOptions(dialog, state);
        return true;
    case 2:
        dialog.End(2);
        return true;
    case RestoreDefaultsButton:
        SetColourEdits(dialog, DefaultBlackColor, DarkRedEdit, DarkGreenEdit, DarkBlueEdit);
        SetColourEdits(dialog, DefaultSelColor, SelRedEdit, SelGreenEdit, SelBlueEdit);
        state.darkColour = DefaultBlackColor;
        state.selColour = DefaultSelColor;
        dialog.Invalidate(PreviewArea);
        return true;
    case DarkRedEdit:
    case DarkGreenEdit:
    case DarkBlueEdit:
        state.darkColour = DarkFromEdits(dialog);
        dialog.Invalidate(PreviewArea);
        return true;
    case SelRedEdit:
    case SelGreenEdit:
    case SelBlueEdit:
        state.selColour = SelFromEdits(dialog);
        dialog.Invalidate(PreviewArea);
        return true;
    default:
        return false;
    }
}

} // namespace

std::uint8_t ChannelFromText(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        return 0;
    }
    unsigned value = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return 0;
        }
        // Only the low 8 bits are kept, so the number is reduced as it is read.
        value = (value * 10 + unsigned(c.unicode() - u'0')) & 0xFF;
    }
    return std::uint8_t(value);
}

std::uint32_t ColourFromTexts(const QString& red, const QString& green, const QString& blue) {
    return std::uint32_t(ChannelFromText(red)) | (std::uint32_t(ChannelFromText(green)) << 8) |
           (std::uint32_t(ChannelFromText(blue)) << 16);
}

OptionsValues CurrentOptions() {
    return OptionsValues{BlackColor, SelColor, IndicateComment, StandardBoard};
}

int ShowOptionsDialog(QWidget* owner, OptionsValues& values) {
    // The dialog works on a copy, so that Cancel leaves the caller's values as they were.
    OptionsValues working = values;
    OptionsState state;
    state.values = &working;
    DialogProcedure procedure;
    procedure.onInit = [&state](TemplateDialog& dialog) { InitOptions(dialog, state); };
    procedure.onPaint = [&state](TemplateDialog&, QPainter& painter, const QRect&) {
        PaintPreview(painter, state);
    };
    procedure.onCommand = [&state](TemplateDialog& dialog, int id, int) {
        return OptionsCommandFrom(dialog, state, id);
    };
    const int result = RunDialog(OptionsTemplate, owner, std::move(procedure));
    state.previewBoard.reset();
    state.previewPosition.reset();
    if (result == 1) {
        values = working;
    }
    return result;
}
