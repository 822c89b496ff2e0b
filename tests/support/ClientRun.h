#pragma once

#include <QString>
#include <QStringList>

namespace tabrivel::testing {

// What a database's command-line client did with a script piped into it.
struct ClientRun {
    bool finished = false; // it ended by itself in time, not by a signal
    int exitCode = -1;
    QString output;
    QString errors;

    bool succeeded() const { return finished && exitCode == 0; }
    // Its exit status and messages, for a failure report.
    QString describe() const;
};

// Runs a client with `scriptFile` as its standard input (the way `client < script.sql`
// or `... | client` runs it) in `workingFolder`, so that anything the script makes the
// client do to files lands there.
ClientRun PipeScriptInto(const QString& program, const QStringList& arguments,
                         const QString& scriptFile, const QString& workingFolder);

} // namespace tabrivel::testing
