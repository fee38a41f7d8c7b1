// The game properties and other-tags dialogs: what OK stores and Cancel keeps, the Date rules
// (a date nobody touched survives as it was), the result buttons, the 64-character edits, and the
// extra tags listed in file order.
#include "app/commands.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/qt_shell.h"
#include "dialogs/other_tags_dialog.h"
#include "dialogs/properties_dialog.h"
#include "pgn/partie.h"
#include "pgn/pgn_header.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_controls.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

using namespace pawnlet;

namespace {

using namespace PropertiesControl;
constexpr int LineRadio = UnfinishedRadio;

std::u16string U16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

// --- Date texts

struct DateRow {
    const char* name;
    std::optional<std::u16string> text;
    std::optional<QDate> picker;
};

TEST(PropertiesDateText, TextToPicker) {
    const DateRow rows[] = {
        {"full date", u"2002.12.31", QDate(2002, 12, 31)},
        {"single digits", u"1999.3.5", QDate(1999, 3, 5)},
        {"blanks and sign before numbers", u" 2002. +3. 5", QDate(2002, 3, 5)},
        {"text after the day ignored", u"2002.03.05xyz", QDate(2002, 3, 5)},
        {"no date at all", std::nullopt, std::nullopt},
        {"unknown date", u"????.??.??", std::nullopt},
        {"only the year known", u"2002.??.??", std::nullopt},
        {"month zero is no calendar date", u"2002.00.00", std::nullopt},
        {"February 30th", u"2001.02.30", std::nullopt},
        {"comma instead of dot", u"2002,12,31", std::nullopt},
        {"two numbers only", u"2002.12", std::nullopt},
        {"empty text", u"", std::nullopt},
        {"huge year", u"99999999999.01.01", std::nullopt},
    };
    for (const DateRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PickerDateFromText(row.text), row.picker);
    }
}

TEST(PropertiesDateText, PickerToText) {
    EXPECT_EQ(TextFromPickerDate(QDate(2002, 3, 5)), u"2002.03.05");
    EXPECT_EQ(TextFromPickerDate(QDate(802, 12, 31)), u"0802.12.31");
    EXPECT_EQ(TextFromPickerDate(std::nullopt), u"????.??.??");
    EXPECT_EQ(TextFromPickerDate(QDate()), u"????.??.??");
    // Round trip for a full date.
    EXPECT_EQ(TextFromPickerDate(PickerDateFromText(u"2002.12.31")), u"2002.12.31");
}

// --- The properties dialog

class PropertiesDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        partie.SetWhite(u"Kasparov");
        partie.SetBlack(u"Karpov");
        partie.SetSite(u"Moscow");
        partie.SetEvent(u"World Championship");
        partie.SetRound(u"16");
        partie.SetDate(u"1985.11.09");
        partie.SetResult(WhiteWins);
    }
    void TearDown() override { ClearDialogScripts(); }

    // Runs the dialog with `script`; returns the result.
    int Run(DialogScript script) {
        QueueDialogScript(std::move(script));
        const int result = ShowGamePropertiesDialog(nullptr, partie);
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
        return result;
    }

    static DatePicker* Picker(TemplateDialog& dialog) {
        return dialog.ControlAs<DatePicker>(DatePickerId);
    }

    Partie partie;
};

TEST_F(PropertiesDialogTest, OpensWithTheGamesTags) {
    partie.SetSite(std::nullopt);
    Run([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.Caption(), QStringLiteral("Game properties"));
        EXPECT_EQ(dialog.Text(WhiteEdit), QStringLiteral("Kasparov"));
        EXPECT_EQ(dialog.Text(BlackEdit), QStringLiteral("Karpov"));
        EXPECT_EQ(dialog.Text(SiteEdit), QString());
        EXPECT_EQ(dialog.Text(EventEdit), QStringLiteral("World Championship"));
        EXPECT_EQ(dialog.Text(RoundEdit), QStringLiteral("16"));
        EXPECT_TRUE(dialog.IsChecked(WhiteWinsRadio));
        ASSERT_NE(Picker(dialog), nullptr);
        EXPECT_EQ(Picker(dialog)->Date(), QDate(1985, 11, 9));
        EXPECT_EQ(Picker(dialog)->Edit()->displayFormat(), QStringLiteral("MM/dd/yyyy"));
        EXPECT_EQ(Picker(dialog)->Edit()->text(), QStringLiteral("11/09/1985"));
        for (int id : {WhiteEdit, BlackEdit, SiteEdit, EventEdit, RoundEdit}) {
            ASSERT_NE(dialog.ControlAs<QLineEdit>(id), nullptr);
            EXPECT_EQ(dialog.ControlAs<QLineEdit>(id)->maxLength(), 64);
        }
        dialog.End(2);
    });
}

TEST_F(PropertiesDialogTest, OkStoresEveryFieldAndConfirms) {
    const QString event64(64, QLatin1Char('E'));
    const int result = Run([&](TemplateDialog& dialog) {
        dialog.SetText(WhiteEdit, QStringLiteral("Anand"));
        dialog.SetText(BlackEdit, QString()); // an empty edit clears its tag
        dialog.SetText(SiteEdit, QStringLiteral("Linares"));
        dialog.SetText(EventEdit, event64);
        dialog.SetText(RoundEdit, QStringLiteral("3.1"));
        dialog.Click(DrawRadio);
        dialog.Click(1);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(partie.white, u"Anand");
    EXPECT_EQ(partie.black, std::nullopt);
    EXPECT_EQ(partie.site, u"Linares");
    EXPECT_EQ(partie.event, U16(event64));
    EXPECT_EQ(partie.round, u"3.1");
    EXPECT_EQ(partie.date, u"1985.11.09");
    EXPECT_EQ(partie.result, Draw);
    EXPECT_TRUE(partie.propertiesConfirmed);
    // The values differ from the game's: it must be saved before another replaces it.
    EXPECT_TRUE(partie.changed);
}

TEST_F(PropertiesDialogTest, EditsStopAtSixtyFourCharacters) {
    Run([](TemplateDialog& dialog) {
        auto* edit = dialog.ControlAs<QLineEdit>(EventEdit);
        ASSERT_NE(edit, nullptr);
        edit->clear();
        edit->insert(QString(70, QLatin1Char('x')));
        dialog.Click(1);
    });
    EXPECT_EQ(partie.event, std::u16string(64, u'x'));
}

TEST_F(PropertiesDialogTest, LongerTagsFromTheFileStayWhole) {
    // 80 characters, and 40 characters outside the BMP (80 UTF-16 units) that a cut at 64 units
    // would split in the middle of a character.
    const std::u16string event80 =
        u"Championnat open international de la ville, tournoi principal A, r"
        u"onde finale";
    std::u16string white80;
    for (int i = 0; i < 40; ++i)
        white80 += u"\U0001D11E";
    ASSERT_GT(event80.size(), 64u);
    struct Row {
        const char* name;
        std::function<void(TemplateDialog&)> edit;
        std::u16string white;
        std::u16string event;
    } rows[] = {
        {"OK without touching them", [](TemplateDialog&) {}, white80, event80},
        {"another field edited", [](TemplateDialog& d) { d.SetText(RoundEdit, "4"); }, white80,
         event80},
        {"the long field shortened by one and typed into",
         [](TemplateDialog& d) {
             auto* edit = d.ControlAs<QLineEdit>(EventEdit);
             edit->end(false);
             edit->backspace();
             QTest::keyClicks(edit, "xyz");
         },
         white80, event80.substr(0, event80.size() - 1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        partie.SetWhite(white80);
        partie.SetEvent(event80);
        Run([&](TemplateDialog& dialog) {
            EXPECT_EQ(U16(dialog.Text(WhiteEdit)), white80);
            EXPECT_EQ(U16(dialog.Text(EventEdit)), event80);
            row.edit(dialog);
            dialog.Click(1);
        });
        EXPECT_EQ(partie.white, row.white);
        EXPECT_EQ(partie.event, row.event);
    }
}

TEST_F(PropertiesDialogTest, OkMarksTheGameChangedOnlyWhenAValueDiffers) {
    struct Row {
        const char* name;
        std::function<void(TemplateDialog&)> edit;
        bool changed;
    } rows[] = {
        {"nothing touched", [](TemplateDialog&) {}, false},
        {"a text typed back to what it was",
         [](TemplateDialog& d) {
             d.SetText(WhiteEdit, "Tal");
             d.SetText(WhiteEdit, "Kasparov");
         },
         false},
        {"the same date picked again",
         [](TemplateDialog& d) { Picker(d)->SetDate(QDate(1985, 11, 9)); }, false},
        {"White", [](TemplateDialog& d) { d.SetText(WhiteEdit, "Tal"); }, true},
        {"Round cleared", [](TemplateDialog& d) { d.SetText(RoundEdit, QString()); }, true},
        {"result", [](TemplateDialog& d) { d.Click(DrawRadio); }, true},
        {"date", [](TemplateDialog& d) { Picker(d)->Edit()->setDate(QDate(1985, 11, 10)); }, true},
        {"date cleared", [](TemplateDialog& d) { Picker(d)->HasDate()->setChecked(false); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        partie.changed = false;
        Run([&](TemplateDialog& dialog) {
            row.edit(dialog);
            dialog.Click(1);
        });
        EXPECT_EQ(partie.changed, row.changed);
    }
    // Cancel keeps `changed` as it was, whatever was typed.
    partie.changed = false;
    Run([](TemplateDialog& d) {
        d.SetText(WhiteEdit, "Tal");
        d.Click(2);
    });
    EXPECT_FALSE(partie.changed);
}

TEST_F(PropertiesDialogTest, CancelKeepsEverything) {
    const int result = Run([](TemplateDialog& dialog) {
        dialog.SetText(WhiteEdit, QStringLiteral("Someone else"));
        dialog.Click(BlackWinsRadio);
        Picker(dialog)->SetDate(QDate(2000, 1, 1));
        dialog.Click(2);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(partie.white, u"Kasparov");
    EXPECT_EQ(partie.date, u"1985.11.09");
    EXPECT_EQ(partie.result, WhiteWins);
    EXPECT_FALSE(partie.propertiesConfirmed);
}

struct ResultRow {
    const char* name;
    std::int32_t before;
    int checkedAtOpen;
    int clicked; // 0: leave the buttons alone
    std::int32_t stored;
};

TEST_F(PropertiesDialogTest, ResultButtons) {
    const ResultRow rows[] = {
        {"white wins kept", WhiteWins, WhiteWinsRadio, 0, WhiteWins},
        {"draw kept", Draw, DrawRadio, 0, Draw},
        {"black wins kept", BlackWins, BlackWinsRadio, 0, BlackWins},
        {"unfinished kept", Unfinished, LineRadio, 0, Unfinished},
        {"no result opens as line and stores unfinished", NoResult, LineRadio, 0, Unfinished},
        {"line to black wins", Unfinished, LineRadio, BlackWinsRadio, BlackWins},
        {"white wins to line", WhiteWins, WhiteWinsRadio, LineRadio, Unfinished},
    };
    for (const ResultRow& row : rows) {
        SCOPED_TRACE(row.name);
        partie.result = row.before;
        Run([&](TemplateDialog& dialog) {
            EXPECT_TRUE(dialog.IsChecked(row.checkedAtOpen));
            if (row.clicked)
                dialog.Click(row.clicked);
            dialog.Click(1);
        });
        EXPECT_EQ(partie.result, row.stored);
    }
}

struct DateOkRow {
    const char* name;
    std::optional<std::u16string> before;
    std::optional<QDate> shown;
    std::optional<std::u16string> stored;
};

TEST_F(PropertiesDialogTest, OkWithoutTouchingThePickerKeepsTheDateText) {
    const DateOkRow rows[] = {
        {"full date", u"2002.12.31", QDate(2002, 12, 31), u"2002.12.31"},
        {"partly known date survives", u"2002.??.??", std::nullopt, u"2002.??.??"},
        {"unknown date", u"????.??.??", std::nullopt, u"????.??.??"},
        {"no date stays none", std::nullopt, std::nullopt, std::nullopt},
        {"not a calendar date survives", u"2002.00.00", std::nullopt, u"2002.00.00"},
    };
    for (const DateOkRow& row : rows) {
        SCOPED_TRACE(row.name);
        partie.SetDate(row.before);
        Run([&](TemplateDialog& dialog) {
            EXPECT_EQ(Picker(dialog)->Date(), row.shown);
            dialog.Click(1);
        });
        EXPECT_EQ(partie.date, row.stored);
    }
}

TEST_F(PropertiesDialogTest, APickedDateIsStoredInFull) {
    partie.SetDate(u"2002.??.??");
    Run([](TemplateDialog& dialog) {
        DatePicker* picker = Picker(dialog);
        picker->HasDate()->setChecked(true);
        picker->Edit()->setDate(QDate(2002, 3, 5));
        dialog.Click(1);
    });
    EXPECT_EQ(partie.date, u"2002.03.05");
}

TEST_F(PropertiesDialogTest, ClearingThePickerStoresUnknownDate) {
    Run([](TemplateDialog& dialog) {
        Picker(dialog)->HasDate()->setChecked(false);
        dialog.Click(1);
    });
    EXPECT_EQ(partie.date, u"????.??.??");
}

// The picker reaches back to year 100 (as far as a date edit goes) and forward to 9999, and with
// no date it shows none rather than a greyed date the game does not have.
TEST_F(PropertiesDialogTest, ThePickerShowsOldDatesAndNothingWithoutADate) {
    struct Row {
        const char* name;
        std::optional<std::u16string> date;
        std::optional<QDate> shown;
        QString text;
    };
    const Row rows[] = {
        {"before the calendar reform", u"1620.03.05", QDate(1620, 3, 5), "03/05/1620"},
        {"the first year a date edit holds", u"0100.01.01", QDate(100, 1, 1), "01/01/0100"},
        {"the last year", u"9999.12.31", QDate(9999, 12, 31), "12/31/9999"},
        {"no date", std::nullopt, std::nullopt, ""},
        {"only the year known", u"1985.??.??", std::nullopt, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        partie.SetDate(row.date);
        Run([&](TemplateDialog& dialog) {
            EXPECT_EQ(Picker(dialog)->Date(), row.shown);
            EXPECT_EQ(Picker(dialog)->Edit()->text(), row.text);
            dialog.End(2);
        });
    }
    // Ticking the box brings a date back, and an old one can be picked and stored.
    partie.SetDate(std::nullopt);
    Run([](TemplateDialog& dialog) {
        DatePicker* picker = Picker(dialog);
        picker->HasDate()->setChecked(true);
        EXPECT_FALSE(picker->Edit()->text().isEmpty());
        picker->Edit()->setDate(QDate(1066, 10, 14));
        EXPECT_EQ(picker->Edit()->text(), QStringLiteral("10/14/1066"));
        picker->HasDate()->setChecked(false);
        EXPECT_EQ(picker->Edit()->text(), QString());
        picker->HasDate()->setChecked(true);
        dialog.Click(1);
    });
    EXPECT_EQ(partie.date, u"1066.10.14");
}

TEST_F(PropertiesDialogTest, MoreShowsTheOtherTagsAndStaysOpen) {
    AddExtraTag(partie, u"Annotator \"A. Nonymous\"]");
    int shownDuring = 0;
    const int result = Run([&](TemplateDialog& dialog) {
        QueueDialogScript([](TemplateDialog& tags) {
            EXPECT_EQ(tags.TemplateId(), OtherTagsTemplate);
            tags.Click(1);
        });
        dialog.Click(MoreButton);
        shownDuring = int(ShownDialogs().size());
        EXPECT_TRUE(dialog.isVisible());
        dialog.Click(1);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shownDuring, 2);
    ASSERT_EQ(ShownDialogs().size(), 2u);
    EXPECT_EQ(ShownDialogs()[1], OtherTagsTemplate);
}

// --- The other-tags dialog

QStringList ListRows(TemplateDialog& dialog) {
    QStringList rows;
    auto* view = dialog.ControlAs<QTreeView>(1000);
    if (!view || !view->model())
        return rows;
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString() + QLatin1Char('=') +
                    model->index(row, 1).data().toString();
    return rows;
}

TEST(OtherTagsDialog, ListsTheTagsInFileOrder) {
    GuiTestApp();
    ClearDialogScripts();
    Partie partie;
    AddExtraTag(partie, u"ECO \"B33\"]");
    AddExtraTag(partie, u"Annotator \"Two Words\"]");
    AddExtraTag(partie, u"ECO \"B34\"]");
    QStringList rows;
    QStringList headers;
    QueueDialogScript([&](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.Caption(), QStringLiteral("Other PGN Headers"));
        rows = ListRows(dialog);
        auto* view = dialog.ControlAs<QTreeView>(1000);
        ASSERT_NE(view, nullptr);
        headers << view->model()->headerData(0, Qt::Horizontal).toString()
                << view->model()->headerData(1, Qt::Horizontal).toString();
        dialog.Click(1);
    });
    EXPECT_EQ(ShowOtherTagsDialog(nullptr, partie), 2);
    EXPECT_EQ(rows, (QStringList{"ECO=B33", "Annotator=Two Words", "ECO=B34"}));
    EXPECT_EQ(headers, (QStringList{"Tag", "Value"}));
}

TEST(OtherTagsDialog, GameWithoutExtraTagsShowsTwoEmptyColumns) {
    GuiTestApp();
    ClearDialogScripts();
    Partie partie;
    int columns = -1;
    int rowCount = -1;
    QueueDialogScript([&](TemplateDialog& dialog) {
        auto* view = dialog.ControlAs<QTreeView>(1000);
        ASSERT_NE(view, nullptr);
        ASSERT_NE(view->model(), nullptr);
        columns = view->model()->columnCount();
        rowCount = view->model()->rowCount();
        dialog.Click(1);
    });
    EXPECT_EQ(ShowOtherTagsDialog(nullptr, partie), 2);
    EXPECT_EQ(columns, 2);
    EXPECT_EQ(rowCount, 0);
}

// --- The commands that open the dialog

class PropertiesCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        previousShell = platform::SetShell(&shell);
        SetFileDialogHook([this](const FileDialogRequest& request) -> std::optional<QString> {
            fileDialogs.push_back(request);
            return std::nullopt;
        });
        window = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        window.reset();
        SetFileDialogHook({});
        platform::SetShell(previousShell);
        ClearDialogScripts();
    }

    QtShell shell;
    platform::Shell* previousShell = nullptr;
    std::vector<FileDialogRequest> fileDialogs;
    std::unique_ptr<MainWindow> window;
};

TEST_F(PropertiesCommandTest, PropertiesCommandEditsTheCurrentGame) {
    QueueDialogScript([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.TemplateId(), PropertiesTemplate);
        dialog.SetText(WhiteEdit, QStringLiteral("Tal"));
        dialog.Click(1);
    });
    EXPECT_TRUE(DispatchCommand(Cmd::Properties));
    EXPECT_EQ(CurrentPartie->white, u"Tal");
    EXPECT_TRUE(CurrentPartie->propertiesConfirmed);
    EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
}

TEST_F(PropertiesCommandTest, SaveAsAsksForThePropertiesFirst) {
    // Cancel in the properties: no save-file dialog.
    QueueDialogScript([](TemplateDialog& dialog) { dialog.Click(2); });
    DispatchCommand(Cmd::SaveAs);
    EXPECT_EQ(ShownDialogs(), (std::vector<int>{PropertiesTemplate}));
    EXPECT_TRUE(fileDialogs.empty());

    // OK there: the save-file dialog follows; once confirmed, not asked again.
    QueueDialogScript([](TemplateDialog& dialog) { dialog.Click(1); });
    DispatchCommand(Cmd::SaveAs);
    EXPECT_EQ(fileDialogs.size(), 1u);
    DispatchCommand(Cmd::SaveAs);
    EXPECT_EQ(fileDialogs.size(), 2u);
    EXPECT_EQ(ShownDialogs().size(), 2u);
    EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
}

} // namespace
