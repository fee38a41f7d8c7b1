// One running program per user.
//
// The first program to start listens on a per-user local socket named after the window class
// ("Pawnlet"). A later start connects to it, asks it to bring its window forward, and exits
// without opening anything. The same socket carries the open-file message (1124): a request to
// open a PGN file in the running program.
//
// Wire format: one line of UTF-8 per request, "raise" or "1124 <path>" (the path may be empty;
// "1124" alone stands for no path at all).
#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;
class QLocalSocket;

inline constexpr int OpenFileMessageId = 1124;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `name` is the socket's name; the default is "Pawnlet" made unique per user.
    explicit SingleInstance(QString name = DefaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString DefaultName();

    // Asks a running program to come forward. True when one answered; the caller then exits.
    static bool RaiseRunning(const QString& name = DefaultName());
    // Sends the open-file message to a running program. True when it was delivered.
    static bool SendOpenFile(const std::optional<QString>& path,
                             const QString& name = DefaultName());

    // Starts listening. False when the socket cannot be made (the program then runs alone,
    // unreachable by later starts). A stale socket left by a program that died is replaced.
    bool Listen();

signals:
    void RaiseRequested();
    void OpenFileRequested(std::optional<QString> path);

private:
    void OnConnection();
    void ReadLines(QLocalSocket* socket);
    void HandleLine(const QByteArray& line);

    QString name;
    QLocalServer* server = nullptr;
};
