#include "platform/clipboard/keeper_launch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace ziq {

bool handTextToKeeper(const QByteArray& text, const QStringList& arguments) {
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/ziq2-clipboard-keeper");
    if (text.isEmpty() || !QFileInfo::exists(program)) {
        return false;
    }
    QProcess keeper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    keeper.setProcessEnvironment(environment);
    keeper.setStandardOutputFile(QProcess::nullDevice());
    keeper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    keeper.start(program, arguments);
    if (!keeper.waitForStarted(3000)) {
        return false;
    }
    keeper.write(text);
    keeper.closeWriteChannel();
    // The keeper's first process ends once its background copy owns the clipboard.
    if (!keeper.waitForFinished(10000)) {
        keeper.kill();
        keeper.waitForFinished(1000);
        return false;
    }
    return keeper.exitStatus() == QProcess::NormalExit && keeper.exitCode() == 0;
}

} // namespace ziq
