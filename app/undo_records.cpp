#include "app/undo_records.h"

#include "app/globals.h"
#include "app/session.h"
#include "chess/position.h"
#include "gametree/tree_ops.h"
#include "pgn/partie.h"
#include "pgn/pgn_header.h"

using namespace pawnlet;

namespace {

// The edit is already done when its record is pushed: the first redo, which QUndoStack::push
// calls, has nothing to do.
class EditRecord : public QUndoCommand {
public:
    void undo() final { Revert(); }
    void redo() final {
        if (pushed) {
            pushed = false;
            return;
        }
        Apply();
    }

protected:
    virtual void Apply() = 0;
    virtual void Revert() = 0;

    static void Show(Position& position) {
        Session::Instance().SetPosition(&position, Session::ListUpdate::Rebuild);
    }

private:
    bool pushed = true;
};

class MoveAdded final : public EditRecord {
public:
    explicit MoveAdded(Coup& move) : before(*move.before), previous(move.prev), added(&move) {}

private:
    void Revert() override {
        held = Unlink(*added);
        Show(before);
    }
    void Apply() override {
        Reattach(before, previous, std::move(held));
        Show(*added->after);
    }

    Position& before;
    Coup* previous;
    Coup* added;
    std::unique_ptr<Coup> held;
};

class MoveReplaced final : public EditRecord {
public:
    MoveReplaced(Coup& move, std::unique_ptr<Coup> replaced)
        : current(&move), other(std::move(replaced)) {}

private:
    void Revert() override {
        Position& before = *current->before;
        Coup* restored = other.get();
        other = ReplaceIn(std::move(other), *current);
        current = restored;
        Show(before);
    }
    void Apply() override {
        Coup* restored = other.get();
        other = ReplaceIn(std::move(other), *current);
        current = restored;
        Show(*current->after);
    }

    Coup* current;
    std::unique_ptr<Coup> other;
};

class LineDeleted final : public EditRecord {
public:
    LineDeleted(Position& before, Coup* previous, std::unique_ptr<Coup> removed, Position& shown)
        : before(before), previous(previous), move(removed.get()), held(std::move(removed)),
          shown(shown) {}

private:
    void Revert() override {
        Reattach(before, previous, std::move(held));
        Show(shown);
    }
    void Apply() override {
        held = Unlink(*move);
        Show(before);
    }

    Position& before;
    Coup* previous;
    Coup* move;
    std::unique_ptr<Coup> held;
    Position& shown;
};

class LinePromoted final : public EditRecord {
public:
    LinePromoted(Coup& alternative, Coup& previous, Position& shown)
        : alternative(alternative), previous(previous), shown(shown) {}

private:
    void Revert() override {
        Demote(alternative, previous);
        Show(shown);
    }
    void Apply() override {
        Promote(alternative);
        Show(shown);
    }

    Coup& alternative;
    Coup& previous;
    Position& shown;
};

class AnnotationChanged final : public EditRecord {
public:
    AnnotationChanged(Coup& move, std::uint8_t oldNag) : move(move), other(oldNag) {}

private:
    void Revert() override { Exchange(); }
    void Apply() override { Exchange(); }
    void Exchange() {
        std::swap(move.nag, other);
        Show(*move.after);
    }

    Coup& move;
    std::uint8_t other;
};

class AssessmentChanged final : public EditRecord {
public:
    AssessmentChanged(Position& position, std::uint8_t oldEvaluation)
        : position(position), other(oldEvaluation) {}

private:
    void Revert() override { Exchange(); }
    void Apply() override { Exchange(); }
    void Exchange() {
        std::swap(position.evaluation, other);
        Show(position);
    }

    Position& position;
    std::uint8_t other;
};

class CommentChanged final : public EditRecord {
public:
    CommentChanged(Position& position, std::optional<std::u16string> oldComment)
        : position(position), other(std::move(oldComment)) {}

private:
    void Revert() override { Exchange(); }
    void Apply() override { Exchange(); }
    void Exchange() {
        std::optional<std::u16string> now = position.comment;
        position.SetComment(std::move(other));
        other = std::move(now);
        Show(position);
    }

    Position& position;
    std::optional<std::u16string> other;
};

class HeaderChanged final : public EditRecord {
public:
    HeaderChanged(GameTags before, GameTags after, Position& shown)
        : before(std::move(before)), after(std::move(after)), shown(shown) {}

private:
    void Revert() override { Put(before); }
    void Apply() override { Put(after); }
    void Put(const GameTags& header) {
        if (Partie* partie = Session::Instance().Game()) {
            partie->SetTags(header);
        }
        Show(shown);
    }

    GameTags before;
    GameTags after;
    Position& shown;
};

} // namespace

std::unique_ptr<QUndoCommand> MoveAddedRecord(Coup& added) {
    return std::make_unique<MoveAdded>(added);
}

std::unique_ptr<QUndoCommand> MoveReplacedRecord(Coup& added, std::unique_ptr<Coup> replaced) {
    return std::make_unique<MoveReplaced>(added, std::move(replaced));
}

std::unique_ptr<QUndoCommand> LineDeletedRecord(Position& before, Coup* previous,
                                                std::unique_ptr<Coup> removed, Position& shown) {
    return std::make_unique<LineDeleted>(before, previous, std::move(removed), shown);
}

std::unique_ptr<QUndoCommand> LinePromotedRecord(Coup& alternative, Coup& previous,
                                                 Position& shown) {
    return std::make_unique<LinePromoted>(alternative, previous, shown);
}

std::unique_ptr<QUndoCommand> AnnotationRecord(Coup& move, std::uint8_t oldNag) {
    return std::make_unique<AnnotationChanged>(move, oldNag);
}

std::unique_ptr<QUndoCommand> AssessmentRecord(Position& position, std::uint8_t oldEvaluation) {
    return std::make_unique<AssessmentChanged>(position, oldEvaluation);
}

std::unique_ptr<QUndoCommand> CommentRecord(Position& position,
                                            std::optional<std::u16string> oldComment) {
    return std::make_unique<CommentChanged>(position, std::move(oldComment));
}

std::unique_ptr<QUndoCommand> HeaderRecord(GameTags before, GameTags after, Position& shown) {
    return std::make_unique<HeaderChanged>(std::move(before), std::move(after), shown);
}
