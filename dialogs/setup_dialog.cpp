#include "dialogs/setup_dialog.h"

#include "dialogs/echiquier.h"
#include "pgn/partie.h"
#include "platform/shell.h"
#include "resources/bitmaps.h"
#include "resources/dialog_builder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>

using namespace pawnlet;

PieceCode SelectedSetupPiece = Empty;

namespace {

constexpr int ClearButton = 1012;
constexpr int CopyBoardButton = 1061;
constexpr int WhiteToPlayRadio = 1024;
constexpr int BlackToPlayRadio = 1030;
constexpr std::array<int, 4> CastlingBoxes{1025, 1026, 1027, 1028};
constexpr int MoveNumberEdit = 1042;
constexpr int MoveNumberUpDown = 1046;

constexpr int SetupSquareSize = 19;
constexpr int SetupBoardOrigin = 3;

struct PieceButton {
    int id;
    PieceCode code;
};
constexpr std::array<PieceButton, 12> PieceButtons{{
    {1029, White + Pawn},
    {1031, Black + Pawn},
    {1032, White + Rook},
    {1033, Black + Rook},
    {1034, White + Knight},
    {1035, Black + Knight},
    {1036, White + Bishop},
    {1037, Black + Bishop},
    {1038, White + Queen},
    {1039, Black + Queen},
    {1040, White + King},
    {1041, Black + King},
}};

// What castling needs: the king of the box's colour on its home square and the rook on the corner.
struct CastlingNeed {
    Square king;
    PieceCode kingCode;
    Square rook;
    PieceCode rookCode;
    const char16_t* entry;
};
constexpr std::array<CastlingNeed, 4> CastlingNeeds{{
    {4, White + King, 7, White + Rook, u"White O-O,"},
    {4, White + King, 0, White + Rook, u"White O-O-O,"},
    {60, Black + King, 63, Black + Rook, u"Black O-O,"},
    {60, Black + King, 56, Black + Rook, u"Black O-O-O,"},
}};

// The move number typed in the edit: a whole number of decimal digits, blanks around it allowed.
std::optional<int> ReadMoveNumber(const std::u16string& text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == u' ') {
        ++at;
    }
    const std::size_t first = at;
    long value = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
        value = value * 10 + (text[at] - u'0');
        if (value > MaxSetupMoveNumber) {
            return std::nullopt;
        }
        ++at;
    }
    if (at == first) {
        return std::nullopt;
    }
    while (at < text.size() && text[at] == u' ') {
        ++at;
    }
    if (at != text.size() || value < 1) {
        return std::nullopt;
    }
    return int(value);
}

// A copied board that the user then edited may keep state that no longer fits it: the legality
// test cached for the copied board, and an en-passant square whose pawn is gone or that belongs
// to the other side. Either would let a wrong move through (an en-passant capture removes the
// piece beside the target square, whatever it is), so both go unless they still fit.
void ForgetStaleState(Position& position) {
    position.testedFrom = NoSquare;
    position.testedTo = NoSquare;
    position.testedLegal = 0;
    const Square target = position.enPassant;
    if (target == NoSquare) {
        return;
    }
    // The pawn that just made its double step stands beyond the target, seen from its side.
    const bool whiteStepped = position.sideToMove == Black;
    const int targetRank = whiteStepped ? 2 : 5;
    const int pawnRank = whiteStepped ? 3 : 4;
    const int originRank = whiteStepped ? 1 : 6;
    const PieceCode pawn = whiteStepped ? White + Pawn : Black + Pawn;
    const int file = target < 64 ? FileOf(target) : 0;
    const bool fits = target < 64 && RankOf(target) == targetRank &&
                      position.PieceAt(target) == Empty &&
                      position.PieceAt(MakeSquare(file, originRank)) == Empty &&
                      position.PieceAt(MakeSquare(file, pawnRank)) == pawn;
    if (!fits) {
        position.enPassant = NoSquare;
    }
}

// One showing of the dialog.
struct SetupState {
    Position* position = nullptr;
    const Position* shown = nullptr; // what "Copy board" copies
    std::unique_ptr<Echiquier> board;
};

SetupChoices ReadChoices(const TemplateDialog& dialog) {
    SetupChoices choices;
    for (std::size_t i = 0; i < CastlingBoxes.size(); ++i) {
        choices.castling[i] = dialog.IsChecked(CastlingBoxes[i]);
    }
    choices.whiteToPlay = dialog.IsChecked(WhiteToPlayRadio);
    choices.moveNumber = dialog.Text(MoveNumberEdit).toStdU16String();
    return choices;
}

// Shows the controls for the working position: side to move, castling rights, next move number.
void ShowPositionChoices(TemplateDialog& dialog, const Position& position) {
    dialog.SetChecked(WhiteToPlayRadio, position.sideToMove == White);
    dialog.SetChecked(BlackToPlayRadio, position.sideToMove == Black);
    const std::array<std::uint8_t, 4> rights{position.castleWhiteKing, position.castleWhiteQueen,
                                             position.castleBlackKing, position.castleBlackQueen};
    for (std::size_t i = 0; i < CastlingBoxes.size(); ++i) {
        dialog.SetChecked(CastlingBoxes[i], rights[i] != 0);
    }
    dialog.SetText(MoveNumberEdit, QString::number(NextMoveNumber(position)));
}

// The controls under the board, row by row, in the order the template lists them.
constexpr std::array<std::array<int, 2>, 5> ChoiceRows{{
    {CopyBoardButton, ClearButton},
    {CastlingBoxes[0], CastlingBoxes[1]},
    {CastlingBoxes[2], CastlingBoxes[3]},
    {WhiteToPlayRadio, BlackToPlayRadio},
    {MoveNumberEdit, MoveNumberUpDown},
}};

// The template's rows come out of the font's base units overlapping the board's last rank and
// running past the bottom of a landscape screen. They are laid out again from the pixels the
// board really takes: stacked under it when the screen is tall enough, else in a column right of
// the piece buttons, one control a line. No control ever covers the board.
void PlaceChoices(TemplateDialog& dialog) {
    QWidget* client = dialog.Client();
    const int boardBottom = SetupBoardOrigin + 8 * SetupSquareSize + 1;
    // The edit holds the largest move number whole, its arrows right beside it.
    if (auto* edit = dialog.ControlAs<QLineEdit>(MoveNumberEdit)) {
        const QRect arrows = dialog.ControlRect(MoveNumberUpDown);
        const int wanted =
            QFontMetrics(edit->font()).horizontalAdvance(QString::number(MaxSetupMoveNumber)) + 10;
        edit->resize(std::max(edit->width(), wanted), edit->height());
        if (QWidget* upDown = dialog.Control(MoveNumberUpDown)) {
            upDown->setGeometry(edit->x() + edit->width(), edit->y(), arrows.width(),
                                edit->height());
        }
    }
    int rowsHeight = 0;
    int columnHeight = 0;
    for (const auto& row : ChoiceRows) {
        const int first = dialog.ControlRect(row[0]).height();
        const int second = dialog.ControlRect(row[1]).height();
        rowsHeight += std::max(first, second);
        columnHeight += row[0] == MoveNumberEdit ? first + 1 : first + second + 2;
    }
    const auto move = [&dialog](int id, int x, int y) {
        if (QWidget* control = dialog.Control(id)) {
            control->move(x, y);
        }
    };
    if (boardBottom + rowsHeight <= client->height()) {
        int y = boardBottom;
        for (const auto& row : ChoiceRows) {
            const QRect first = dialog.ControlRect(row[0]);
            const QRect second = dialog.ControlRect(row[1]);
            move(row[0], first.x(), y);
            move(row[1], row[1] == MoveNumberUpDown ? first.right() + 1 : second.x(), y);
            y += std::max(first.height(), second.height());
        }
        if (auto* label = dialog.Client()->findChild<QLabel*>(QStringLiteral("move-label"))) {
            const QRect edit = dialog.ControlRect(MoveNumberEdit);
            label->resize(
                std::max(label->width(),
                         QFontMetrics(label->font()).horizontalAdvance(label->text()) + 1),
                label->height());
            label->move(label->x(), edit.y() + (edit.height() - label->height()) / 2);
            const int editLeft = std::max(edit.x(), label->geometry().right() + 3);
            move(MoveNumberEdit, editLeft, edit.y());
            move(MoveNumberUpDown, editLeft + edit.width(), edit.y());
        }
        return;
    }
    int left = 0;
    for (const PieceButton& button : PieceButtons) {
        left = std::max(left, dialog.ControlRect(button.id).right() + 4);
    }
    int y = 0;
    (void)columnHeight;
    for (const auto& row : ChoiceRows) {
        if (row[0] == MoveNumberEdit) {
            QLabel* label = client->findChild<QLabel*>(QStringLiteral("move-label"));
            const QRect edit = dialog.ControlRect(MoveNumberEdit);
            if (label) {
                label->resize(QFontMetrics(label->font()).horizontalAdvance(label->text()) + 1,
                              label->height());
            }
            const int editLeft = label ? left + label->width() + 2 : left;
            if (label) {
                label->move(left, y + (edit.height() - label->height()) / 2);
            }
            move(MoveNumberEdit, editLeft, y);
            move(MoveNumberUpDown, editLeft + edit.width(), y);
            y += edit.height() + 1;
            continue;
        }
        for (int id : row) {
            move(id, left, y);
            y += dialog.ControlRect(id).height() + 1;
        }
    }
}

void InitSetup(TemplateDialog& dialog, SetupState& state) {
    dialog.SetCaption(QStringLiteral("Setup position"));
    state.board = std::make_unique<Echiquier>(dialog.Client(), SetupSquareSize, SetupBoardOrigin,
                                              SetupBoardOrigin, 0);
    for (const PieceButton& button : PieceButtons) {
        dialog.SetOwnerDraw(button.id);
        dialog.SetChecked(button.id, button.code == SelectedSetupPiece);
    }
    dialog.SetChecked(WhiteToPlayRadio, true);
    dialog.SetChecked(BlackToPlayRadio, false);
    for (int box : CastlingBoxes) {
        dialog.SetChecked(box, true);
    }
    dialog.SetText(MoveNumberEdit, QStringLiteral("1"));
    dialog.SetUpDownRange(MoveNumberUpDown, 1, MaxSetupMoveNumber);
    for (QLabel* label : dialog.Client()->findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("Move #"))) {
            label->setObjectName(QStringLiteral("move-label"));
        }
    }
    PlaceChoices(dialog);
}

// A piece button: a push-button frame, the piece drawn inside it. The piece cell covers nearly
// all of the button, so a sunken frame alone does not show which piece a tap will place: the
// selected button's piece stands on the highlight colour inside a dark frame instead of on white.
void DrawPieceButton(QPainter& painter, const QRect& rect, PieceCode code, bool pushed,
                     const QWidget* widget) {
    QStyleOptionButton frame;
    frame.rect = rect;
    frame.state = QStyle::State_Enabled | (pushed ? QStyle::State_Sunken : QStyle::State_Raised);
    const QColor background = pushed ? widget->palette().color(QPalette::Highlight) : Qt::white;
    painter.fillRect(rect, Qt::white);
    widget->style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &frame, &painter, widget);
    if (pushed) {
        painter.fillRect(rect, widget->palette().color(QPalette::WindowText));
        painter.fillRect(rect.adjusted(2, 2, -2, -2), background);
    }

    if (DefaultPieceStrip.isNull() || code == Empty) {
        return;
    }
    // A screen with more device pixels than pixels gets the piece drawn for its resolution.
    const qreal ratio = painter.device()->devicePixelRatio();
    const int size = ratio > 1.0 ? int(std::lround(SetupSquareSize * ratio)) : SetupSquareSize;
    const QImage strip =
        size == SetupSquareSize ? DefaultPieceStrip : LoadPieceStrip(StandardPieceStrip, size);
    const int image = ColourOf(code) == White ? 4 * TypeOf(code) - 3 : 4 * TypeOf(code) - 1;
    // The mask (the piece black on white) is ANDed onto the background, then the image is ORed
    // into its silhouette: the background shows round the piece.
    QImage cell(size, size, QImage::Format_RGB32);
    cell.fill(background);
    {
        QPainter cellPainter(&cell);
        cellPainter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        cellPainter.drawImage(0, 0, strip, (image + 1) * size, 0, size, size);
        cellPainter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        cellPainter.drawImage(0, 0, strip, image * size, 0, size, size);
    }
    cell.setDevicePixelRatio(qreal(size) / SetupSquareSize);
    painter.drawImage(rect.topLeft() + QPoint(2, 2), cell);
}

bool TapSetupBoard(TemplateDialog& dialog, SetupState& state, QPoint pos) {
    if (!state.board) {
        return false;
    }
    std::uint8_t file = 0;
    std::uint8_t rank = 0;
    if (!state.board->HitTest(pos.x(), pos.y(), file, rank)) {
        return false;
    }
    const Square square = MakeSquare(file, rank);
    state.position->SetPiece(
        square, TappedSquarePiece(state.position->PieceAt(square), SelectedSetupPiece));
    dialog.Invalidate(state.board->SquareRect(file, rank));
    return true;
}

void CopyBoard(TemplateDialog& dialog, SetupState& state) {
    if (!state.shown) {
        return;
    }
    state.position->CopyFrom(*state.shown);
    ShowPositionChoices(dialog, *state.position);
    dialog.Invalidate();
}

void ConfirmSetup(TemplateDialog& dialog, SetupState& state) {
    SetupChoices choices = ReadChoices(dialog);
    const SetupVerdict verdict = ValidateSetup(*state.position, choices);
    for (std::size_t i = 0; i < CastlingBoxes.size(); ++i) {
        dialog.SetChecked(CastlingBoxes[i], choices.castling[i]);
    }
    platform::Shell& shell = platform::CurrentShell();
    const platform::Window owner = static_cast<platform::Window>(&dialog);
    if (verdict.warning) {
        shell.MessageBox(owner, *verdict.warning, u"Setup board", platform::Icon::Exclamation,
                         platform::Buttons::Ok);
    }
    if (verdict.failure) {
        shell.MessageBox(owner, *verdict.failure, u"Invalid position", platform::Icon::Stop,
                         platform::Buttons::Ok);
    }
    if (!verdict.accepted) {
        return;
    }
    state.position->setUp = 1;
    dialog.End(1);
}

} // namespace

PieceCode SetupButtonPiece(int controlId) {
    for (const PieceButton& button : PieceButtons) {
        if (button.id == controlId) {
            return button.code;
        }
    }
    return Empty;
}

int NextMoveNumber(const Position& position) {
    return position.sideToMove == White ? position.moveNumber + 1 : position.moveNumber;
}

SetupVerdict ValidateSetup(Position& position, SetupChoices& choices) {
    SetupVerdict verdict;

    // Kings, scanned a1 to h8: whichever second king comes first is the one reported.
    Square whiteKing = NoSquare;
    Square blackKing = NoSquare;
    for (int index = 0; index < 64; ++index) {
        const Square square = Square(index);
        const PieceCode code = position.PieceAt(square);
        if (code == Black + King) {
            if (blackKing != NoSquare) {
                verdict.failure = u"Only one black king please";
                return verdict;
            }
            blackKing = square;
        } else if (code == White + King) {
            if (whiteKing != NoSquare) {
                verdict.failure = u"Only one white king please";
                return verdict;
            }
            whiteKing = square;
        }
    }
    if (whiteKing == NoSquare) {
        verdict.failure = u"I need a white king !";
        return verdict;
    }
    if (blackKing == NoSquare) {
        verdict.failure = u"I need a black king !";
        return verdict;
    }

    // Castling: a checked box whose king or rook is missing is unchecked and listed; the position
    // is still accepted.
    std::u16string disabled;
    std::array<std::uint8_t*, 4> rights{&position.castleWhiteKing, &position.castleWhiteQueen,
                                        &position.castleBlackKing, &position.castleBlackQueen};
    for (std::size_t i = 0; i < CastlingNeeds.size(); ++i) {
        const CastlingNeed& need = CastlingNeeds[i];
        const bool inPlace = position.PieceAt(need.king) == need.kingCode &&
                             position.PieceAt(need.rook) == need.rookCode;
        std::uint8_t right = 0;
        if (choices.castling[i] && inPlace) {
            right = 1;
        } else if (choices.castling[i]) {
            disabled += need.entry;
            choices.castling[i] = false;
        }
        *rights[i] = right;
    }
    if (!disabled.empty()) {
        disabled.pop_back(); // the last entry's comma
        disabled += u" disabled";
        verdict.warning = disabled;
    }

    const std::optional<int> moveNumber = ReadMoveNumber(choices.moveNumber);
    if (!moveNumber) {
        verdict.failure = u"The move number must be a whole number from 1 to " +
                          QString::number(MaxSetupMoveNumber).toStdU16String();
        return verdict;
    }

    if (choices.whiteToPlay) {
        if (position.IsKingAttacked(Black)) {
            verdict.failure = u"Black in check incompatible with white to move";
            return verdict;
        }
        position.sideToMove = White;
        position.moveNumber = *moveNumber - 1;
    } else {
        if (position.IsKingAttacked(White)) {
            verdict.failure = u"White in check incompatible with black to move";
            return verdict;
        }
        position.sideToMove = Black;
        position.moveNumber = *moveNumber;
    }
    ForgetStaleState(position);
    verdict.accepted = true;
    return verdict;
}

std::unique_ptr<Partie> ShowSetupPositionDialog(QWidget* mainWindow, const Position* shown) {
    auto partie = std::make_unique<Partie>();
    SetupState state;
    state.position = &partie->startPosition;
    state.shown = shown;

    DialogProcedure procedure;
    procedure.onInit = [&state](TemplateDialog& dialog) { InitSetup(dialog, state); };
    procedure.onPaint = [&state](TemplateDialog&, QPainter& painter, const QRect&) {
        if (state.board) {
            state.board->PaintBoard(painter, *state.position, false);
        }
    };
    procedure.onDrawItem = [](TemplateDialog& dialog, int id, QPainter& painter, const QRect& rect,
                              bool pushed) {
        DrawPieceButton(painter, rect, SetupButtonPiece(id), pushed, dialog.Control(id));
    };
    procedure.onMouseDown = [&state](TemplateDialog& dialog, QPoint pos) {
        return TapSetupBoard(dialog, state, pos);
    };
    procedure.onCommand = [&state](TemplateDialog& dialog, int id, int) {
        if (const PieceCode code = SetupButtonPiece(id); code != Empty) {
            SelectedSetupPiece = code;
            return true;
        }
        switch (id) {
        case 1:
            ConfirmSetup(dialog, state);
            return true;
        case 2:
            dialog.End(2);
            return true;
        case ClearButton:
            for (int square = 0; square < 64; ++square) {
                state.position->SetPiece(Square(square), Empty);
            }
            dialog.Invalidate();
            return true;
        case CopyBoardButton:
            CopyBoard(dialog, state);
            return true;
        default:
            return false;
        }
    };

    const int result = RunDialog(SetupTemplate, mainWindow, std::move(procedure));
    state.board.reset();
    if (result == platform::DialogFailed) {
        platform::CurrentShell().MessageBox(static_cast<platform::Window>(mainWindow),
                                            u"The setup dialog could not be shown.", u"Setup",
                                            platform::Icon::Stop, platform::Buttons::Ok);
    }
    if (result != platform::DialogOk) {
        return nullptr;
    }
    return partie;
}
