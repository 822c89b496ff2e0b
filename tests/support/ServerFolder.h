#pragma once

#include <QString>
#include <QStringList>

namespace tabrivel::testing {

// A throw-away database server's folder: handed to the user "nobody" when we are root
// (servers refuse to run as root), with the server's programs run as that user.
class ServerFolder {
public:
    explicit ServerFolder(const QString& path) : path_(path) {}

    // False when the folder cannot be handed over.
    bool handOver() const;

    // Runs a program as the server's user and waits; its output, and whether it
    // succeeded.
    bool run(const QString& program, const QStringList& arguments, QString& output) const;

    // Starts a server program as the server's user, not waiting for it.
    void startDetached(const QStringList& command) const;

    // Starts a watcher that runs `stopCommand` (a shell command line, run as the server's
    // user) and removes the folder once this process is gone, so that a killed test
    // leaves no server behind.
    void watchForOurEnd(const QString& stopCommand) const;

private:
    QString path_;
};

} // namespace tabrivel::testing
