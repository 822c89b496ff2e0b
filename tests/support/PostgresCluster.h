#pragma once

#include "ClientRun.h"
#include "ServerFolder.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;

namespace tabrivel::testing {

// A throw-away PostgreSQL cluster: initdb into a temporary folder, started on a private
// Unix socket in that folder (no TCP), stopped and removed again by the destructor. As
// root it runs as the unprivileged user "nobody", as the server insists.
class PostgresCluster {
public:
    PostgresCluster();
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // Empty when the cluster runs; otherwise what went wrong.
    const QString& failure() const { return failure_; }

    // Runs a script through psql, stopping at the first error; psql's messages, empty
    // when every statement ran.
    QString runScript(const QString& scriptFile) const;

    // Pipes a script into psql connected to `database`, from `workingFolder`;
    // `clientOptions` (-v ON_ERROR_STOP=1, ...) come before the connection's own.
    ClientRun pipeScript(const QString& database, const QString& scriptFile,
                         const QString& workingFolder, const QStringList& clientOptions) const;

    // psql's options that reach the cluster: its socket folder, user and database.
    QStringList clientArguments() const;
    // The same as a libpq connection string, for --postgresql.
    std::string conninfo() const;
    // One of the server's programs (psql, pg_ctl, ...).
    QString tool(const QString& name) const;

    // Runs one statement over the connection; the error text, empty on success.
    std::string execute(const std::string& sql) const;

    // Every row of a query, each cell as PostgreSQL's text form; nullopt for NULL.
    struct Result {
        std::string error;
        std::vector<std::vector<std::optional<std::string>>> rows;
    };
    Result query(const std::string& sql) const;
    // The same in another database of the cluster, over a connection of its own.
    Result query(const std::string& database, const std::string& sql) const;

private:
    static Result Ask(pg_conn* connection, const std::string& sql);
    bool run(const QString& program, const QStringList& arguments);

    QTemporaryDir dir_;
    ServerFolder folder_;
    QString binDir_;
    QString failure_;
    bool started_ = false;
    std::unique_ptr<pg_conn, void (*)(pg_conn*)> connection_;
};

} // namespace tabrivel::testing
