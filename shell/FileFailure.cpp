#include "shell/FileFailure.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace tabrivel {

namespace {

QString KindText(QFileDevice::FileError kind) {
    switch (kind) {
    case QFileDevice::ResourceError:
        return QStringLiteral("Out of disk space or another system resource");
    case QFileDevice::PermissionsError:
        return QStringLiteral("Permission denied");
    case QFileDevice::OpenError:
        return QStringLiteral("The file could not be opened");
    case QFileDevice::WriteError:
        return QStringLiteral("The file could not be written");
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        return QStringLiteral("The earlier file could not be replaced");
    default:
        return QString();
    }
}

bool IsOutOfSpace(int systemError) {
#ifdef EDQUOT
    if (systemError == EDQUOT) // over the user's quota: full, as far as the user goes
        return true;
#endif
    return systemError == ENOSPC;
}

} // namespace

QString WriteFailureAdvice(const FileFailure& failure) {
    const int systemError = failure.systemError;
    const QFileDevice::FileError kind = failure.kind;
    if (IsOutOfSpace(systemError) || (systemError == 0 && kind == QFileDevice::ResourceError))
        return QStringLiteral(" Free some space on that disk or choose another folder.");
    if (systemError == EACCES || systemError == EPERM || systemError == EROFS ||
        (systemError == 0 && kind == QFileDevice::PermissionsError))
        return QStringLiteral(" Choose a folder you may write to.");
    return QString();
}

QString FileFailureCause(const FileFailure& failure) {
    if (failure.systemError != 0)
        return QString::fromLocal8Bit(std::strerror(failure.systemError));
    // Qt's default text says nothing; the kind of failure says a little more.
    const QString unknown = QStringLiteral("Unknown error");
    if (!failure.deviceText.isEmpty() && failure.deviceText != unknown)
        return failure.deviceText;
    const QString kindText = KindText(failure.kind);
    return kindText.isEmpty() ? unknown : kindText;
}

QString FileFailureText(const QString& action, const QString& path, const FileFailure& failure) {
    return action + QLatin1Char(' ') + QDir::toNativeSeparators(path) + QStringLiteral(": ") +
           FileFailureCause(failure) + QLatin1Char('.');
}

} // namespace tabrivel
