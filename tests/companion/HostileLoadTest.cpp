// Scripts made from hostile tables, piped into the real clients as a user would: the
// sqlite3 shell, psql into a throw-away PostgreSQL and the mariadb client (with several
// character sets) into a throw-away MariaDB. Whatever the form and whatever the client,
// no value or name may end its quotes early and run SQL or a client command; where the
// form is written for the client, every name and every cell must land as the reader
// read it.
#include "ClientRun.h"
#include "CompanionRunner.h"
#include "HostileCorpus.h"
#include "HostileForms.h"
#include "LandedNames.h"
#include "LoadClients.h"
#include "LoadedCells.h"
#include "MariaDbServer.h"
#include "PostgresCluster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

using namespace tabrivel;
using namespace tabrivel::testing;

Q_DECLARE_METATYPE(tabrivel::testing::Client)

namespace {

constexpr const char* kSetNamesMySql = "SET NAMES utf8mb4;";
constexpr const char* kSetNamesPostgres = "SET client_encoding TO 'UTF8';";

struct Converted {
    QString scriptFile;
    CompanionResult result;
};

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : ", ") + name;
    return out;
}

// What a client did beyond the statements: anything that appeared in its folder.
std::string FilesMadeIn(const QString& folder) {
    const QStringList made = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot);
    return made.isEmpty() ? std::string() : "the client made " + made.join(", ").toStdString();
}

// A message shows every byte: a NUL would end it, a line break would hide what follows.
std::string Visible(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Every line of the reports is a warning, and there is one.
bool OnlyWarnings(const std::string& errors) {
    const QStringList lines = QString::fromStdString(errors).split('\n', Qt::SkipEmptyParts);
    return !lines.isEmpty() && std::all_of(lines.begin(), lines.end(), [](const QString& line) {
        return line.contains(": warning: ");
    });
}

// A script from its first line that is not one of psql's own commands.
std::string WithoutPsqlCommands(const std::string& script) {
    std::size_t at = 0;
    while (at < script.size() && script[at] == '\\') {
        const std::size_t end = script.find('\n', at);
        at = end == std::string::npos ? script.size() : end + 1;
    }
    return script.substr(at);
}

// psql reports PostgreSQL cutting a name to 63 bytes, which only the window's text
// leaves to it; any other message is a failure.
QString UnexpectedMessages(const ClientRun& run, const ScriptForm& form, Client client) {
    if (client != Client::Psql || !form.windowForm())
        return run.errors;
    QStringList left;
    for (const QString& line : run.errors.split('\n', Qt::SkipEmptyParts))
        if (!(line.startsWith("NOTICE:  identifier") && line.contains("will be truncated")))
            left << line;
    return left.join('\n');
}

// The sqlite3 shell reads a script line by line and drops the CR of a CR LF even inside
// a literal. The window's text writes a CR as it is, so through the shell a CR LF in a
// value arrives as LF: known and reported, not the writer's to change while the
// window's text stays what it is. The dialect forms must still keep it.
void AsTheShellReadsIt(std::vector<std::vector<ExpectedCell>>& rows) {
    for (auto& row : rows)
        for (ExpectedCell& cell : row)
            if (cell.kind == ExpectedCell::Kind::Exact)
                for (std::size_t at; (at = cell.text.find("\r\n")) != std::string::npos;)
                    cell.text.erase(at, 1);
}

// MySQL's literals escape a NUL, so text written for it keeps every character the
// reader read; standard literals have no way to carry one and leave it out.
void WithTheirNuls(std::vector<std::vector<ExpectedCell>>& rows,
                   const std::vector<OwnedRecord>& records) {
    for (std::size_t row = 0; row < rows.size() && row < records.size(); ++row)
        for (std::size_t column = 0; column < rows[row].size(); ++column)
            if (records[row][column].type == ValueType::Text &&
                rows[row][column].kind == ExpectedCell::Kind::Exact)
                rows[row][column].text = records[row][column].text;
}

std::vector<std::string> FieldNames(const std::filesystem::path& table) {
    std::vector<std::string> names;
    const auto source = OpenTable(table);
    for (const FieldDescription& field : source->fields())
        names.push_back(field.name);
    return names;
}

} // namespace

class HostileLoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        tables_ = WriteHostileCorpus(corpus_.path().toStdString());
        forms_ = HostileForms();
        cluster_ = std::make_unique<PostgresCluster>();
        QVERIFY2(cluster_->failure().isEmpty(), qPrintable(cluster_->failure()));
        mariadb_ = std::make_unique<MariaDbServer>();
        QVERIFY2(mariadb_->failure().isEmpty(), qPrintable(mariadb_->failure()));
        clients_[Client::Sqlite3] = MakeSqlite3Client(databases_.path());
        clients_[Client::Psql] = MakePsqlClient(*cluster_);
        for (Client client :
             {Client::MariaDb, Client::MariaDbGbk, Client::MariaDbUtf8mb3, Client::MariaDbLatin1})
            clients_[client] = MakeMariaDbClient(*mariadb_, MariaDbOptions(client));
    }
    void cleanupTestCase() {
        clients_.clear();
        mariadb_.reset();
        cluster_.reset();
        // Qt names files by text and cannot remove one whose name is not UTF-8.
        std::error_code ignored;
        std::filesystem::remove_all(corpus_.path().toStdString(), ignored);
    }

    // Every table converts in every form. Only a name too long for the dialect (which
    // does not fail the run) and a NUL the literals cannot carry are reported; dialect
    // scripts first say which character set they are in.
    void everyTableConverts_data() {
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("form");
        for (std::size_t t = 0; t < tables_.size(); ++t)
            for (std::size_t f = 0; f < forms_.size(); ++f)
                QTest::addRow("%s | %s", tables_[t].label.c_str(), forms_[f].label.c_str())
                    << int(t) << int(f);
    }
    void everyTableConverts() {
        QFETCH(int, table);
        QFETCH(int, form);
        const Converted& converted = convert(table, form);
        const ScriptForm& shape = forms_[form];
        const std::string& errors = converted.result.errors;
        // A NUL is a value lost where the literals cannot carry it, and only there.
        const bool losesNul = tables_[table].holdsNul && !shape.writesMySqlLiterals();
        QVERIFY2(converted.result.status == (losesNul ? 1 : 0), errors.c_str());
        if (losesNul || (tables_[table].longName && DialectNameLimit(shape) > 0))
            QVERIFY2(OnlyWarnings(errors), ("not a warning: " + errors).c_str());
        else
            QVERIFY2(errors.empty(), errors.c_str());

        const std::string& script = converted.result.script;
        const std::string head = Visible(script.substr(0, 80));
        if (shape.load.dialect == Dialect::MySql)
            QVERIFY2(script.starts_with(kSetNamesMySql), head.c_str());
        // psql's own settings may come first; no SQL does.
        if (shape.load.dialect == Dialect::PostgreSql)
            QVERIFY2(WithoutPsqlCommands(script).starts_with(kSetNamesPostgres), head.c_str());
        if (shape.windowForm())
            QVERIFY2(script.starts_with("CREATE TABLE "), head.c_str());
    }

    void loadsSafelyAndExactly_data() {
        QTest::addColumn<int>("table");
        QTest::addColumn<int>("form");
        QTest::addColumn<Client>("client");
        for (std::size_t t = 0; t < tables_.size(); ++t)
            for (std::size_t f = 0; f < forms_.size(); ++f)
                for (const auto& clients : {forms_[f].meantFor, forms_[f].alsoPipedTo})
                    for (Client client : clients)
                        if (triedOn(tables_[t], forms_[f], client))
                            QTest::addRow("%s | %s | %s", tables_[t].label.c_str(),
                                          forms_[f].label.c_str(), ClientLabel(client))
                                << int(t) << int(f) << client;
    }
    void loadsSafelyAndExactly() {
        QFETCH(int, table);
        QFETCH(int, form);
        QFETCH(Client, client);
        LoadClient& loader = *clients_.at(client);
        const std::string prepared = loader.prepare();
        QVERIFY2(prepared.empty(), prepared.c_str());
        const Converted& converted = convert(table, form);
        QVERIFY2(QFile::exists(converted.scriptFile),
                 ("no script to load: " + converted.result.errors).c_str());
        QTemporaryDir working;
        const ClientRun run = loader.pipe(converted.scriptFile, working.path());
        const std::string ran = "; " + run.describe().toStdString();

        const std::string commandRan = FilesMadeIn(working.path());
        QVERIFY2(commandRan.empty(), (commandRan + ran).c_str());
        const LoadClient::Aftermath after = loader.aftermath();
        QVERIFY2(after.victimDamage.empty(), (after.victimDamage + ran).c_str());
        if (!meantFor(tables_[table], forms_[form], client))
            return;

        const QString messages = UnexpectedMessages(run, forms_[form], client);
        QVERIFY2(run.succeeded() && messages.isEmpty(), qPrintable(run.describe()));
        QVERIFY2(after.tables.size() == 1,
                 ("tables: " + Visible(Joined(after.tables)) + after.error).c_str());
        checkLanded(loader, after.tables.front(), table, form, client);
    }

    // A database that cannot hold a character refuses the script rather than storing
    // something else: the script says it is UTF-8, so PostgreSQL converts and fails.
    void latin1DatabaseRefusesWhatItCannotHold() {
        QVERIFY(makeLatin1Database());
        const std::filesystem::path table = extras_.filePath("euro.dbf").toStdString();
        WriteOneValueTable(table, "5 € and 😀");
        const ClientRun run = pipeIntoLatin1(table);
        QVERIFY2(!run.succeeded(), "psql loaded characters LATIN1 does not have");
        QVERIFY2(run.errors.contains("has no equivalent in encoding"), qPrintable(run.describe()));
        const auto stored =
            cluster_->query("l1", "SET client_encoding TO 'UTF8'; SELECT * FROM \"Table1_euro\"");
        if (!stored.rows.empty())
            QFAIL(("stored: " + Visible(stored.rows.front().front().value_or("NULL"))).c_str());
    }
    void latin1DatabaseTakesWhatItCan() {
        QVERIFY(makeLatin1Database());
        const std::filesystem::path table = extras_.filePath("latin.dbf").toStdString();
        WriteOneValueTable(table, "café 'crème' \\ ÿ");
        const ClientRun run = pipeIntoLatin1(table);
        QVERIFY2(run.succeeded() && run.errors.isEmpty(), qPrintable(run.describe()));
        const auto stored =
            cluster_->query("l1", "SET client_encoding TO 'UTF8'; SELECT * FROM \"Table1_latin\"");
        LoadOptions load;
        load.dialect = Dialect::PostgreSql;
        const std::string mismatch = FirstMismatch(stored.rows, ExpectedLoad(table, load));
        QVERIFY2(mismatch.empty(), (stored.error + mismatch).c_str());
    }

    // A client set to a character set without four-byte characters still loads them:
    // the script names its own.
    void utf8mb3ClientKeepsFourByteCharacters() {
        const std::filesystem::path table = extras_.filePath("emoji.dbf").toStdString();
        WriteOneValueTable(table, "😀 𝄞 漢");
        QTemporaryDir work;
        const CompanionResult result =
            RunCompanionInto(work.path(), {"--dialect", "mysql", table.string()});
        QVERIFY2(result.status == 0, result.errors.c_str());
        LoadClient& loader = *clients_.at(Client::MariaDbUtf8mb3);
        QVERIFY(loader.prepare().empty());
        QTemporaryDir working;
        const ClientRun run = loader.pipe(work.filePath("out.sql"), working.path());
        QVERIFY2(run.succeeded() && run.errors.isEmpty(), qPrintable(run.describe()));
        LoadOptions load;
        load.dialect = Dialect::MySql;
        const auto stored = loader.read("Table1_emoji");
        const std::string mismatch = FirstMismatch(stored.rows, ExpectedLoad(table, load));
        QVERIFY2(mismatch.empty(), Visible(stored.error + mismatch).c_str());
    }

    // Two names that differ only after what the database takes land as two tables, each
    // with its own rows, and each shortening is reported without failing the run.
    void longNamesSharingTheirBeginningLandApart_data() {
        QTest::addColumn<QString>("dialect");
        QTest::addColumn<Client>("client");
        QTest::addRow("sqlite") << "sqlite" << Client::Sqlite3;
        QTest::addRow("postgresql") << "postgresql" << Client::Psql;
        QTest::addRow("mysql") << "mysql" << Client::MariaDb;
    }
    void longNamesSharingTheirBeginningLandApart() {
        QFETCH(QString, dialect);
        QFETCH(Client, client);
        const std::string shared = "long_" + std::string(65, 'n');
        const std::vector<std::string> suffixes = {"_first", "_second"};
        std::vector<std::string> arguments = {"--dialect", dialect.toStdString()};
        for (const std::string& suffix : suffixes) {
            const std::string path =
                extras_.filePath(QString::fromStdString(shared + suffix + ".dbf")).toStdString();
            WriteOneValueTable(path, suffix.substr(1));
            arguments.push_back(path);
        }
        QTemporaryDir work;
        const CompanionResult result = RunCompanionInto(work.path(), arguments);
        QVERIFY2(result.status == 0, result.errors.c_str());
        const bool shortened = client != Client::Sqlite3;
        QCOMPARE(QString::fromStdString(result.errors).count(": warning: "), shortened ? 2 : 0);

        LoadClient& loader = *clients_.at(client);
        QVERIFY(loader.prepare().empty());
        QTemporaryDir working;
        const ClientRun run = loader.pipe(work.filePath("out.sql"), working.path());
        QVERIFY2(run.succeeded() && run.errors.isEmpty(), qPrintable(run.describe()));
        const LoadClient::Aftermath after = loader.aftermath();
        QVERIFY2(after.tables.size() == 2,
                 ("tables: " + Joined(after.tables) + after.error).c_str());
        std::set<std::string> values;
        for (const std::string& name : after.tables) {
            const auto stored = loader.read(name);
            const auto& rows = stored.rows;
            QVERIFY2(rows.size() == 1 && rows[0].size() == 1 && rows[0][0],
                     (name + stored.error).c_str());
            values.insert(*rows[0][0]);
        }
        QCOMPARE(values, (std::set<std::string>{"first", "second"}));
    }

private:
    // Whether the form promises the client the table's names and cells exactly.
    // Standard literals are not MySQL's: hostile values in them go only to the clients
    // they are written for, while hostile names go through every form into every client.
    static bool triedOn(const HostileTable& table, const ScriptForm& form, Client client) {
        return form.isMeantFor(client) || !table.hostileValues || form.writesMySqlLiterals() ||
               DatabaseOf(client) != Database::MariaDb;
    }

    static bool meantFor(const HostileTable& table, const ScriptForm& form, Client client) {
        if (!form.isMeantFor(client))
            return false;
        // SQLite takes [...] names but not SQL Server's ]] for a ] inside one.
        if (client == Client::Sqlite3 && form.opening == "[" &&
            table.fileName.find(']') != std::string::npos)
            return false;
        // The window's text names no character set: its values say theirs, but a GBK
        // client reads a name's UTF-8 as GBK. It must still end every name where it should.
        if (client == Client::MariaDbGbk && form.windowForm() && !table.asciiName)
            return false;
        // Nor does it shorten names, and MariaDB refuses one over 64 characters.
        if (table.longName && form.windowForm() && DatabaseOf(client) == Database::MariaDb)
            return false;
        return true;
    }

    const Converted& convert(int table, int form) {
        auto& converted = converted_[{table, form}];
        if (!converted.scriptFile.isEmpty())
            return converted;
        const QString folder = scripts_.filePath(QString("t%1-f%2").arg(table).arg(form));
        QDir().mkpath(folder);
        std::vector<std::string> arguments = forms_[form].words;
        arguments.push_back(
            (std::filesystem::path(corpus_.path().toStdString()) / tables_[table].fileName)
                .string());
        converted.result = RunCompanionInto(folder, arguments);
        converted.scriptFile = QDir(folder).filePath("out.sql");
        return converted;
    }

    void checkLanded(LoadClient& loader, const std::string& name, int table, int form,
                     Client client) {
        const HostileTable& hostile = tables_[table];
        const ScriptForm& shape = forms_[form];
        const Database database = DatabaseOf(client);
        const std::string wrongName =
            WrongTableName(name, BaseNameOf(hostile.fileName), shape, database);
        QVERIFY2(wrongName.empty(), Visible(wrongName).c_str());

        const LoadClient::StoredTable stored = loader.read(name);
        const std::filesystem::path path =
            std::filesystem::path(corpus_.path().toStdString()) / hostile.fileName;
        const std::string wrongColumns =
            WrongColumnNames(stored.columns, FieldNames(path), shape, database);
        QVERIFY2(wrongColumns.empty(), Visible(wrongColumns + stored.error).c_str());

        auto expected = ExpectedLoad(path, shape.load);
        if (shape.writesMySqlLiterals())
            WithTheirNuls(expected, ReadAllRecords(path));
        if (client == Client::Sqlite3 && shape.windowForm())
            AsTheShellReadsIt(expected);
        const std::string mismatch = FirstMismatch(stored.rows, expected);
        QVERIFY2(mismatch.empty(), Visible(stored.error + mismatch).c_str());
    }

    bool makeLatin1Database() {
        if (latin1Made_)
            return true;
        const std::string error =
            cluster_->execute("CREATE DATABASE l1 ENCODING 'LATIN1' "
                              "LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
        latin1Made_ = error.empty();
        if (!latin1Made_)
            qWarning("%s", error.c_str());
        return latin1Made_;
    }

    ClientRun pipeIntoLatin1(const std::filesystem::path& table) {
        QTemporaryDir work;
        const CompanionResult result =
            RunCompanionInto(work.path(), {"--dialect", "postgresql", table.string()});
        if (result.status != 0)
            return {true, result.status, {}, QString::fromStdString(result.errors)};
        QTemporaryDir working;
        return cluster_->pipeScript("l1", work.filePath("out.sql"), working.path(),
                                    {"-v", "ON_ERROR_STOP=1"});
    }

    QTemporaryDir corpus_;
    QTemporaryDir scripts_;
    QTemporaryDir databases_;
    QTemporaryDir extras_;
    std::vector<HostileTable> tables_;
    std::vector<ScriptForm> forms_;
    std::map<std::pair<int, int>, Converted> converted_;
    std::unique_ptr<PostgresCluster> cluster_;
    std::unique_ptr<MariaDbServer> mariadb_;
    std::map<Client, std::unique_ptr<LoadClient>> clients_;
    bool latin1Made_ = false;
};

QTEST_GUILESS_MAIN(HostileLoadTest)
#include "HostileLoadTest.moc"
