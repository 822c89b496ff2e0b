#include "PostgresCluster.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <libpq-fe.h>

namespace tabrivel::testing {
namespace {

constexpr const char* kUser = "tabrivel";

// The server's programs: TABRIVEL_PG_BIN, else Debian's newest installed version, else
// whatever is on the PATH.
QString FindBinDir() {
    const QString given = qEnvironmentVariable("TABRIVEL_PG_BIN");
    if (!given.isEmpty())
        return given;
    QStringList versions = QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    if (!versions.isEmpty())
        return "/usr/lib/postgresql/" + versions.back() + "/bin";
    const QString initdb = QStandardPaths::findExecutable("initdb");
    return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
}

void Close(pg_conn* connection) {
    if (connection)
        PQfinish(connection);
}

} // namespace

PostgresCluster::PostgresCluster() : folder_(dir_.path()), connection_(nullptr, Close) {
    binDir_ = FindBinDir();
    if (binDir_.isEmpty() || !QFileInfo(tool("initdb")).isExecutable()) {
        failure_ = "PostgreSQL's server programs are not installed (Debian: postgresql)";
        return;
    }
    if (!folder_.handOver()) {
        failure_ = "cannot hand the cluster's folder to the user nobody";
        return;
    }
    const QString data = dir_.filePath("data");
    if (!run(tool("initdb"),
             {"-D", data, "-U", kUser, "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"}))
        return;
    const QString serverOptions = "-k " + dir_.path() + " -c listen_addresses='' -F";
    if (!run(tool("pg_ctl"), {"-D", data, "-o", serverOptions, "-l", dir_.filePath("log"), "-w",
                              "-t", "60", "start"}))
        return;
    started_ = true;
    folder_.watchForOurEnd("'" + tool("pg_ctl") + "' -D '" + data + "' -m immediate -w stop");
    connection_.reset(PQconnectdb(conninfo().c_str()));
    if (PQstatus(connection_.get()) != CONNECTION_OK)
        failure_ = QString::fromUtf8(PQerrorMessage(connection_.get()));
}

PostgresCluster::~PostgresCluster() {
    connection_.reset();
    if (started_)
        run(tool("pg_ctl"), {"-D", dir_.filePath("data"), "-m", "immediate", "-w", "stop"});
}

QStringList PostgresCluster::clientArguments() const {
    return {"-h", dir_.path(), "-U", kUser, "-d", "postgres"};
}

std::string PostgresCluster::conninfo() const {
    return "host=" + dir_.path().toStdString() + " user=" + kUser + " dbname=postgres";
}

QString PostgresCluster::tool(const QString& name) const {
    return binDir_ + "/" + name;
}

// Runs a server program as the cluster's user; on failure notes its output.
bool PostgresCluster::run(const QString& program, const QStringList& arguments) {
    QString output;
    if (folder_.run(program, arguments, output))
        return true;
    if (failure_.isEmpty())
        failure_ = QFileInfo(program).fileName() + " failed: " + output;
    return false;
}

QString PostgresCluster::runScript(const QString& scriptFile) const {
    QProcess psql;
    psql.setProcessChannelMode(QProcess::MergedChannels);
    psql.start(tool("psql"), {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", dir_.path(), "-U", kUser,
                              "-d", "postgres", "-f", scriptFile});
    if (!psql.waitForFinished(120000))
        return "psql did not finish";
    const QString text = QString::fromLocal8Bit(psql.readAll());
    if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0)
        return "psql failed: " + text;
    return {};
}

ClientRun PostgresCluster::pipeScript(const QString& database, const QString& scriptFile,
                                      const QString& workingFolder,
                                      const QStringList& clientOptions) const {
    return PipeScriptInto(tool("psql"),
                          QStringList{"-X"} + clientOptions +
                              QStringList{"-h", dir_.path(), "-U", kUser, "-d", database},
                          scriptFile, workingFolder);
}

std::string PostgresCluster::execute(const std::string& sql) const {
    return query(sql).error;
}

PostgresCluster::Result PostgresCluster::query(const std::string& database,
                                               const std::string& sql) const {
    const std::string info =
        "host=" + dir_.path().toStdString() + " user=" + kUser + " dbname=" + database;
    const std::unique_ptr<pg_conn, void (*)(pg_conn*)> connection(PQconnectdb(info.c_str()), Close);
    if (PQstatus(connection.get()) != CONNECTION_OK)
        return {PQerrorMessage(connection.get()), {}};
    return Ask(connection.get(), sql);
}

PostgresCluster::Result PostgresCluster::query(const std::string& sql) const {
    return Ask(connection_.get(), sql);
}

PostgresCluster::Result PostgresCluster::Ask(pg_conn* connection, const std::string& sql) {
    Result result;
    std::unique_ptr<PGresult, void (*)(PGresult*)> answer(PQexec(connection, sql.c_str()), PQclear);
    const ExecStatusType status = PQresultStatus(answer.get());
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        result.error = PQresultErrorMessage(answer.get());
        return result;
    }
    for (int row = 0; row < PQntuples(answer.get()); ++row) {
        result.rows.emplace_back();
        for (int column = 0; column < PQnfields(answer.get()); ++column) {
            if (PQgetisnull(answer.get(), row, column))
                result.rows.back().push_back(std::nullopt);
            else
                result.rows.back().push_back(std::string(PQgetvalue(answer.get(), row, column),
                                                         PQgetlength(answer.get(), row, column)));
        }
    }
    return result;
}

} // namespace tabrivel::testing
