#pragma once

#include <QTemporaryDir>

#include <cstdio>
#include <string>

namespace tabrivel {

// A table read from standard input ("-" among the tables), kept in a temporary file while
// the run lasts: the reader maps or seeks in its tables, and a pipe can do neither. The
// file is named stdin.dbf, so the table is named "stdin".
class PipedTable {
public:
    // Copies all of `in`; error() says what went wrong, empty when the copy is whole.
    explicit PipedTable(std::FILE* in);

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

private:
    QTemporaryDir folder_;
    std::string path_;
    std::string error_;
};

} // namespace tabrivel
