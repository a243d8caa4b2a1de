#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One Quenzal window per user: the first start listens on a local socket of the user's own; a
// later start hands its files over to it and ends. A socket left behind by a Quenzal that
// crashed is taken over; the socket of one that lives but does not answer never is. What the
// connections may hold at once is bounded.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role {
        HandedOver, // a running Quenzal took the files: this start ends
        First,      // this start listens for later ones
        Alone,      // neither (the socket could not be made): this start runs on its own
    };

    // `socketPath`: a path in a folder only the user may enter.
    explicit SingleInstance(const QString& socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket in the user's runtime folder.
    static QString defaultSocketPath();

    // Hands `paths` (absolute) to a running Quenzal or, when none answers, starts listening.
    // Two starts at the same moment settle it between them: one of them is first.
    Role begin(const QStringList& paths);

    // A message of `paths` as it goes over the socket: a 4-byte big-endian length, then the
    // paths in UTF-8 separated by NUL (the one character no path holds).
    static QByteArray encode(const QStringList& paths);

    // What all connections together may hold before they are read: a connection that would
    // need more is dropped.
    static constexpr qint64 kBudget = 64 << 20;

Q_SIGNALS:
    // A later start handed these over (possibly none: it only asked for the window).
    void pathsReceived(const QStringList& paths);

private:
    enum class HandOver { Taken, NobodyListens, NoAnswer };
    HandOver handOver(const QStringList& paths);
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
    qint64 m_held = 0; // declared by the connections under way
};
