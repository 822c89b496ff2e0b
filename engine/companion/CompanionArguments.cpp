#include "CompanionArguments.h"

namespace tabrivel {

const char* const kCompanionUsage =
    "Usage: tabrivel-convert [OPTION]... TABLE...\n"
    "Converts dBase/FoxPro tables (.dbf, with their memo files) into SQL statements:\n"
    "a CREATE TABLE statement per table, then one INSERT INTO statement per record,\n"
    "exactly as the Tabrivel window writes them. Statements are written as UTF-8,\n"
    "each followed by CR LF, in the order of the tables given.\n"
    "\n"
    "  --table-name T    table-name option (default Table1); tables are named T_base\n"
    "  --delimiter D     character(s) around table and column names (default ');\n"
    "                    ( [ { < are closed by ) ] } >, anything else by itself\n"
    "  --no-semicolon    do not end each statement with ;\n"
    "  --insert-only     no CREATE TABLE statements\n"
    "  --encoding NAME   read text in this code page instead of the table's own\n"
    "                    (cp1252, cp866, UTF-8, ...)\n"
    "  -o FILE           write to FILE instead of standard output\n"
    "  --strict          refuse a table that would lose anything (a memo, records\n"
    "                    cut off, text read by a guess) instead of converting the rest\n"
    "  --help            show this text\n"
    "\n"
    "Numbers and dates take the form of the current locale (LC_ALL, LANG).\n"
    "A damaged table is converted as far as it can be read; each loss is reported on\n"
    "standard error as a warning.\n"
    "Exit status: 0 when every value of every table arrived, 1 when any table failed\n"
    "or lost values (reported on standard error, the others still converted), 2 for a\n"
    "usage error.\n";

namespace {

// Options that take a value; each names the field it fills.
bool TakeValueOption(const std::string& name, const std::string& value, CompanionArguments& out) {
    if (name == "--table-name")
        out.options.tableName = value;
    else if (name == "--delimiter")
        out.options.delimiter = value;
    else if (name == "--encoding")
        out.options.open.encoding = value;
    else if (name == "-o")
        out.outputFile = value;
    else
        return false;
    return true;
}

bool TakeFlag(const std::string& name, CompanionArguments& out) {
    if (name == "--no-semicolon")
        out.options.semicolon = false;
    else if (name == "--insert-only")
        out.options.createTable = false;
    else if (name == "--strict")
        out.strict = true;
    else if (name == "--help" || name == "-h")
        out.help = true;
    else
        return false;
    return true;
}

} // namespace

ParsedArguments ParseCompanionArguments(std::span<const std::string> arguments) {
    ParsedArguments parsed;
    CompanionArguments& out = parsed.arguments;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            out.tables.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (TakeFlag(argument, out)) {
        } else if (i + 1 < arguments.size() && TakeValueOption(argument, arguments[i + 1], out)) {
            ++i;
        } else if (TakeValueOption(argument, {}, out)) {
            parsed.error = "option " + argument + " needs a value";
            return parsed;
        } else {
            parsed.error = "unknown option " + argument;
            return parsed;
        }
    }
    if (!out.help && out.tables.empty())
        parsed.error = "no table given";
    return parsed;
}

} // namespace tabrivel
