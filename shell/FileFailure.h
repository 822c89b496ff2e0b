#pragma once

#include <QFileDevice>
#include <QString>

namespace tabrivel {

// What a failed file operation left behind, gathered at the moment it failed: the
// system's error number (0 when the system gave none) and what the device knows.
struct FileFailure {
    int systemError = 0;
    QFileDevice::FileError kind = QFileDevice::UnspecifiedError;
    QString deviceText;
};

// The cause in the user's words: the system's own text for its error number ("No space
// left on device", "Permission denied", "Read-only file system"), else what the device
// said, else a text for the device's kind of failure.
QString FileFailureCause(const FileFailure& failure);

// "<action> <path>: <cause>."
QString FileFailureText(const QString& action, const QString& path, const FileFailure& failure);

// What the user can do when a file could not be written for this cause, as a sentence
// with a leading blank; empty for the causes without an obvious remedy.
QString WriteFailureAdvice(const FileFailure& failure);

} // namespace tabrivel
