#include "app/comment_dialog.h"

#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/undo_records.h"
#include "chess/position.h"
#include "pgn/partie.h"
#include "platform/shell.h"
#include "resources/dialog_builder.h"

#include <QPlainTextEdit>

using namespace pawnlet;

namespace {

constexpr int CommentEdit = 1043;
constexpr int ClearButton = 1012;

} // namespace

int ShowCommentDialog(QWidget* owner, std::optional<std::u16string>& comment) {
    DialogProcedure procedure;
    procedure.onInit = [&comment](TemplateDialog& dialog) {
        if (comment) {
            dialog.SetText(CommentEdit, QString::fromStdU16String(*comment));
        }
        dialog.SetCaption(QStringLiteral("Comment"));
        if (QWidget* edit = dialog.Control(CommentEdit)) {
            edit->setFocus();
        }
    };
    procedure.onCommand = [&comment](TemplateDialog& dialog, int id, int) {
        switch (id) {
        case 1: {
            const QString text = dialog.Text(CommentEdit);
            if (text.isEmpty()) {
                comment.reset();
            } else {
                comment = text.toStdU16String();
            }
            dialog.End(1);
            return true;
        }
        case 2:
            dialog.End(2);
            return true;
        case ClearButton:
            dialog.SetText(CommentEdit, QString());
            return true;
        default:
            return false;
        }
    };
    const int result = RunDialog(CommentTemplate, owner, std::move(procedure));
    if (result == platform::DialogFailed) {
        platform::CurrentShell().MessageBox(nullptr, u"The comment editor could not be shown.",
                                            u"DialogBoxParam", platform::Icon::Stop,
                                            platform::Buttons::Ok);
    }
    return result;
}

void EditComment() {
    Position* position = CurrentPosition;
    if (!position || !CurrentPartie) {
        return;
    }
    std::optional<std::u16string> edited = position->comment;
    if (ShowCommentDialog(MainWindowWidget, edited) != platform::DialogOk) {
        return;
    }
    const bool hadComment = position->comment.has_value();
    if (edited != position->comment) {
        std::optional<std::u16string> old = position->comment;
        position->SetComment(std::move(edited));
        Session::Instance().Record(CommentRecord(*position, std::move(old)));
        InvalidateMainWindow();
    }
    if (hadComment != position->comment.has_value() && position->previousMove && MoveList) {
        MoveList->RefreshMoveRow(position->previousMove);
    }
    CurrentPartie->changed = true;
}
