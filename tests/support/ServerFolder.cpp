#include "ServerFolder.h"

#include <QFile>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

namespace tabrivel::testing {
namespace {

constexpr const char* kUnprivileged = "nobody";

bool AsRoot() {
    return geteuid() == 0;
}

} // namespace

bool ServerFolder::handOver() const {
    if (!AsRoot())
        return true;
    const passwd* user = getpwnam(kUnprivileged);
    return user && chown(QFile::encodeName(path_).constData(), user->pw_uid, user->pw_gid) == 0;
}

bool ServerFolder::run(const QString& program, const QStringList& arguments,
                       QString& output) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(path_);
    if (AsRoot())
        process.start("runuser", QStringList{"-u", kUnprivileged, "--", program} + arguments);
    else
        process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void ServerFolder::startDetached(const QStringList& command) const {
    const QStringList asUser =
        AsRoot() ? QStringList{"runuser", "-u", kUnprivileged, "--"} : QStringList();
    QProcess::startDetached("sh",
                            QStringList{"-c", "exec \"$@\" </dev/null >/dev/null 2>&1", "server"} +
                                asUser + command,
                            path_);
}

void ServerFolder::watchForOurEnd(const QString& stopCommand) const {
    const QString asUser = AsRoot() ? "runuser -u " + QString(kUnprivileged) + " -- " : "";
    const QString stop =
        asUser + "sh -c \"" + stopCommand + "\" >/dev/null 2>&1; rm -rf '" + path_ + "'";
    QProcess::startDetached("sh",
                            {"-c", "while kill -0 \"$1\" 2>/dev/null; do sleep 1; done; " + stop,
                             "watcher", QString::number(getpid())});
}

} // namespace tabrivel::testing
