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
    process.start("mariadb", QStringList{"--no-defaults", "--socket=" + dir_.filePath("socket"),
                                         "-u", "root", "--default-character-set=utf8mb4"} +
                                 arguments);
    ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    return ok ? output : "mariadb failed: " + errors + output;
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

// Each value through HEX(), so that no tab, line break or backslash in it can be taken
// for the client's own separators; blobs stay in hexadecimal.
MariaDbServer::Rows MariaDbServer::tableRows(const std::string& table) const {
    Rows result;
    bool ok = false;
    const QString columns =
        client({"--batch", "--skip-column-names", "-e",
                QString("SELECT COLUMN_NAME, DATA_TYPE FROM information_schema.COLUMNS WHERE "
                        "TABLE_SCHEMA = '%1' AND TABLE_NAME = '%2' ORDER BY ORDINAL_POSITION")
                    .arg(kDatabase, QString::fromStdString(table))},
               {}, ok);
    QStringList select;
    QList<bool> binary;
    for (const QString& line : columns.split('\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split('\t');
        binary << IsBinaryType(parts.value(1));
        select << (binary.back() ? QString("HEX(`%1`)") : QString("HEX(CAST(`%1` AS CHAR))"))
                      .arg(parts.value(0));
    }
    if (!ok || select.isEmpty()) {
        result.error = ("no table " + QString::fromStdString(table) + ": " + columns).toStdString();
        return result;
    }
    const QString rows =
        client({"--batch", "--skip-column-names", kDatabase, "-e",
                "SELECT " + select.join(',') + " FROM `" + QString::fromStdString(table) + "`"},
               {}, ok);
    if (!ok) {
        result.error = rows.toStdString();
        return result;
    }
    for (const QString& line : rows.split('\n', Qt::SkipEmptyParts)) {
        result.rows.emplace_back();
        const QStringList cells = line.split('\t');
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
