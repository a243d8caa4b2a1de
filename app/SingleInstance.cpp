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
constexpr quint32 kLargestMessage = SingleInstance::kBudget;
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
    const HandOver handed = handOver(paths);
    if (handed == HandOver::Taken)
        return Role::HandedOver;
    // A Quenzal that lives but did not answer (stuck, or only slow) keeps its socket.
    if (!locked || handed == HandOver::NoAnswer)
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

SingleInstance::HandOver SingleInstance::handOver(const QStringList& paths)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kAnswerMs))
        return socket.error() == QLocalSocket::SocketTimeoutError ? HandOver::NoAnswer
                                                                  : HandOver::NobodyListens;
    // A large list goes out piece by piece as the other side reads it.
    const QByteArray message = encode(paths);
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kAnswerMs))
            return HandOver::NoAnswer;
    }
    // Taken only once the running Quenzal says so: one that dies meanwhile loses nothing.
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(kAnswerMs))
            return HandOver::NoAnswer;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAccepted ? HandOver::Taken : HandOver::NoAnswer;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Nothing more than the length is read until the length is known to fit the budget.
        socket->setReadBufferSize(4);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this,
                [this, socket] { m_held -= socket->property("held").toLongLong(); });
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
    if (!socket->property("held").isValid()) {
        if (size > kLargestMessage || m_held + size > kBudget) {
            socket->abort();
            return;
        }
        m_held += size;
        socket->setProperty("held", qint64(size));
        socket->setReadBufferSize(4 + qint64(size));
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(size))
        return;
    socket->skip(4);
    const QByteArray body = socket->read(size);
    m_held -= size;
    socket->setProperty("held", qint64(0));
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
