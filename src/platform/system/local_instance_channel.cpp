#include "platform/system/local_instance_channel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <optional>

namespace ziq {

namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr int kLockWaitMs = 5000;
// A running copy answers at once unless it is busy; busy still means running.
constexpr int kAnswerTimeoutMs = 3000;
// A peer that connects and says nothing is dropped after this.
constexpr int kPeerTimeoutMs = 5000;
constexpr qint64 kMaxRequest = 1024;

QString safeForFileName(QString text) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_-]"));
    return text.replace(unsafe, QStringLiteral("_"));
}

#ifndef Q_OS_WIN
QString userName() {
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty()) {
            return name;
        }
    }
    return QDir::home().dirName();
}

QString desktopSession() {
    QString display = qEnvironmentVariable("DISPLAY");
    if (!display.isEmpty()) {
        // ":0" and ":0.0" are the same desktop; only the screen differs.
        const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
        const qsizetype dot = display.indexOf(QLatin1Char('.'), colon + 1);
        if (colon >= 0 && dot > colon) {
            display.truncate(dot);
        }
        return display;
    }
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty()) {
        return wayland;
    }
    return QGuiApplication::platformName();
}
#endif

QString channelFolder() {
#ifdef Q_OS_WIN
    // Windows has no runtime folder (Qt would name the user's profile folder itself): the
    // user's own temporary folder holds the lock.
    QString folder = QDir::tempPath();
#else
    // Private to the user on Linux (XDG_RUNTIME_DIR, or a 0700 folder Qt makes).
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    QDir().mkpath(folder);
    return folder;
}

std::optional<QByteArray> awaitLine(QLocalSocket& socket, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState &&
           !deadline.hasExpired()) {
        socket.waitForReadyRead(20);
        // The running copy answers from its event loop, and in tests that copy is this very
        // process. No nested event loop: it would return at once once the program is ending.
        QCoreApplication::processEvents();
    }
    if (!socket.canReadLine()) {
        return std::nullopt;
    }
    return socket.readLine(kMaxRequest).trimmed();
}

} // namespace

#ifndef Q_OS_WIN
QString instanceScope() {
    return safeForFileName(userName() + QLatin1Char('-') + desktopSession());
}
#endif

QString windowsInstanceScope(const QString& userSid, unsigned long sessionId) {
    return safeForFileName(userSid + QLatin1Char('-') + QString::number(sessionId));
}

LocalInstanceChannel::LocalInstanceChannel(const QString& name, QObject* parent) : QObject(parent) {
    const QString base = safeForFileName(name) + QLatin1Char('-') + instanceScope();
    const QString folder = channelFolder();
    lockPath_ = folder + QLatin1Char('/') + base + QStringLiteral(".lock");
#ifdef Q_OS_WIN
    serverName_ = base; // a pipe name, not a path
#else
    serverName_ = folder + QLatin1Char('/') + base + QStringLiteral(".socket");
#endif
}

LocalInstanceChannel::~LocalInstanceChannel() {
    close();
}

bool LocalInstanceChannel::anotherInstanceRunning() {
    // Without the lock this copy goes on alone rather than never starting.
    QLockFile lock(lockPath_);
    lock.tryLock(kLockWaitMs);
    if (peerListening()) {
        return true;
    }
    takeOver();
    return false;
}

bool LocalInstanceChannel::bringForward(const std::string& title) {
    QLocalSocket peer;
    peer.connectToServer(serverName_);
    if (!peer.waitForConnected(kConnectTimeoutMs)) {
        takeOverIfFree();
        return false;
    }
    QByteArray request = QByteArray::fromStdString(title);
    request.replace('\n', ' ');
    peer.write(request + '\n');
    peer.flush();
    const std::optional<QByteArray> reply = awaitLine(peer, kAnswerTimeoutMs);
    if (reply) {
        return *reply == "1";
    }
    if (peer.state() == QLocalSocket::ConnectedState) {
        return true; // running, just too busy to answer
    }
    takeOverIfFree(); // it ended while we asked
    return false;
}

void LocalInstanceChannel::setComeForwardHandler(ComeForwardHandler handler) {
    handler_ = std::move(handler);
}

void LocalInstanceChannel::close() {
    if (server_ != nullptr) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
}

bool LocalInstanceChannel::isListening() const {
    return server_ != nullptr && server_->isListening();
}

bool LocalInstanceChannel::peerListening() const {
    QLocalSocket probe;
    probe.connectToServer(serverName_);
    const bool connected = probe.waitForConnected(kConnectTimeoutMs);
    probe.abort();
    return connected;
}

void LocalInstanceChannel::takeOverIfFree() {
    QLockFile lock(lockPath_);
    lock.tryLock(kLockWaitMs);
    if (!peerListening()) {
        takeOver();
    }
}

// Call with the lock held and no live peer.
void LocalInstanceChannel::takeOver() {
    if (isListening()) {
        return;
    }
    // A copy that crashed leaves its socket behind; nobody listens there any more.
    QLocalServer::removeServer(serverName_);
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &LocalInstanceChannel::acceptPeers);
    if (!server_->listen(serverName_)) {
        // The program still runs; only a later copy will not find it.
        qWarning("Cannot listen at %s: %s", qUtf8Printable(serverName_),
                 qUtf8Printable(server_->errorString()));
    }
}

void LocalInstanceChannel::acceptPeers() {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { answer(*peer); });
        QTimer::singleShot(kPeerTimeoutMs, peer, [peer] {
            peer->abort();
            peer->deleteLater();
        });
    }
}

void LocalInstanceChannel::answer(QLocalSocket& peer) {
    if (!peer.canReadLine()) {
        if (peer.bytesAvailable() > kMaxRequest) {
            peer.abort();
            peer.deleteLater();
        }
        return;
    }
    const QByteArray title = peer.readLine(kMaxRequest).trimmed();
    const bool found = handler_ && handler_(title.toStdString());
    peer.write(found ? "1\n" : "0\n");
    peer.disconnectFromServer();
}

} // namespace ziq
