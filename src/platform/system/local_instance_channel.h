#pragma once

#include "platform/system/instance_channel.h"

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace ziq {

// Copies of the program meet at a local socket that only this user can reach, one per user
// and desktop session. A lock file beside it makes the check for a running copy and the
// taking of the socket one step, so copies started at the same moment cannot both miss each
// other.
class LocalInstanceChannel final : public QObject, public InstanceChannel {
    Q_OBJECT
public:
    // `name` stands for the program; user and desktop session are added to it.
    explicit LocalInstanceChannel(const QString& name, QObject* parent = nullptr);
    ~LocalInstanceChannel() override;
    LocalInstanceChannel(const LocalInstanceChannel&) = delete;
    LocalInstanceChannel& operator=(const LocalInstanceChannel&) = delete;

    bool anotherInstanceRunning() override;
    bool bringForward(const std::string& title) override;
    void setComeForwardHandler(ComeForwardHandler handler) override;
    void close() override;

    bool isListening() const;
    const QString& serverName() const { return serverName_; }

private:
    bool peerListening() const;
    void takeOver();
    void takeOverIfFree();
    void acceptPeers();
    void answer(QLocalSocket& peer);

    QString serverName_;
    QString lockPath_;
    QLocalServer* server_ = nullptr;
    ComeForwardHandler handler_;
};

// The user and the desktop session (the display the program shows on), in characters that
// are safe in a file name. On Windows the user's SID and the session id: a pipe name is seen
// by every session of the machine, and a user name made safe may be another user's.
QString instanceScope();
QString windowsInstanceScope(const QString& userSid, unsigned long sessionId);

} // namespace ziq
