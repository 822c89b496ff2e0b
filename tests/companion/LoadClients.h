#pragma once

#include "ClientRun.h"
#include "HostileForms.h"
#include "LoadedCells.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace tabrivel::testing {

class MariaDbServer;
class PostgresCluster;

// A database client that scripts are piped into, one load after another, each into a
// fresh place that holds nothing but the table `victim` with its one row.
class LoadClient {
public:
    virtual ~LoadClient() = default;

    // Makes the fresh place; the error text, empty on success.
    virtual std::string prepare() = 0;
    // Pipes a script into the client, run from `workingFolder`.
    virtual ClientRun pipe(const QString& scriptFile, const QString& workingFolder) = 0;

    // What a load left: the tables beside `victim`, and what became of `victim`.
    struct Aftermath {
        std::vector<std::string> tables;
        std::string victimDamage; // empty when it still holds its one row
        std::string error;        // the place could not be looked at
    };
    virtual Aftermath aftermath() = 0;

    // A table's columns in their order and its rows in the order they were inserted.
    struct StoredTable {
        std::vector<std::string> columns;
        std::vector<StoredRow> rows;
        std::string error; // the table could not be read
    };
    virtual StoredTable read(const std::string& table) = 0;
};

// The sqlite3 shell on a database file of its own for each load.
std::unique_ptr<LoadClient> MakeSqlite3Client(const QString& folder);
// psql with ON_ERROR_STOP into the cluster's database, emptied for each load.
std::unique_ptr<LoadClient> MakePsqlClient(const PostgresCluster& cluster);
// The mariadb client with extra options (its character set), into a database of its
// own for each load.
std::unique_ptr<LoadClient> MakeMariaDbClient(const MariaDbServer& server,
                                              const QStringList& clientOptions);

// The client's options for each kind of mariadb client.
QStringList MariaDbOptions(Client client);

} // namespace tabrivel::testing
