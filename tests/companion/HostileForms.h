#pragma once

#include "companion/LoadOptions.h"

#include <string>
#include <vector>

namespace tabrivel::testing {

// The database clients a script is piped into; MariaDB's with each character set its
// client may be set to.
enum class Client { Sqlite3, Psql, MariaDb, MariaDbGbk, MariaDbUtf8mb3, MariaDbLatin1 };

const char* ClientLabel(Client client);

// The database behind a client, which decides how names are folded and cut.
enum class Database { Sqlite, PostgreSql, MariaDb };

Database DatabaseOf(Client client);

// One way of writing a script: the window's text with a delimiter, or a dialect with
// some of its options.
struct ScriptForm {
    std::string label;              // names a test row
    std::vector<std::string> words; // the companion's options
    LoadOptions load;               // what they ask for, for the expected cells
    std::string opening;            // the identifier quotes the statements use
    std::string closing;
    std::vector<Client> meantFor;    // the clients it is written for
    std::vector<Client> alsoPipedTo; // the clients it is tried on for safety alone

    bool windowForm() const { return load.dialect == Dialect::Window; }
    // Names between quotes whose closing character inside is doubled; any other name
    // is written with nothing but letters, digits and '_'.
    bool enclosesNames() const;
    bool isMeantFor(Client client) const;
    // Values by MySQL's rules, which escape what standard literals cannot carry.
    bool writesMySqlLiterals() const {
        return load.dialect == Dialect::MySql || (windowForm() && opening == "`");
    }
};

std::vector<ScriptForm> HostileForms();

} // namespace tabrivel::testing
