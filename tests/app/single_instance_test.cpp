// One program per user: a later start reaches the running one over its local socket.
#include "app/single_instance.h"

#include "gui_test_support.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

QString UniqueName() {
    return QStringLiteral("pawnlet-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override { GuiTestApp(); }
    QString name = UniqueName();
};

TEST_F(SingleInstanceTest, NobodyAnswersWhenNoProgramRuns) {
    EXPECT_FALSE(SingleInstance::RaiseRunning(name));
    EXPECT_FALSE(SingleInstance::SendOpenFile(QStringLiteral("/tmp/x.pgn"), name));
}

TEST_F(SingleInstanceTest, ASecondStartAsksTheFirstToComeForward) {
    SingleInstance first(name);
    ASSERT_TRUE(first.Listen());
    QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
    QSignalSpy opened(&first, &SingleInstance::OpenFileRequested);
    EXPECT_TRUE(SingleInstance::RaiseRunning(name));
    EXPECT_TRUE(raised.wait(2000));
    EXPECT_EQ(raised.count(), 1);
    EXPECT_EQ(opened.count(), 0);
}

TEST_F(SingleInstanceTest, OpenFileMessageCarriesThePath) {
    SingleInstance first(name);
    ASSERT_TRUE(first.Listen());
    QSignalSpy opened(&first, &SingleInstance::OpenFileRequested);
    const struct {
        const char* label;
        std::optional<QString> path;
    } cases[] = {
        {"a path with spaces and accents", QStringLiteral("/home/u/mes parties/échecs.pgn")},
        {"an empty path", QString()},
        {"no path at all", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        opened.clear();
        ASSERT_TRUE(SingleInstance::SendOpenFile(c.path, name));
        ASSERT_TRUE(opened.wait(2000));
        const auto received = opened.takeFirst().at(0).value<std::optional<QString>>();
        EXPECT_EQ(received.has_value(), c.path.has_value());
        if (received && c.path) {
            EXPECT_EQ(*received, *c.path);
        }
    }
}

TEST_F(SingleInstanceTest, TheNameIsFreeAgainAfterTheProgramEnds) {
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.Listen());
    }
    EXPECT_FALSE(SingleInstance::RaiseRunning(name));
    SingleInstance second(name);
    EXPECT_TRUE(second.Listen());
    QSignalSpy raised(&second, &SingleInstance::RaiseRequested);
    EXPECT_TRUE(SingleInstance::RaiseRunning(name));
    EXPECT_TRUE(raised.wait(2000));
}

TEST_F(SingleInstanceTest, TheDefaultNameBelongsToTheUser) {
    EXPECT_TRUE(SingleInstance::DefaultName().startsWith(QStringLiteral("Pawnlet-")));
}

} // namespace
