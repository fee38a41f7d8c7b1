#include "app/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

constexpr int ConnectTimeoutMs = 500;
constexpr int WriteTimeoutMs = 1000;

bool SendLine(const QString& name, const QByteArray& line) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(ConnectTimeoutMs)) {
        return false;
    }
    socket.write(line);
    socket.write("\n");
    if (!socket.waitForBytesWritten(WriteTimeoutMs)) {
        return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(WriteTimeoutMs);
    }
    return true;
}

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultName() {
    // Local sockets share one namespace between users on some systems: the user id keeps two
    // users' programs apart.
    return QStringLiteral("Pawnlet-%1").arg(static_cast<qulonglong>(getuid()));
}

bool SingleInstance::RaiseRunning(const QString& name) {
    return SendLine(name, "raise");
}

bool SingleInstance::SendOpenFile(const std::optional<QString>& path, const QString& name) {
    QByteArray line = QByteArray::number(OpenFileMessageId);
    if (path) {
        line += ' ';
        line += path->toUtf8();
    }
    return SendLine(name, line);
}

bool SingleInstance::Listen() {
    if (server) {
        return true;
    }
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        // Nobody answered before we got here (the caller checked), so a socket file that is
        // still there was left by a program that ended abnormally.
        QLocalServer::removeServer(name);
        if (!server->listen(name)) {
            delete server;
            server = nullptr;
            return false;
        }
    }
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    return true;
}

void SingleInstance::OnConnection() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadLines(socket); });
        ReadLines(socket);
    }
}

void SingleInstance::ReadLines(QLocalSocket* socket) {
    // A request may run modal loops (a message box, the game list) in which the client goes
    // away and its socket is deleted: every waiting line is taken before any is answered, and
    // the socket is not touched after the first answer.
    QList<QByteArray> lines;
    while (socket->canReadLine()) {
        lines.append(socket->readLine());
    }
    for (const QByteArray& line : lines) {
        HandleLine(line);
    }
}

void SingleInstance::HandleLine(const QByteArray& raw) {
    QByteArray line = raw;
    if (line.endsWith('\n')) {
        line.chop(1);
    }
    if (line == "raise") {
        emit RaiseRequested();
        return;
    }
    const QByteArray prefix = QByteArray::number(OpenFileMessageId);
    if (line == prefix) {
        emit OpenFileRequested(std::nullopt);
    } else if (line.startsWith(prefix + ' ')) {
        emit OpenFileRequested(QString::fromUtf8(line.mid(prefix.size() + 1)));
    }
    // Anything else is not ours to answer: it is dropped.
}
