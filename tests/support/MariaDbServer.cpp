#include "MariaDbServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

namespace tabrivel::testing {
namespace {

constexpr const char* kDatabase = "loaded";

bool IsBinaryType(const QString& type) {
    return type.endsWith("blob") || type.endsWith("binary");
}

std::string FromHex(const QString& hex) {
    return QByteArray::fromHex(hex.toLatin1()).toStdString();
}

QString HexOf(const std::string& bytes) {
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex().toUpper());
}

// A name between backticks, whatever it holds.
QString QuotedName(const std::string& name) {
    return "`" + QString::fromUtf8(name).replace("`", "``") + "`";
}

} // namespace

MariaDbServer::MariaDbServer() : folder_(dir_.path()) {
    if (!QFile::exists("/usr/sbin/mariadbd")) {
        failure_ = "MariaDB's server is not installed (Debian: mariadb-server)";
        return;
    }
    if (!folder_.handOver()) {
        failure_ = "cannot hand the server's folder to the user nobody";
        return;
    }
    const QString data = dir_.filePath("data");
    QString output;
    if (!folder_.run("mariadb-install-db",
                     {"--no-defaults", "--datadir=" + data,
                      "--auth-root-authentication-method=normal", "--skip-test-db"},
                     output)) {
        failure_ = "mariadb-install-db failed: " + output;
        return;
    }
    const QStringList server{"/usr/sbin/mariadbd",
                             "--no-defaults",
                             "--datadir=" + data,
                             "--socket=" + dir_.filePath("socket"),
                             "--pid-file=" + dir_.filePath("pid"),
                             "--log-error=" + dir_.filePath("log"),
                             "--skip-networking",
                             "--character-set-server=utf8mb4",
                             "--collation-server=utf8mb4_bin",
                             "--innodb-flush-log-at-trx-commit=0",
                             "--innodb-doublewrite=0",
                             "--innodb-flush-method=nosync",
                             "--innodb-file-per-table=0"};
    folder_.startDetached(server);
    started_ = true;
    folder_.watchForOurEnd("mariadb-admin --no-defaults --socket=" + dir_.filePath("socket") +
                           " -u root shutdown");
    const QDeadlineTimer deadline(60000);
    bool ok = false;
    while (!ok && !deadline.hasExpired()) {
        QThread::msleep(200);
        client({"-e", "SELECT 1"}, {}, ok);
    }
    if (!ok) {
        failure_ = "mariadbd did not start";
        return;
    }
    failure_ = emptyDatabase();
}

QString MariaDbServer::emptyDatabase() const {
    return execute(QString("DROP DATABASE IF EXISTS %1; CREATE DATABASE %1 CHARACTER SET utf8mb4 "
                           "COLLATE utf8mb4_bin")
                       .arg(kDatabase));
}

MariaDbServer::~MariaDbServer() {
    if (!started_)
        return;
    QProcess::execute("mariadb-admin", {"--no-defaults", "--socket=" + dir_.filePath("socket"),
                                        "-u", "root", "shutdown"});
}

QString MariaDbServer::client(const QStringList& arguments, const QString& inputFile,
                              bool& ok) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    if (!inputFile.isEmpty())
        process.setStandardInputFile(inputFile);
    process.start("mariadb", connectionArguments() + arguments);
    ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    return ok ? output : "mariadb failed: " + errors + output;
}

QStringList MariaDbServer::connectionArguments() const {
    return {"--no-defaults", "--socket=" + dir_.filePath("socket"), "-u", "root",
            "--default-character-set=utf8mb4"};
}

QString MariaDbServer::runScript(const QString& scriptFile) const {
    bool ok = false;
    const QString output = client({kDatabase}, scriptFile, ok);
    return ok ? QString() : output;
}

QString MariaDbServer::execute(const QString& sql) const {
    bool ok = false;
    const QString output = client({"-e", sql}, {}, ok);
    return ok ? QString() : output;
}

MariaDbServer::Rows MariaDbServer::tableRows(const std::string& table) const {
    return tableRows(kDatabase, table);
}

ClientRun MariaDbServer::pipeScript(const QString& database, const QString& scriptFile,
                                    const QString& workingFolder,
                                    const QStringList& clientOptions) const {
    return PipeScriptInto("mariadb", connectionArguments() + clientOptions + QStringList{database},
                          scriptFile, workingFolder);
}

std::vector<QStringList> MariaDbServer::hexLines(const QString& database, const QString& sql,
                                                 std::string& error) const {
    bool ok = false;
    QStringList arguments{"--batch", "--skip-column-names", "-e", sql};
    if (!database.isEmpty())
        arguments.prepend(database);
    const QString answer = client(arguments, {}, ok);
    std::vector<QStringList> lines;
    if (!ok) {
        error = answer.toStdString();
        return lines;
    }
    for (const QString& line : answer.split('\n', Qt::SkipEmptyParts))
        lines.push_back(line.split('\t'));
    return lines;
}

std::vector<std::string> MariaDbServer::tableNames(const std::string& database,
                                                   std::string& error) const {
    std::vector<std::string> names;
    const auto lines = hexLines({},
                                QString("SELECT HEX(TABLE_NAME) FROM information_schema.TABLES "
                                        "WHERE HEX(TABLE_SCHEMA) = '%1' ORDER BY TABLE_NAME")
                                    .arg(HexOf(database)),
                                error);
    for (const QStringList& line : lines)
        names.push_back(FromHex(line.value(0)));
    return names;
}

std::vector<QStringList> MariaDbServer::columnLines(const std::string& database,
                                                    const std::string& table,
                                                    std::string& error) const {
    return hexLines({},
                    QString("SELECT HEX(COLUMN_NAME), DATA_TYPE FROM information_schema.COLUMNS "
                            "WHERE HEX(TABLE_SCHEMA) = '%1' AND HEX(TABLE_NAME) = '%2' "
                            "ORDER BY ORDINAL_POSITION")
                        .arg(HexOf(database), HexOf(table)),
                    error);
}

// Each value through HEX(), so that no tab, line break or backslash in it can be taken
// for the client's own separators; blobs stay in hexadecimal.
MariaDbServer::Rows MariaDbServer::tableRows(const std::string& database,
                                             const std::string& table) const {
    Rows result;
    QStringList select;
    QList<bool> binary;
    for (const QStringList& column : columnLines(database, table, result.error)) {
        binary << IsBinaryType(column.value(1));
        result.columns.push_back(FromHex(column.value(0)));
        const QString name = QuotedName(result.columns.back());
        select << (binary.back() ? QString("HEX(%1)") : QString("HEX(CAST(%1 AS CHAR))")).arg(name);
    }
    if (!result.error.empty() || select.isEmpty()) {
        result.error = "no table " + table + ": " + result.error;
        return result;
    }
    const auto lines =
        hexLines(QString::fromStdString(database),
                 "SELECT " + select.join(',') + " FROM " + QuotedName(table), result.error);
    for (const QStringList& cells : lines) {
        result.rows.emplace_back();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (cells[i] == "NULL")
                result.rows.back().push_back(std::nullopt);
            else
                result.rows.back().push_back(binary.value(i) ? cells[i].toLower().toStdString()
                                                             : FromHex(cells[i]));
        }
    }
    return result;
}

} // namespace tabrivel::testing
