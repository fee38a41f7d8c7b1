// The move list: one text row per move of the current game, variations included, beside or under
// the board. The row of the current move is kept selected, and tapping a row shows the position
// after that move.
//
// Row text: two spaces of indentation per variation level, "(" when the move opens an
// alternative, the numbered move text, " [...]" when the position after it has a comment (and the
// "Indicate comment" setting is on), then one ")" for every alternative line that ends there.
// Rows are listed in the order of PGN text: a move, its alternatives each with its whole line,
// then its continuation.
//
// Each row points at its Coup without owning it (the game tree owns the moves). The list is one
// instance (MoveList); its control, child control 101 of the main window, exists after
// CreateControl. Without a control every operation does nothing.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QPointer>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

namespace pawnlet {
class Coup;
class Partie;
} // namespace pawnlet
class QFont;
class QWidget;

// The rows as the list view sees them: a text and the move behind it.
class MoveRowModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    struct Row {
        QString text;
        pawnlet::Coup* move;
    };

    void Reset(std::vector<Row> rows);
    void Insert(int row, const QString& text, pawnlet::Coup* move);
    void SetRow(int row, const QString& text, pawnlet::Coup* move);

    QString Text(int row) const { return rows[row].text; }
    pawnlet::Coup* Move(int row) const { return rows[row].move; }
    int Count() const { return int(rows.size()); }
    // The first row whose move is `move`, or -1.
    int RowOf(const pawnlet::Coup* move) const;

private:
    std::vector<Row> rows;
};

class ListeCoups {
public:
    static constexpr int ControlId = 101;

    ListeCoups();
    virtual ~ListeCoups();

    ListeCoups(const ListeCoups&) = delete;
    ListeCoups& operator=(const ListeCoups&) = delete;

    // Creates the list control as child `controlId` of `parent` in `rect` with `font`. The list
    // is visible afterwards. False when it could not be created.
    bool CreateControl(QWidget* parent, int controlId, const QRect& rect, const QFont& font);
    void MoveControl(const QRect& rect);

    // Empties the list and lists the whole game. No row is selected afterwards.
    void RebuildList(const pawnlet::Partie& partie);
    // Inserts the row of a move just added to the tree (at the end of a line, or as the last
    // alternative of its position) and selects it.
    void InsertMoveRow(pawnlet::Coup* move);
    // Rewrites the row of `move` after its annotation or its position's comment changed.
    void RefreshMoveRow(pawnlet::Coup* move);
    // Selects the row of `move`; null does nothing. Does not count as a tap on the row.
    void SelectMoveRow(const pawnlet::Coup* move);
    // The move of the selected row, or null.
    pawnlet::Coup* SelectedMove() const;

    // Shows or hides the control.
    void ToggleVisible();
    bool IsVisible() const { return visible; }

    // The index of the first row whose move is `move`, or -1.
    int RowOf(const pawnlet::Coup* move) const;
    int RowCount() const;
    QString RowText(int row) const;
    QListView* Control() const { return control; }
    QRect Rectangle() const { return rectangle; }

    // The tap on a row (the control's selection changed by the user): shows the position after
    // the selected move, clears the board's selection and repaints the main window.
    void FollowSelectedRow();

    // The text of the row of `move`, closed against `following`, the move of the row after it
    // (null when it is the last row).
    static QString RowTextFor(const pawnlet::Coup& move, const pawnlet::Coup* following);

private:
    static void ListGame(pawnlet::Coup* first, std::vector<MoveRowModel::Row>& rows);

    // The control dies with the main window, which may come first; the model is its child.
    QPointer<QListView> control;
    MoveRowModel* model = nullptr;
    // Receives the control's signals; destroyed with the list, so that a control outliving the
    // list never calls back into it.
    std::unique_ptr<QObject> receiver;
    QRect rectangle;
    bool visible = true;
    // Set while the program itself changes the selection, so that only the user's taps follow.
    bool selectingRow = false;
};
