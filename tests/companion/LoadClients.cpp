#include "LoadClients.h"

#include "MariaDbServer.h"
#include "PostgresCluster.h"
#include "SqliteCells.h"

#include <QDir>

#include <deque>

namespace tabrivel::testing {
namespace {

constexpr int kDatabasesAhead = 40;
constexpr const char* kVictim =
    "CREATE TABLE victim (x text); INSERT INTO victim VALUES ('intact')";

std::string Quoted(const std::string& name, char quote) {
    std::string out(1, quote);
    for (char c : name) {
        out.push_back(c);
        if (c == quote)
            out.push_back(c);
    }
    out.push_back(quote);
    return out;
}

std::string VictimDamage(const std::vector<StoredRow>& rows) {
    if (rows.size() == 1 && rows[0].size() == 1 &&
        rows[0][0] == std::optional<std::string>("intact"))
        return {};
    return "the table victim is gone or changed";
}

// The first column of every row a query gives, with one text parameter bound.
std::vector<std::string> FirstColumn(sqlite3* db, const std::string& sql,
                                     const std::string& parameter, std::string& error) {
    std::vector<std::string> values;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return values;
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    if (sqlite3_bind_parameter_count(raw) > 0)
        sqlite3_bind_text(raw, 1, parameter.data(), static_cast<int>(parameter.size()),
                          SQLITE_TRANSIENT);
    while (sqlite3_step(raw) == SQLITE_ROW)
        values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)),
                            static_cast<std::size_t>(sqlite3_column_bytes(raw, 0)));
    return values;
}

class Sqlite3Client : public LoadClient {
public:
    explicit Sqlite3Client(const QString& folder) : folder_(folder) {}

    std::string prepare() override {
        file_ = QDir(folder_).filePath(QString("load%1.db").arg(++loads_)).toStdString();
        return SqliteDatabase(file_).runScript(kVictim);
    }
    ClientRun pipe(const QString& scriptFile, const QString& workingFolder) override {
        return PipeScriptInto("sqlite3", {QString::fromStdString(file_)}, scriptFile,
                              workingFolder);
    }
    Aftermath aftermath() override {
        Aftermath after;
        after.tables = FirstColumn(SqliteDatabase(file_).get(),
                                   "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                   "name <> 'victim' ORDER BY name",
                                   {}, after.error);
        after.victimDamage = VictimDamage(read("victim").rows);
        return after;
    }
    StoredTable read(const std::string& table) override {
        const SqliteDatabase db(file_);
        StoredTable stored;
        stored.columns = FirstColumn(
            db.get(), "SELECT name FROM pragma_table_info(?1) ORDER BY cid", table, stored.error);
        // An unreadable table shows as a row of its own error text.
        stored.rows = db.typedRows(Quoted(table, '"'));
        return stored;
    }

private:
    QString folder_;
    std::string file_;
    int loads_ = 0;
};

class PsqlClient : public LoadClient {
public:
    explicit PsqlClient(const PostgresCluster& cluster) : cluster_(cluster) {}

    std::string prepare() override {
        return cluster_.execute("SET client_min_messages = warning; DROP SCHEMA public CASCADE; "
                                "CREATE SCHEMA public; " +
                                std::string(kVictim));
    }
    ClientRun pipe(const QString& scriptFile, const QString& workingFolder) override {
        return cluster_.pipeScript("postgres", scriptFile, workingFolder,
                                   {"-v", "ON_ERROR_STOP=1"});
    }
    Aftermath aftermath() override {
        Aftermath after;
        after.tables = firstColumn("SELECT tablename FROM pg_tables WHERE schemaname = 'public' "
                                   "AND tablename <> 'victim' ORDER BY tablename",
                                   after.error);
        const StoredTable victim = read("victim");
        after.victimDamage =
            victim.error.empty() ? VictimDamage(victim.rows) : "victim is gone: " + victim.error;
        return after;
    }
    StoredTable read(const std::string& table) override {
        StoredTable stored;
        stored.columns = firstColumn("SELECT column_name FROM information_schema.columns WHERE "
                                     "table_schema = 'public' AND table_name = " +
                                         Quoted(table, '\'') + " ORDER BY ordinal_position",
                                     stored.error);
        auto result = cluster_.query("SELECT * FROM public." + Quoted(table, '"'));
        stored.rows = std::move(result.rows);
        stored.error += result.error;
        return stored;
    }

private:
    std::vector<std::string> firstColumn(const std::string& sql, std::string& error) const {
        const auto result = cluster_.query(sql);
        error = result.error;
        std::vector<std::string> values;
        for (const auto& row : result.rows)
            values.push_back(row.at(0).value_or(""));
        return values;
    }

    const PostgresCluster& cluster_;
};

class MariaDbClient : public LoadClient {
public:
    MariaDbClient(const MariaDbServer& server, const QStringList& options)
        : server_(server), options_(options) {}

    // Databases are cheap to make and slow to drop: each load gets one of its own, made
    // ahead in batches, since each run of the client costs more than the statements.
    std::string prepare() override {
        static int made = 0;
        static std::deque<std::string> ready;
        if (ready.empty()) {
            QString sql;
            for (int i = 0; i < kDatabasesAhead; ++i) {
                ready.push_back("load" + std::to_string(++made));
                sql += QString("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_bin; "
                               "USE %1; %2; ")
                           .arg(QString::fromStdString(ready.back()), kVictim);
            }
            if (const QString error = server_.execute(sql); !error.isEmpty())
                return error.toStdString();
        }
        database_ = ready.front();
        ready.pop_front();
        return {};
    }
    ClientRun pipe(const QString& scriptFile, const QString& workingFolder) override {
        return server_.pipeScript(QString::fromStdString(database_), scriptFile, workingFolder,
                                  options_);
    }
    // One look, one client run: the loads are many and each run of the client counts.
    Aftermath aftermath() override {
        Aftermath after;
        const QString db = QString::fromStdString(database_);
        const auto lines = server_.hexLines(
            db,
            QString("SELECT 'V', HEX(x) FROM victim UNION ALL SELECT 'T', HEX(TABLE_NAME) FROM "
                    "information_schema.TABLES WHERE TABLE_SCHEMA = '%1' AND TABLE_NAME <> "
                    "'victim'")
                .arg(db),
            after.victimDamage);
        if (!after.victimDamage.empty()) {
            after.victimDamage = "victim is gone: " + after.victimDamage;
            after.tables = server_.tableNames(database_, after.error);
            std::erase(after.tables, "victim");
            return after;
        }
        std::vector<StoredRow> victim;
        for (const QStringList& line : lines) {
            const std::string value = QByteArray::fromHex(line.value(1).toLatin1()).toStdString();
            if (line.value(0) == "V")
                victim.push_back({value});
            else
                after.tables.push_back(value);
        }
        after.victimDamage = VictimDamage(victim);
        return after;
    }
    StoredTable read(const std::string& table) override {
        auto result = server_.tableRows(database_, table);
        return {std::move(result.columns), std::move(result.rows), std::move(result.error)};
    }

private:
    const MariaDbServer& server_;
    QStringList options_;
    std::string database_;
};

} // namespace

std::unique_ptr<LoadClient> MakeSqlite3Client(const QString& folder) {
    return std::make_unique<Sqlite3Client>(folder);
}

std::unique_ptr<LoadClient> MakePsqlClient(const PostgresCluster& cluster) {
    return std::make_unique<PsqlClient>(cluster);
}

std::unique_ptr<LoadClient> MakeMariaDbClient(const MariaDbServer& server,
                                              const QStringList& clientOptions) {
    return std::make_unique<MariaDbClient>(server, clientOptions);
}

QStringList MariaDbOptions(Client client) {
    switch (client) {
    case Client::MariaDbGbk:
        return {"--default-character-set=gbk"};
    case Client::MariaDbUtf8mb3:
        return {"--default-character-set=utf8mb3"};
    case Client::MariaDbLatin1:
        return {"--default-character-set=latin1"};
    case Client::Sqlite3:
    case Client::Psql:
    case Client::MariaDb:
        break;
    }
    return {};
}

} // namespace tabrivel::testing
