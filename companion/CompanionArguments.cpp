#include "CompanionArguments.h"

#include "OptionSuggestion.h"
#include "TableArguments.h"
#include "TableJobs.h"
#include "fs/NativePath.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>

namespace tabrivel {
namespace {

const char* const kDescription =
    "Converts dBase/FoxPro tables (.dbf, with their memo files) into SQL statements:\n"
    "a CREATE TABLE statement per table, then one INSERT INTO statement per record,\n"
    "exactly as the Tabrivel window writes them, as UTF-8, each followed by CR LF.\n"
    "The options from --dialect on shape the script for one database, or load the\n"
    "tables straight into an SQLite database (--sqlite).\n"
    "\n"
    "A damaged table is converted as far as it can be read; each loss is reported on\n"
    "standard error as a warning.\n"
    "\n"
    "Exit status: 0 when every value of every table arrived, 1 when any table failed\n"
    "or lost values (reported on standard error, the others still converted), 2 for a\n"
    "usage error.";

const char* const kEpilogue =
    "\nNumbers and dates take the form of the current locale (LC_ALL, LANG) unless\n"
    "--iso or --types is given.\n"
    "\n"
    "Examples:\n"
    "  tabrivel-convert --dialect postgresql --names --types --null --copy *.dbf | psql mydb\n"
    "  tabrivel-convert --names --types --null --sqlite my.db *.dbf\n";

struct OptionEntry {
    QStringList names;
    const char* help;
    const char* valueName; // nullptr for a flag
};

const OptionEntry kOptions[] = {
    {{"table-name"}, "Table-name option (default Table1): tables are named T_base.", "T"},
    {{"delimiter"},
     "Character(s) around table and column names (default ', or the dialect's quote); "
     "( [ { < are closed by ) ] } >, anything else by itself.",
     "D"},
    {{"no-semicolon"}, "Do not end each statement with ;.", nullptr},
    {{"insert-only"}, "No CREATE TABLE statements.", nullptr},
    {{"extension"},
     "With a folder: its tables are the files ending in .EXT (default dbf; * for every file), "
     "in every folder below it.",
     "EXT"},
    {{"deleted"},
     "Deliver deleted records too, each with one more column, _deleted, true for a deleted "
     "record.",
     nullptr},
    {{"strict"},
     "Refuse a table that would lose anything (a memo value, records cut off, text read by "
     "a guess) instead of converting what can be read.",
     nullptr},
    {{"encoding"}, "Read text in this code page instead of the table's own (cp866, ...).", "NAME"},
    {{"o", "output"}, "Write to FILE instead of standard output (- is standard output).", "FILE"},
    {{"dialect"}, "Write for this database: sqlite, postgresql, mysql or sqlserver.", "NAME"},
    {{"transaction"}, "Wrap each table in a transaction.", nullptr},
    {{"batch"}, "N rows per INSERT statement (sqlserver: at most 1000).", "N"},
    {{"null"}, "Write NULL for a null value instead of ''.", nullptr},
    {{"names"}, "Use the table's own field names, and its base name as the table name.", nullptr},
    {{"types"},
     "Typed columns, with values in the forms those types take (implies --iso).",
     nullptr},
    {{"trim"}, "Remove trailing blanks of character values.", nullptr},
    {{"iso"}, "Numbers and dates as 1234.5 and 2024-03-05, whatever the locale.", nullptr},
    {{"copy"}, "PostgreSQL's COPY ... FROM stdin form (implies --dialect postgresql).", nullptr},
    {{"to"},
     "The whole loading form for this database (sqlite, postgresql, mysql or sqlserver): its "
     "dialect, --names, --types, --null, --trim, one transaction per table, and its fastest "
     "form (COPY for postgresql, INSERTs of 500 rows elsewhere; --batch N for INSERTs).",
     "NAME"},
    {{"keep-case"},
     "Keep the names' case (with --names, PostgreSQL otherwise gets them in lower case, as it "
     "folds names a query does not quote).",
     nullptr},
    {{"no-trim"}, "Keep trailing blanks of character values (under --to).", nullptr},
    {{"table"}, "Name the table NAME (one table only).", "NAME"},
    {{"schema"}, "Put every table into schema S (created if missing where the database can).", "S"},
    {{"replace"}, "Drop a table of the same name and create it again.", nullptr},
    {{"append"}, "Load into the existing table: no CREATE TABLE.", nullptr},
    {{"schema-only"}, "Only the CREATE TABLE statements, no rows.", nullptr},
    {{"sqlite"}, "Write the tables straight into the SQLite database FILE.", "FILE"},
    {{"busy-timeout"},
     "With --sqlite: wait up to MS milliseconds for a database another program holds "
     "(default 5000).",
     "MS"},
    {{"postgresql"},
     "Load the tables straight into PostgreSQL (a libpq connection string or URI), in the "
     "--to postgresql form, through COPY.",
     "CONNINFO"},
    {{"verify"},
     "With --sqlite or --postgresql: read every loaded row back and compare each cell with "
     "the table.",
     nullptr},
    {{"j", "jobs"},
     "Convert N tables at once (default: one per core, at most 64); the script is the same "
     "as with --jobs 1. --sqlite loads one table at a time.",
     "N"},
    {{"progress"}, "Show progress on standard error (the default when it is a terminal).", nullptr},
    {{"no-progress"}, "Show no progress.", nullptr},
    {{"h", "help"}, "Show this text.", nullptr},
    {{"version"}, "Show the version.", nullptr},
};

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    // -j4 and -oout.sql as well as -j 4 and -o out.sql.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionEntry& entry : kOptions) {
        QCommandLineOption option(entry.names, QString::fromUtf8(entry.help));
        if (entry.valueName)
            option.setValueName(QString::fromUtf8(entry.valueName));
        parser.addOption(option);
    }
    parser.addPositionalArgument(
        "TABLE",
        "The tables to convert, in this order: a folder stands for every table in it "
        "and below it, - for one table read from standard input.",
        "TABLE...");
}

bool TakeDialect(const QString& name, LoadOptions& load) {
    const QString lower = name.toLower();
    if (lower == "sqlite")
        load.dialect = Dialect::Sqlite;
    else if (lower == "postgresql" || lower == "postgres")
        load.dialect = Dialect::PostgreSql;
    else if (lower == "mysql" || lower == "mariadb")
        load.dialect = Dialect::MySql;
    else if (lower == "sqlserver")
        load.dialect = Dialect::SqlServer;
    else
        return false;
    return true;
}

// Options that are text (names, code pages, the parser's own messages) are valid UTF-8.
std::string Text(const QString& text) {
    return ReadableUtf8(text);
}

// Files are named by the very bytes they were given: a name need not be UTF-8.
std::string FileName(const QString& text) {
    return EncodeNativeName(text).toStdString();
}

// --to: the loading form of one database; the finer options may still be given beside it.
std::string TakeLoadingForm(const QCommandLineParser& parser, LoadOptions& load) {
    const bool direct = parser.isSet("postgresql");
    if (!parser.isSet("to") && !direct)
        return {};
    LoadOptions form;
    if (direct)
        form.dialect = Dialect::PostgreSql;
    if (parser.isSet("to") && !TakeDialect(parser.value("to"), form))
        return "unknown database " + Text(parser.value("to")) +
               " for --to (sqlite, postgresql, mysql or sqlserver)";
    if (direct && form.dialect != Dialect::PostgreSql)
        return "--postgresql loads PostgreSQL: no other --to with it";
    if (parser.isSet("dialect")) {
        LoadOptions named;
        TakeDialect(parser.value("dialect"), named);
        if (named.dialect != form.dialect)
            return "--to and --dialect name different databases";
    }
    load.dialect = form.dialect;
    load.names = load.types = load.nulls = load.transaction = load.stopOnError = true;
    load.trim = !parser.isSet("no-trim");
    if (parser.isSet("batch"))
        return {};
    if (load.dialect == Dialect::PostgreSql)
        load.copy = true;
    else
        load.batch = 500;
    return {};
}

// What a load does about tables that exist, and how names are shaped.
std::string TakeTableChoices(const QCommandLineParser& parser, LoadOptions& load) {
    if (parser.isSet("append") && (parser.isSet("replace") || parser.isSet("schema-only")))
        return "--append loads rows into the table as it is: no --replace or --schema-only "
               "with it";
    if (parser.isSet("replace"))
        load.existing = ExistingTable::Replace;
    if (parser.isSet("append"))
        load.existing = ExistingTable::Append;
    load.rows = !parser.isSet("schema-only");
    load.table = Text(parser.value("table"));
    load.schema = Text(parser.value("schema"));
    if (parser.isSet("table") && load.table.empty())
        return "--table needs a name";
    if (parser.isSet("schema") && load.schema.empty())
        return "--schema needs a name";
    if (!load.schema.empty() && load.dialect == Dialect::Sqlite)
        return "SQLite has no schemas to create tables in: no --schema with it";
    load.tableNameGiven = parser.isSet("table-name");
    load.foldCase = load.names && load.dialect == Dialect::PostgreSql && !parser.isSet("keep-case");
    return {};
}

// The options that shape the script; an error text, empty when they fit together.
std::string TakeLoadOptions(const QCommandLineParser& parser, LoadOptions& load) {
    if (parser.isSet("dialect") && !TakeDialect(parser.value("dialect"), load))
        return "unknown dialect " + Text(parser.value("dialect")) +
               " (sqlite, postgresql, mysql or sqlserver)";
    load.delimiterGiven = parser.isSet("delimiter");
    load.transaction = parser.isSet("transaction");
    load.nulls = parser.isSet("null");
    load.names = parser.isSet("names");
    load.types = parser.isSet("types");
    load.trim = parser.isSet("trim");
    load.iso = parser.isSet("iso");
    load.copy = parser.isSet("copy");
    if (std::string error = TakeLoadingForm(parser, load); !error.empty())
        return error;
    if (load.copy) {
        if (parser.isSet("dialect") && load.dialect != Dialect::PostgreSql)
            return "--copy is PostgreSQL's form: it needs --dialect postgresql";
        load.dialect = Dialect::PostgreSql;
    }
    if (parser.isSet("batch")) {
        bool number = false;
        load.batch = parser.value("batch").toInt(&number);
        if (!number || load.batch < 1)
            return "--batch needs a whole number of at least 1";
        if (load.copy)
            return "--batch has no meaning with --copy";
        if (load.dialect == Dialect::SqlServer && load.batch > 1000)
            return "SQL Server takes at most 1000 rows in one INSERT: --batch 1000 or less";
    }
    return TakeTableChoices(parser, load);
}

// Where the tables go: a script, an SQLite database or a PostgreSQL one.
std::string TakeDatabase(const QCommandLineParser& parser, CompanionArguments& out) {
    out.postgresql = Text(parser.value("postgresql"));
    out.verify = parser.isSet("verify");
    if (parser.isSet("busy-timeout")) {
        bool number = false;
        out.busyTimeoutMs = parser.value("busy-timeout").toInt(&number);
        if (!number || out.busyTimeoutMs < 0)
            return "--busy-timeout needs a whole number of milliseconds";
        if (out.sqliteFile.empty())
            return "--busy-timeout only applies to --sqlite";
    }
    if (out.verify && !out.toDatabase())
        return "--verify reads the tables back from a database: it needs --sqlite or "
               "--postgresql";
    if (parser.isSet("postgresql")) {
        if (out.postgresql.empty())
            return "--postgresql needs a connection string (for example dbname=mydb)";
        if (!out.outputFile.empty() || parser.isSet("copy") || !out.options.createTable)
            return "--postgresql creates the tables in a database: no --copy, --output or "
                   "--insert-only with it";
        out.load.copy = false; // the rows go through libpq's COPY, not a script's
        out.load.batch = 1;
    }
    if (out.load.existing == ExistingTable::Append)
        out.options.createTable = false;
    if (!out.load.table.empty() && out.tables.size() > 1)
        return "--table names one table; " + std::to_string(out.tables.size()) + " were given";
    return {};
}

const OptionEntry* EntryNamed(std::string_view name) {
    for (const OptionEntry& entry : kOptions)
        for (const QString& entryName : entry.names)
            if (entryName.toStdString() == name)
                return &entry;
    return nullptr;
}

std::vector<std::string> OptionNames() {
    std::vector<std::string> names;
    for (const OptionEntry& entry : kOptions)
        for (const QString& name : entry.names)
            names.push_back(name.toStdString());
    return names;
}

// What the user probably meant by the first word that is no option, as a sentence; empty
// without a fair guess. A value after its option is skipped, and "--" ends the options.
std::string Suggestion(std::span<const std::string> words) {
    for (std::size_t i = 0; i < words.size() && words[i] != "--"; ++i) {
        const std::string& word = words[i];
        if (!word.starts_with('-') || word == "-")
            continue;
        const bool isLong = word.starts_with("--");
        const std::string name = isLong ? word.substr(2, word.find('=') - 2) : word.substr(1, 1);
        if (const OptionEntry* entry = EntryNamed(name)) {
            const bool valueApart = isLong ? word.find('=') == std::string::npos : word.size() == 2;
            i += entry->valueName && valueApart ? 1 : 0;
            continue;
        }
        const std::string meant = SuggestedOption(word, OptionNames());
        return meant.empty() ? std::string() : " Did you mean " + meant + "?";
    }
    return {};
}

// An --encoding that no table could be read in is the user's slip, found before any table
// is opened rather than once for each of them.
std::string CheckEncoding(const std::string& encoding) {
    if (encoding.empty())
        return {};
    const std::string problem = EncodingProblem(encoding);
    return problem.empty() ? std::string() : "\"" + encoding + "\" " + problem + " (--encoding)";
}

std::string TakeArguments(const QCommandLineParser& parser, CompanionArguments& out) {
    out.strict = parser.isSet("strict");
    out.help = parser.isSet("help");
    out.version = parser.isSet("version");
    if (parser.isSet("table-name"))
        out.options.tableName = Text(parser.value("table-name"));
    if (parser.isSet("delimiter"))
        out.options.delimiter = Text(parser.value("delimiter"));
    out.options.semicolon = !parser.isSet("no-semicolon");
    out.options.createTable = !parser.isSet("insert-only");
    out.options.open.encoding = Text(parser.value("encoding"));
    out.options.open.deleted = parser.isSet("deleted");
    out.outputFile = FileName(parser.value("output"));
    out.sqliteFile = FileName(parser.value("sqlite"));
    if (parser.isSet("progress"))
        out.progress = ProgressMode::Always;
    if (parser.isSet("no-progress"))
        out.progress = ProgressMode::Never;
    for (const QString& table : parser.positionalArguments())
        out.tables.push_back(FileName(table));
    if (out.help || out.version)
        return {};
    if (std::string error = CheckEncoding(out.options.open.encoding); !error.empty())
        return error;
    if (std::string error = TakeLoadOptions(parser, out.load); !error.empty())
        return error;
    out.options.open.containerNames = out.load.names;
    out.jobs = DefaultJobs();
    if (parser.isSet("jobs")) {
        bool number = false;
        out.jobs = parser.value("jobs").toInt(&number);
        if (!number || out.jobs < 1)
            return "--jobs needs a whole number of at least 1";
    }
    if (!out.sqliteFile.empty() && parser.isSet("postgresql"))
        return "--sqlite and --postgresql: one database at a time";
    if (!out.sqliteFile.empty()) {
        if (out.load.copy || !out.outputFile.empty() || !out.options.createTable)
            return "--sqlite creates the tables in a database: no --copy, --output or "
                   "--insert-only with it";
        if ((parser.isSet("dialect") || parser.isSet("to")) && out.load.dialect != Dialect::Sqlite)
            return "--sqlite writes for SQLite: no other --dialect or --to with it";
        out.load.dialect = Dialect::Sqlite;
    }
    if (out.tables.empty())
        return "no table given";
    if (std::ranges::count(out.tables, "-") > 1)
        return "- reads one table from standard input: it was given twice";
    const std::string extension =
        parser.isSet("extension") ? Text(parser.value("extension")) : "dbf";
    if (std::string error = ExpandFolders(out.tables, extension); !error.empty())
        return error;
    return TakeDatabase(parser, out);
}

} // namespace

ParsedArguments ParseCompanionArguments(std::span<const std::string> arguments) {
    QCommandLineParser parser;
    AddOptions(parser);
    QStringList words{"tabrivel-convert"};
    // Every word is taken apart as text that keeps each byte, so that a table's name
    // comes back out of the parser as the bytes that name it.
    for (const std::string& argument : arguments)
        words << DecodeNativeName(argument);
    ParsedArguments parsed;
    if (!parser.parse(words)) {
        parsed.error = Text(parser.errorText()) + Suggestion(arguments);
        return parsed;
    }
    parsed.error = TakeArguments(parser, parsed.arguments);
    return parsed;
}

std::string CompanionUsage() {
    QCommandLineParser parser;
    AddOptions(parser);
    QString text = parser.helpText();
    // The parser names the program after the running executable, or not at all without
    // an application object.
    const qsizetype options = text.indexOf(" [options]");
    if (text.startsWith("Usage: ") && options > 0)
        text.replace(7, options + 10 - 7, "tabrivel-convert [OPTION]...");
    return text.toStdString() + kEpilogue;
}

} // namespace tabrivel
