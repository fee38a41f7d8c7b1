// The four settings: defaults from the start, read once, written once, a missing or unreadable
// value leaving only that one setting at its default.
#include "dialogs/settings_store.h"
#include "tests/gui_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        RemoveStore();
        BlackColor = 1;
        SelColor = 2;
        IndicateComment = 3;
        StandardBoard = 4;
    }
    void TearDown() override {
        RemoveStore();
        BlackColor = DefaultBlackColor;
        SelColor = DefaultSelColor;
        IndicateComment = DefaultIndicateComment;
        StandardBoard = DefaultStandardBoard;
    }

    static QString StorePath() {
        return QSettings(QStringLiteral("quorvex"), QStringLiteral("Pawnlet")).fileName();
    }
    static void RemoveStore() {
        const QString path = StorePath();
        QDir(path).removeRecursively();
        QFile::remove(path);
    }
    static void Put(const char* name, const QVariant& value) {
        QSettings store(QStringLiteral("quorvex"), QStringLiteral("Pawnlet"));
        store.setValue(QString::fromLatin1(name), value);
    }
};

TEST_F(SettingsStore, TheStoreIsTheProgramsOwnInTestMode) {
    // Tests never touch the user's real settings.
    EXPECT_TRUE(StorePath().contains(QStringLiteral("qttest"))) << StorePath().toStdString();
    EXPECT_TRUE(StorePath().contains(QStringLiteral("quorvex")));
}

TEST_F(SettingsStore, FirstRunGivesTheFourDefaultsAndExitWritesThemAll) {
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_EQ(BlackColor, 0x00C0C0C0u);
    EXPECT_EQ(SelColor, 0x0080FFFFu);
    EXPECT_EQ(IndicateComment, 1u);
    EXPECT_EQ(StandardBoard, 1u);

    EXPECT_TRUE(SaveSettings());
    QSettings store(QStringLiteral("quorvex"), QStringLiteral("Pawnlet"));
    EXPECT_EQ(store.value(QStringLiteral("BlackColor")).toUInt(), 12632256u);
    EXPECT_EQ(store.value(QStringLiteral("SelColor")).toUInt(), 0x0080FFFFu);
    EXPECT_EQ(store.value(QStringLiteral("Indicate comment")).toUInt(), 1u);
    EXPECT_EQ(store.value(QStringLiteral("Standard layout")).toUInt(), 1u);
}

TEST_F(SettingsStore, OnlyThePresentValuesAreTakenFromTheStore) {
    struct Row {
        const char* name;
        const char* key;
        QVariant value;
        std::uint32_t black, sel, comment, standard;
    };
    const Row rows[] = {
        {"only SelColor", "SelColor", 0x00112233u, DefaultBlackColor, 0x00112233u, 1, 1},
        {"only BlackColor", "BlackColor", 0x00405060u, 0x00405060u, DefaultSelColor, 1, 1},
        {"comment marks off", "Indicate comment", 0u, DefaultBlackColor, DefaultSelColor, 0, 1},
        {"large board", "Standard layout", 0u, DefaultBlackColor, DefaultSelColor, 1, 0},
        {"a flag other than 1", "Standard layout", 7u, DefaultBlackColor, DefaultSelColor, 1, 7},
        {"all 32 bits kept", "BlackColor", 0xFFFFFFFFu, 0xFFFFFFFFu, DefaultSelColor, 1, 1},
        {"not a number", "SelColor", QStringLiteral("yellow"), DefaultBlackColor, DefaultSelColor,
         1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveStore();
        Put(row.key, row.value);
        BlackColor = SelColor = IndicateComment = StandardBoard = 99;
        EXPECT_EQ(LoadSettings(), 1);
        EXPECT_EQ(BlackColor, row.black);
        EXPECT_EQ(SelColor, row.sel);
        EXPECT_EQ(IndicateComment, row.comment);
        EXPECT_EQ(StandardBoard, row.standard);
    }
}

TEST_F(SettingsStore, SavedValuesComeBackAtTheNextStart) {
    BlackColor = 0x00204080;
    SelColor = 0x00FF0000;
    IndicateComment = 0;
    StandardBoard = 0;
    EXPECT_TRUE(SaveSettings());
    BlackColor = SelColor = IndicateComment = StandardBoard = 5;
    LoadSettings();
    EXPECT_EQ(BlackColor, 0x00204080u);
    EXPECT_EQ(SelColor, 0x00FF0000u);
    EXPECT_EQ(IndicateComment, 0u);
    EXPECT_EQ(StandardBoard, 0u);
}

TEST_F(SettingsStore, RawBytesAreCopiedAsTheyAre) {
    Put("BlackColor", QByteArray("\x10\x20\x30", 3));
    Put("SelColor", QByteArray("\x01\x02\x03\x04\x05", 5)); // more than a value holds
    LoadSettings();
    EXPECT_EQ(BlackColor, 0x00302010u);
    EXPECT_EQ(SelColor, DefaultSelColor);
}

TEST_F(SettingsStore, AStoreThatCannotBeReadOrWrittenLeavesTheDefaultsAndSaysSo) {
    // A directory where the settings file should be: neither readable as settings nor writable.
    const QString path = StorePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(QDir().mkpath(path));
    LoadSettings();
    EXPECT_EQ(BlackColor, DefaultBlackColor);
    EXPECT_EQ(SelColor, DefaultSelColor);
    EXPECT_EQ(IndicateComment, DefaultIndicateComment);
    EXPECT_EQ(StandardBoard, DefaultStandardBoard);
    BlackColor = 0x00010203;
    EXPECT_FALSE(SaveSettings());
    EXPECT_FALSE(WriteSettingDword("BlackColor", 1));
    EXPECT_FALSE(ReadSettingDword("BlackColor").has_value());
    // Nothing in memory was lost.
    EXPECT_EQ(BlackColor, 0x00010203u);
}

TEST_F(SettingsStore, NothingIsWrittenBeforeSaveSettings) {
    LoadSettings();
    BlackColor = 0x00336699;
    EXPECT_FALSE(QFile::exists(StorePath()));
    EXPECT_FALSE(ReadSettingDword("BlackColor").has_value());
}

} // namespace
