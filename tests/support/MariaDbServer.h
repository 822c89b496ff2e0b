#pragma once

#include "ClientRun.h"
#include "ServerFolder.h"

#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <string>
#include <vector>

namespace tabrivel::testing {

// A throw-away MariaDB server: mariadb-install-db into a temporary folder, mariadbd on
// a private Unix socket there (no TCP), stopped and removed again by the destructor.
// Everything goes through the mariadb client, as a user's script would.
class MariaDbServer {
public:
    MariaDbServer();
    ~MariaDbServer();
    MariaDbServer(const MariaDbServer&) = delete;
    MariaDbServer& operator=(const MariaDbServer&) = delete;

    // Empty when the server runs; otherwise what went wrong.
    const QString& failure() const { return failure_; }

    // Drops and creates the database the scripts run in; the error text, empty on success.
    QString emptyDatabase() const;

    // Runs a script (or one statement given as `-e` text) in that database;
    // the client's messages, empty when every statement ran.
    QString runScript(const QString& scriptFile) const;
    QString execute(const QString& sql) const;

    // Every row of a table, each cell in its text form (blobs in hexadecimal); nullopt
    // for NULL. Empty with `error` set when the table cannot be read.
    struct Rows {
        std::string error;
        std::vector<std::vector<std::optional<std::string>>> rows;
        std::vector<std::string> columns; // their names, in their order
    };
    Rows tableRows(const std::string& table) const;
    // The same for a table of any name in any database.
    Rows tableRows(const std::string& database, const std::string& table) const;

    // Pipes a script into the client in `database` from `workingFolder`; `clientOptions`
    // come after the usual ones and override them (--default-character-set=gbk, ...).
    ClientRun pipeScript(const QString& database, const QString& scriptFile,
                         const QString& workingFolder, const QStringList& clientOptions) const;

    // The names of a database's tables; empty with `error` set when they cannot be read.
    std::vector<std::string> tableNames(const std::string& database, std::string& error) const;

    // Each row of a query's answer in `database` (none: no default database), its cells
    // split. The query must ask for every cell through HEX(), so that no tab or line
    // break inside a name or value can split it.
    std::vector<QStringList> hexLines(const QString& database, const QString& sql,
                                      std::string& error) const;

private:
    QString client(const QStringList& arguments, const QString& inputFile, bool& ok) const;
    QStringList connectionArguments() const;
    // A table's columns, each as its name in hexadecimal and its type.
    std::vector<QStringList> columnLines(const std::string& database, const std::string& table,
                                         std::string& error) const;

    QTemporaryDir dir_;
    ServerFolder folder_;
    QString failure_;
    bool started_ = false;
};

} // namespace tabrivel::testing
