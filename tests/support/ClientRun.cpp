#include "ClientRun.h"

#include <QProcess>

namespace tabrivel::testing {

QString ClientRun::describe() const {
    if (!finished)
        return "the client did not finish: " + errors;
    return QString("exit status %1; stderr: %2; stdout: %3")
        .arg(exitCode)
        .arg(errors.trimmed(), output.trimmed().left(400));
}

ClientRun PipeScriptInto(const QString& program, const QStringList& arguments,
                         const QString& scriptFile, const QString& workingFolder) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(scriptFile);
    process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    ClientRun run;
    run.finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.exitCode = run.finished ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    if (!run.finished && run.errors.isEmpty())
        run.errors = process.errorString();
    return run;
}

} // namespace tabrivel::testing
