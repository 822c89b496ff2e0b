#include "HostileForms.h"

#include <algorithm>

namespace tabrivel::testing {
namespace {

// Every form is tried on each database through its usual client; the other character
// sets of the mariadb client only matter to the forms written for it.
constexpr Client kEveryClient[] = {Client::Sqlite3, Client::Psql, Client::MariaDb};

ScriptForm WindowForm(const std::string& delimiter, const std::string& closing,
                      std::vector<Client> meantFor) {
    ScriptForm form;
    form.label = "--delimiter '" + delimiter + "'";
    form.words = {"--delimiter=" + delimiter};
    form.load.delimiterGiven = true;
    form.opening = delimiter;
    form.closing = closing;
    form.meantFor = std::move(meantFor);
    return form;
}

ScriptForm DialectForm(Dialect dialect, const char* name, const std::string& quote,
                       const std::vector<std::string>& options) {
    ScriptForm form;
    form.label = "--dialect " + std::string(name);
    form.words = {"--dialect", name};
    form.load.dialect = dialect;
    for (const std::string& option : options) {
        form.label += " " + option;
        form.words.push_back(option);
        form.load.names |= option == "--names";
        form.load.types |= option == "--types";
        form.load.nulls |= option == "--null";
        form.load.transaction |= option == "--transaction";
        form.load.copy |= option == "--copy";
        if (option == "10")
            form.load.batch = 10;
    }
    form.opening = form.closing = quote;
    return form;
}

// Each dialect plain, with everything --names, --types and --null change, and in
// batches inside transactions.
std::vector<ScriptForm> DialectForms(Dialect dialect, const char* name, const std::string& quote,
                                     const std::vector<Client>& meantFor) {
    std::vector<ScriptForm> forms = {
        DialectForm(dialect, name, quote, {}),
        DialectForm(dialect, name, quote, {"--names", "--types", "--null"}),
        DialectForm(dialect, name, quote, {"--transaction", "--batch", "10"}),
    };
    if (dialect == Dialect::PostgreSql)
        forms.push_back(DialectForm(dialect, name, quote, {"--copy"}));
    for (ScriptForm& form : forms)
        form.meantFor = meantFor;
    return forms;
}

} // namespace

const char* ClientLabel(Client client) {
    switch (client) {
    case Client::Sqlite3:
        return "sqlite3";
    case Client::Psql:
        return "psql";
    case Client::MariaDb:
        return "mariadb";
    case Client::MariaDbGbk:
        return "mariadb gbk";
    case Client::MariaDbUtf8mb3:
        return "mariadb utf8mb3";
    case Client::MariaDbLatin1:
        return "mariadb latin1";
    }
    return "?";
}

Database DatabaseOf(Client client) {
    switch (client) {
    case Client::Sqlite3:
        return Database::Sqlite;
    case Client::Psql:
        return Database::PostgreSql;
    case Client::MariaDb:
    case Client::MariaDbGbk:
    case Client::MariaDbUtf8mb3:
    case Client::MariaDbLatin1:
        break;
    }
    return Database::MariaDb;
}

bool ScriptForm::enclosesNames() const {
    return opening == "\"" || opening == "'" || opening == "`" || opening == "[";
}

bool ScriptForm::isMeantFor(Client client) const {
    return std::find(meantFor.begin(), meantFor.end(), client) != meantFor.end();
}

std::vector<ScriptForm> HostileForms() {
    using enum Client;
    std::vector<ScriptForm> forms = {
        WindowForm("\"", "\"", {Sqlite3, Psql}),
        WindowForm("'", "'", {Sqlite3}),
        WindowForm("`", "`", {MariaDb, MariaDbGbk}),
        WindowForm("[", "]", {Sqlite3}),
        WindowForm("", "", {Sqlite3, Psql}),
        WindowForm(";", ";", {}),
        WindowForm("(", ")", {}),
        WindowForm("\"\"", "\"\"", {}),
    };
    for (auto dialect : {DialectForms(Dialect::Sqlite, "sqlite", "\"", {Sqlite3}),
                         DialectForms(Dialect::PostgreSql, "postgresql", "\"", {Psql}),
                         DialectForms(Dialect::MySql, "mysql", "`",
                                      {MariaDb, MariaDbGbk, MariaDbUtf8mb3, MariaDbLatin1})})
        forms.insert(forms.end(), dialect.begin(), dialect.end());
    for (ScriptForm& form : forms)
        for (Client client : kEveryClient)
            if (!form.isMeantFor(client))
                form.alsoPipedTo.push_back(client);
    return forms;
}

} // namespace tabrivel::testing
