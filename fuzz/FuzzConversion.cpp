#include "FuzzConversion.h"

#include "ValueChecks.h"

#include "engine/SqlText.h"
#include "engine/TableConversion.h"
#include "engine/TableError.h"
#include "engine/TableSource.h"
#include "engine/ValueText.h"

#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tabrivel::fuzz {
namespace {

void WriteFile(const fs::path& path, std::string_view bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        std::abort();
    std::fclose(file);
}

const ValueFormat& FormatFor(bool locale) {
    static const ValueFormat plain;
    static const ValueFormat german =
        ValueFormat::fromLocale(QLocale(QLocale::German, QLocale::Germany));
    return locale ? german : plain;
}

// Every value has its promised form; every statement is UTF-8, carries one value per
// field and never a NUL character.
void Check(bool holds) {
    if (!holds)
        std::abort();
}

// Through the conversion every caller drives, with the options changing from statement
// to statement as a window's may.
void ConvertAll(const fs::path& table, const ValueFormat& format) {
    TableConversion conversion(table, "t", {});
    const int fields = conversion.fieldCount();
    const StatementForm forms[] = {{"T", "[", "]", true}, {"T", "'", "'", false}};
    std::string statement;
    conversion.appendCreateTable(statement, forms[0]);
    Check(statement.find('\0') == std::string::npos);
    for (std::size_t record = 0; conversion.next(); ++record) {
        const auto values = conversion.values();
        Check(values.size() == static_cast<std::size_t>(fields));
        statement.clear();
        conversion.appendInsert(statement, forms[record % 2], format);
        Check(statement.find('\0') == std::string::npos);
        Check(IsUtf8(statement));
        for (const Value& value : values)
            Check(HasPromisedForm(value));
    }
    // Every loss names what is wrong and, when it counts values, where the first was.
    for (const TableWarning& warning : conversion.warnings()) {
        Check(!warning.message().empty() && IsUtf8(warning.message()));
        Check(warning.count == 0 || !warning.lost.empty());
    }
}

} // namespace

Workspace::Workspace() {
    const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
    std::string pattern = (base / "tabrivel-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    folder_ = pattern;
    table_ = folder_ / "t.dbf";
    codePage_ = folder_ / "t.cpg";
}

Workspace::~Workspace() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

const fs::path& Workspace::write(const FuzzInput& input) {
    if (!memo_.empty())
        fs::remove(memo_);
    memo_.clear();
    WriteFile(table_, input.table);
    if (input.codePageFile.empty())
        fs::remove(codePage_);
    else
        WriteFile(codePage_, input.codePageFile);
    if (!input.memoExtension.empty()) {
        memo_ = folder_ / ("t" + input.memoExtension);
        WriteFile(memo_, input.memo);
    }
    return table_;
}

void ConvertAndCheck(const fs::path& table, bool localeFormat) {
    try {
        ConvertAll(table, FormatFor(localeFormat));
    } catch (const TableError&) {
        // A clear refusal is what broken input deserves.
    }
}

} // namespace tabrivel::fuzz
