// A main window per test, with message boxes and file dialogs answered by the test.
#pragma once

#include "app/commands.h"
#include "app/globals.h"
#include "app/liste_coups.h"
#include "app/main_window.h"
#include "app/qt_shell.h"
#include "chess/position.h"
#include "gametree/move_text.h"
#include "gui_test_support.h"
#include "pgn/partie.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

using namespace pawnlet;

// Two games with CR LF line ends: the first with a variation that holds a nested one, a
// comment and moves after it; the second short.
inline const char* const TwoGamesPgn =
    "[Event \"Club\"]\r\n[Site \"Here\"]\r\n[Date \"2024.01.01\"]\r\n[Round \"1\"]\r\n"
    "[White \"Alpha\"]\r\n[Black \"Beta\"]\r\n[Result \"1-0\"]\r\n\r\n"
    "1. e4 e5 (1... c5 2. Nf3 (2. Nc3 Nc6) 2... d6) 2. Nf3 Nc6 {Knights out} 3. Bb5 1-0\r\n\r\n"
    "[Event \"Club\"]\r\n[Site \"Here\"]\r\n[Date \"2024.01.02\"]\r\n[Round \"2\"]\r\n"
    "[White \"Gamma\"]\r\n[Black \"Delta\"]\r\n[Result \"0-1\"]\r\n\r\n"
    "1. d4 d5 2. c4 0-1\r\n";

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ASSERT_TRUE(folder.isValid());
        platform::SetShell(&shell);
        SetMessageBoxHook([this](const MessageBoxRequest& request) {
            messages.push_back(request);
            if (answers.empty())
                return request.buttons == platform::Buttons::Ok ? platform::Answer::Ok
                                                                : platform::Answer::Cancel;
            const platform::Answer answer = answers.front();
            answers.pop_front();
            return answer;
        });
        SetFileDialogHook([this](const FileDialogRequest& request) {
            fileRequests.push_back(request);
            return chosenFile;
        });
        ClearDialogScripts();
        MoveList = std::make_unique<ListeCoups>();
        window = std::make_unique<MainWindow>();
    }

    void TearDown() override {
        window.reset();
        SetMessageBoxHook({});
        SetFileDialogHook({});
        ClearDialogScripts();
        platform::SetShell(nullptr);
    }

    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    // Opens `path` with the "&Open" command, picking row `row` of the game list.
    void OpenThroughGameList(const QString& path, int row) {
        chosenFile = path;
        QueueDialogScript([row](TemplateDialog& dialog) { dialog.ActivateRow(1000, row); });
        DispatchCommand(Cmd::Open);
        chosenFile.reset();
    }

    // The text of the move that led to the position shown, "" at the start.
    static std::u16string ShownMove() {
        if (!CurrentPosition || !CurrentPosition->previousMove)
            return u"";
        return MoveText(*CurrentPosition->previousMove, true, false);
    }

    std::vector<QString> ListRows() const {
        std::vector<QString> rows;
        for (int i = 0; i < MoveList->RowCount(); ++i)
            rows.push_back(MoveList->RowText(i));
        return rows;
    }

    QtShell shell;
    QTemporaryDir folder;
    std::unique_ptr<MainWindow> window;
    std::vector<MessageBoxRequest> messages;
    std::deque<platform::Answer> answers;
    std::vector<FileDialogRequest> fileRequests;
    std::optional<QString> chosenFile;
};
