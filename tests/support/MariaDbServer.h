#pragma once

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
    };
    Rows tableRows(const std::string& table) const;

private:
    QString client(const QStringList& arguments, const QString& inputFile, bool& ok) const;

    QTemporaryDir dir_;
    ServerFolder folder_;
    QString failure_;
    bool started_ = false;
};

} // namespace tabrivel::testing
