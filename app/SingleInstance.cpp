#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QtEndian>

namespace {

// How long a start waits for a running Quenzal to take its files. A window busy for longer
// (a modal dialog still serves its events, so only a stuck one is) is left alone and this
// start opens a window of its own.
constexpr int kAnswerMs = 5000;
// A message larger than this is no list of files: the connection is dropped.
constexpr quint32 kLargestMessage = 16u << 20;
constexpr char kAccepted = '\x01';

} // namespace

SingleInstance::SingleInstance(const QString& socketPath, QObject* parent)
    : QObject(parent)
    , m_socketPath(socketPath)
{}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath()
{
    // The runtime folder is the user's alone (mode 0700, checked by Qt), so no other user can
    // plant a socket there or read the names handed over.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/quenzal.socket");
}

QByteArray SingleInstance::encode(const QStringList& paths)
{
    const QByteArray body = paths.join(QChar(0)).toUtf8();
    QByteArray message(4, '\0');
    qToBigEndian(static_cast<quint32>(body.size()), message.data());
    return message + body;
}

SingleInstance::Role SingleInstance::begin(const QStringList& paths)
{
    // The lock makes "nobody answers, so listen" one step: without it two starts could both
    // find nobody, and the second would remove the first one's socket.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(30000);
    const bool locked = lock.tryLock(kAnswerMs);
    if (handOver(paths))
        return Role::HandedOver;
    if (!locked)
        return Role::Alone;

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (m_server->listen(m_socketPath))
        return Role::First;
    // Nobody answered, yet the socket is there: a Quenzal that crashed left it.
    QLocalServer::removeServer(m_socketPath);
    if (m_server->listen(m_socketPath))
        return Role::First;
    delete m_server;
    m_server = nullptr;
    return Role::Alone;
}

bool SingleInstance::handOver(const QStringList& paths)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write(encode(paths));
    if (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(kAnswerMs))
        return false;
    // Taken only once the running Quenzal says so: one that dies meanwhile loses nothing.
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(kAnswerMs))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAccepted;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void SingleInstance::onReadyRead(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < 4)
        return;
    char head[4];
    socket->peek(head, 4);
    const quint32 size = qFromBigEndian<quint32>(head);
    if (size > kLargestMessage) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(size))
        return;
    socket->skip(4);
    const QByteArray body = socket->read(size);
    // Read once: more bytes on the same connection are not part of the protocol.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    QStringList paths;
    if (!body.isEmpty()) {
        for (const QByteArray& path : body.split('\0')) {
            if (!path.isEmpty())
                paths << QString::fromUtf8(path);
        }
    }
    socket->write(&kAccepted, 1);
    socket->disconnectFromServer();
    Q_EMIT pathsReceived(paths);
}
