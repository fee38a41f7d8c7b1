#include "gametree/tree_ops.h"

#include "chess/position.h"

namespace pawnlet {

Coup* FirstAlternative(const Coup& move) {
    return move.prev == nullptr ? move.next.get() : nullptr;
}

Coup* NextAlternative(const Coup& move) {
    return move.prev != nullptr ? move.next.get() : nullptr;
}

Coup* LastAlternative(Coup& move) {
    Coup* last = &move;
    while (last->next) {
        last = last->next.get();
    }
    return last;
}

bool IsAlternative(const Coup& move) {
    return move.prev != nullptr;
}

void AppendAlternative(Coup& mainMove, std::unique_ptr<Coup> node, int parentDepth) {
    Coup* last = LastAlternative(mainMove);
    node->prev = last;
    node->depth = parentDepth + 1;
    last->next = std::move(node);
}

std::unique_ptr<Coup> ReplaceIn(std::unique_ptr<Coup> node, Coup& old) {
    Coup* placed = node.get();
    node->next = std::move(old.next);
    if (node->next) {
        node->next->prev = placed;
    }
    std::unique_ptr<Coup>& owner = old.prev != nullptr ? old.prev->next : old.before->firstMove;
    node->prev = old.prev;
    old.prev = nullptr;
    std::unique_ptr<Coup> replaced = std::move(owner);
    owner = std::move(node);
    return replaced;
}

std::unique_ptr<Coup> Unlink(Coup& move) {
    if (move.prev != nullptr) {
        Coup* previous = move.prev;
        std::unique_ptr<Coup> self = std::move(previous->next);
        previous->next = std::move(move.next);
        if (previous->next) {
            previous->next->prev = previous;
        }
        move.prev = nullptr;
        return self;
    }
    if (move.before == nullptr || move.before->firstMove.get() != &move) {
        return nullptr;
    }
    return std::move(move.before->firstMove);
}

void Reattach(Position& before, Coup* previous, std::unique_ptr<Coup> node) {
    if (!node) {
        return;
    }
    std::unique_ptr<Coup>& owner = previous != nullptr ? previous->next : before.firstMove;
    Coup* last = LastAlternative(*node);
    last->next = std::move(owner);
    if (last->next) {
        last->next->prev = last;
    }
    node->prev = previous;
    owner = std::move(node);
}

Coup* VariationStart(Coup& move) {
    Coup* current = &move;
    while (current->prev == nullptr) {
        current = current->before != nullptr ? current->before->previousMove : nullptr;
        if (current == nullptr) {
            return nullptr;
        }
    }
    return current;
}

void Promote(Coup& move) {
    Coup* alternative = VariationStart(move);
    if (alternative == nullptr) {
        return;
    }
    Position* branch = alternative->before;
    Coup* previous = alternative->prev;
    std::unique_ptr<Coup> self = std::move(previous->next);
    previous->next = std::move(self->next);
    if (previous->next) {
        previous->next->prev = previous;
    }
    self->prev = nullptr;
    self->next = std::move(branch->firstMove);
    self->next->prev = alternative;
    branch->firstMove = std::move(self);
    RenumberDepth(*alternative, alternative->depth - 1);
}

void Demote(Coup& alternative, Coup& previous) {
    Position* branch = alternative.before;
    if (branch == nullptr || branch->firstMove.get() != &alternative || !alternative.next) {
        return;
    }
    const int mainDepth = alternative.depth;
    std::unique_ptr<Coup> self = std::move(branch->firstMove);
    branch->firstMove = std::move(self->next);
    branch->firstMove->prev = nullptr;
    Reattach(*branch, &previous, std::move(self));
    RenumberDepth(*branch->firstMove, mainDepth);
}

void RenumberDepth(Coup& move, int depth) {
    // A walk in list order over the subtree, with the tree's own links instead of a stack: down
    // to the main move of the position reached, else on to the next entry, else back up to the
    // move that owns the finished list.
    Position* const top = move.before;
    move.depth = depth;
    Coup* current = &move;
    for (;;) {
        Position* reached = current->after.get();
        if (reached != nullptr && reached->firstMove) {
            Coup* child = reached->firstMove.get();
            child->depth = current->depth;
            current = child;
            continue;
        }
        for (;;) {
            if (current->next) {
                Coup* following = current->next.get();
                following->depth = current->prev == nullptr ? current->depth + 1 : current->depth;
                current = following;
                break;
            }
            if (current->before == top || current->before == nullptr) {
                return;
            }
            current = current->before->previousMove;
            if (current == nullptr) {
                return;
            }
        }
    }
}

Coup* BranchMainMove(Coup& move) {
    Coup* alternative = VariationStart(move);
    return alternative != nullptr ? alternative->before->firstMove.get() : nullptr;
}

Coup* LastInSubtree(Coup& move) {
    Coup* last = &move;
    for (;;) {
        Coup* main = last->after ? last->after->firstMove.get() : nullptr;
        if (main == nullptr) {
            return last;
        }
        const bool hasContinuation = main->after && main->after->firstMove;
        last = (main->next && !hasContinuation) ? LastAlternative(*main) : main;
    }
}

Coup* PreviousInListOrder(Coup& move) {
    if (move.prev != nullptr) {
        return move.prev->prev == nullptr ? move.prev : LastInSubtree(*move.prev);
    }
    Coup* parent = move.before != nullptr ? move.before->previousMove : nullptr;
    if (parent == nullptr) {
        return nullptr;
    }
    if (parent->prev != nullptr || !parent->next) {
        return parent;
    }
    return LastInSubtree(*LastAlternative(*parent));
}

void DiscardTrial(Coup* move) {
    std::unique_ptr<Coup> trial(move);
    if (trial) {
        // The trial position lives on the caller's stack: the move must not destroy it.
        (void)trial->after.release();
    }
}

} // namespace pawnlet
