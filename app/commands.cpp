#include "app/commands.h"

#include "app/about_dialog.h"
#include "app/comment_dialog.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/material_dialog.h"
#include "app/qt_shell.h"
#include "app/recent_files.h"
#include "gametree/annotations.h"
#include "pgn/partie.h"
#include "resources/dialog_builder.h"
#include "resources/menus.h"

using namespace pawnlet;

namespace {

// Handlers with the dispatcher's signature, one per row of the table below.
// clang-format off

void OnMoveList(int, int code) {
    // Only a selection change (a tap on a row) moves the board; the list view reports it with
    // the same code as a list box.
    if (code == LbnSelChange && MoveList) {
        MoveList->FollowSelectedRow();
}
}
void OnExit(int, int) { CloseMainWindow(); }
void OnMoveBackward(int, int) { MoveBackward(); }
void OnMoveForward(int, int) { MoveForward(); }
void OnNew(int, int) { NewGame(); }
void OnOpen(int, int) {
    if (AskToClose()) {
        OpenGameFile();
}
}
void OnSave(int, int) { SaveCurrentGame(); }
void OnSaveAs(int, int) { SaveCurrentGameAs(); }
void OnAnnotation(int id, int) { SetMoveAnnotation(AnnotationCommandToNag(id)); }
void OnDeleteAfter(int, int) { DeleteAfter(); }
void OnRevertBoard(int, int) { RevertBoard(); }
void OnPromote(int, int) { PromoteLine(); }
void OnAssessment(int id, int) { SetPositionAssessment(AssessmentCommandToEvaluation(id)); }
void OnGoToEnd(int, int) { GoToEnd(); }
void OnReopen(int, int) {
    if (AskToClose()) {
        LoadFromCurrentFile(0, 0);
}
}
void OnHideList(int, int) { ToggleMoveList(); }
void OnOpenNextGame(int, int) {
    if (AskToClose()) {
        LoadFromCurrentFile(CurrentPartie->endOffset, CurrentPartie->gamesInFile);
}
}
void OnReturnFromLine(int, int) { ReturnFromLine(); }
void OnAnnotationPopup(int, int) { ShowAnnotationPopup(); }

// The commands that open a dialog.
void OnProperties(int, int) { (void)EditProperties(*CurrentPartie, ShellOwner(MainWindowWidget)); }
void OnAbout(int, int) { (void)ShowAboutDialog(MainWindowWidget); }
void OnNewPosition(int, int) { NewPositionCommand(); }
void OnComment(int, int) { EditComment(); }
void OnMaterialBalance(int, int) {
    if (CurrentPosition) {
        (void)ShowMaterialBalance(MainWindowWidget, *CurrentPosition);
}
}

void OnOptions(int, int) { OptionsCommand(); }

// The desktop program's own commands.
void OnGoToStart(int, int) { GoToStart(); }
void OnGoToLineEnd(int, int) { GoToLineEnd(); }
void OnPreviousAlternative(int, int) { StepAlternative(-1); }
void OnNextAlternative(int, int) { StepAlternative(1); }
void OnTenBackward(int, int) { StepMoves(-10); }
void OnTenForward(int, int) { StepMoves(10); }
void OnCopyFen(int, int) { CopyFenCommand(); }
void OnCopyGame(int, int) { CopyGameCommand(); }
void OnPaste(int, int) { PasteCommand(); }
void OnRecentFile(int id, int) { OpenRecentFile(id - Cmd::RecentFirst); }
void OnUndo(int, int) { Session::Instance().Undo(); }
void OnRedo(int, int) { Session::Instance().Redo(); }

// clang-format on

constexpr CommandRoute Routes[] = {
    {Cmd::MoveList, Cmd::MoveList, OnMoveList},
    {Cmd::Exit, Cmd::Exit, OnExit},
    {Cmd::MoveBackward, Cmd::MoveBackward, OnMoveBackward},
    {Cmd::MoveForward, Cmd::MoveForward, OnMoveForward},
    {Cmd::New, Cmd::New, OnNew},
    {Cmd::Open, Cmd::Open, OnOpen},
    {Cmd::Save, Cmd::Save, OnSave},
    {Cmd::SaveAs, Cmd::SaveAs, OnSaveAs},
    {FirstAnnotationCommand, LastAnnotationCommand, OnAnnotation},
    {Cmd::DeleteAfter, Cmd::DeleteAfter, OnDeleteAfter},
    {Cmd::RevertBoard, Cmd::RevertBoard, OnRevertBoard},
    {Cmd::Promote, Cmd::Promote, OnPromote},
    {FirstAssessmentCommand, LastAssessmentCommand, OnAssessment},
    {Cmd::GoToEnd, Cmd::GoToEnd, OnGoToEnd},
    {Cmd::Reopen, Cmd::Reopen, OnReopen},
    {Cmd::HideList, Cmd::HideList, OnHideList},
    {Cmd::OpenNextGame, Cmd::OpenNextGame, OnOpenNextGame},
    {Cmd::ReturnFromLine, Cmd::ReturnFromLine, OnReturnFromLine},
    {Cmd::AnnotationPopup, Cmd::AnnotationPopup, OnAnnotationPopup},
    {Cmd::Properties, Cmd::Properties, OnProperties},
    {Cmd::About, Cmd::About, OnAbout},
    {Cmd::NewPosition, Cmd::NewPosition, OnNewPosition},
    {Cmd::Comment, Cmd::Comment, OnComment},
    {Cmd::MaterialBalance, Cmd::MaterialBalance, OnMaterialBalance},
    {Cmd::Options, Cmd::Options, OnOptions},
    {Cmd::GoToStart, Cmd::GoToStart, OnGoToStart},
    {Cmd::GoToLineEnd, Cmd::GoToLineEnd, OnGoToLineEnd},
    {Cmd::PreviousAlternative, Cmd::PreviousAlternative, OnPreviousAlternative},
    {Cmd::NextAlternative, Cmd::NextAlternative, OnNextAlternative},
    {Cmd::TenBackward, Cmd::TenBackward, OnTenBackward},
    {Cmd::TenForward, Cmd::TenForward, OnTenForward},
    {Cmd::CopyFen, Cmd::CopyFen, OnCopyFen},
    {Cmd::CopyGame, Cmd::CopyGame, OnCopyGame},
    {Cmd::Paste, Cmd::Paste, OnPaste},
    {Cmd::RecentFirst, Cmd::RecentLast, OnRecentFile},
    {Cmd::Undo, Cmd::Undo, OnUndo},
    {Cmd::Redo, Cmd::Redo, OnRedo},
};

} // namespace

std::span<const CommandRoute> CommandTable() {
    return Routes;
}

bool DispatchCommand(int id, int code) {
    if (!CurrentPartie) {
        return false;
    }
    for (const CommandRoute& route : Routes) {
        if (id >= route.first && id <= route.last) {
            route.handler(id, code);
            // A save, the properties or a comment may have changed what the title tells.
            Session::Instance().GameStateTouched();
            return true;
        }
    }
    return false;
}

bool AskToClose() {
    return !CurrentPartie || ConfirmSave(*CurrentPartie, ShellOwner(MainWindowWidget));
}
