// One program per user: a later start reaches the running one over its local socket.
#include "app/single_instance.h"

#include "gui_test_support.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTimer>
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

// The program answers an open-file request with modal dialogs; a client that goes away while
// one is up must cost neither the program nor the requests it had already sent.
TEST_F(SingleInstanceTest, AClientThatLeavesDuringAModalAnswerLosesNothing) {
    SingleInstance first(name);
    ASSERT_TRUE(first.Listen());
    QLocalSocket client;
    client.connectToServer(name);
    ASSERT_TRUE(client.waitForConnected(2000));

    QStringList received;
    bool serverSocketGone = false;
    QObject::connect(&first, &SingleInstance::OpenFileRequested, &first,
                     [&](std::optional<QString> path) {
                         received << path.value_or(QStringLiteral("<none>"));
                         if (received.size() > 1)
                             return;
                         // Inside the answer: the client leaves, and a modal dialog runs until
                         // the program has dropped its end of the connection.
                         const auto sockets = first.findChildren<QLocalSocket*>();
                         ASSERT_EQ(sockets.size(), 1);
                         QDialog modal;
                         QObject::connect(sockets.front(), &QObject::destroyed, &modal, [&] {
                             serverSocketGone = true;
                             modal.done(0);
                         });
                         // Only a guard against waiting for ever when the socket is kept.
                         QTimer::singleShot(5000, &modal, [&modal] { modal.done(0); });
                         client.disconnectFromServer();
                         modal.exec();
                     });
    client.write("1124 /first.pgn\n1124\n");
    ASSERT_TRUE(client.waitForBytesWritten(2000));
    QSignalSpy opened(&first, &SingleInstance::OpenFileRequested);
    while (received.size() < 2 && opened.wait(2000)) {
    }
    EXPECT_TRUE(serverSocketGone);
    EXPECT_EQ(received, (QStringList{QStringLiteral("/first.pgn"), QStringLiteral("<none>")}));
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
