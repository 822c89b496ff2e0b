// libFuzzer entry: one input is a table and its memo file (see FuzzInput.h). The
// reader opens it, every record is read and every statement built, exactly as a
// conversion would. A TableError is a fine outcome; anything else that escapes, or a
// statement that breaks the rules below, is a finding.
#include "FuzzInput.h"
#include "ValueChecks.h"

#include "SqlText.h"
#include "TableError.h"
#include "TableSource.h"
#include "ValueText.h"

#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// One folder per fuzzing process, holding nothing but this input's files, so the
// reader's case-insensitive sibling search finds only what the input put there.
class Workspace {
public:
    Workspace() {
        const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
        std::string pattern = (base / "tabrivel-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        folder_ = pattern;
        table_ = folder_ / "t.dbf";
        codePage_ = folder_ / "t.cpg";
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    const fs::path& write(const tabrivel::fuzz::FuzzInput& input) {
        if (!memo_.empty())
            fs::remove(memo_);
        memo_.clear();
        writeFile(table_, input.table);
        if (input.codePageFile.empty())
            fs::remove(codePage_);
        else
            writeFile(codePage_, input.codePageFile);
        if (!input.memoExtension.empty()) {
            memo_ = folder_ / ("t" + input.memoExtension);
            writeFile(memo_, input.memo);
        }
        return table_;
    }

private:
    static void writeFile(const fs::path& path, std::string_view bytes) {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            std::abort();
        std::fclose(file);
    }

    fs::path folder_;
    fs::path table_;
    fs::path codePage_;
    fs::path memo_;
};

const tabrivel::ValueFormat& FormatFor(bool locale) {
    static const tabrivel::ValueFormat plain;
    static const tabrivel::ValueFormat german =
        tabrivel::ValueFormat::fromLocale(QLocale(QLocale::German, QLocale::Germany));
    return locale ? german : plain;
}

// Every value has its promised form; every statement is UTF-8, carries one value per
// field and never a NUL character.
void Check(bool holds) {
    if (!holds)
        std::abort();
}

void ConvertAll(const fs::path& table, const tabrivel::ValueFormat& format) {
    using namespace tabrivel;
    const auto source = OpenTable(table);
    const int fields = source->fieldCount();
    std::string statement = CreateTableStatement("[", "]", "T", "t", fields, true);
    Check(statement.find('\0') == std::string::npos);
    const std::string name = QualifiedTableName("[", "]", "T", "t");
    while (source->next()) {
        const auto values = source->values();
        Check(values.size() == static_cast<std::size_t>(fields));
        statement.clear();
        AppendInsertStatement(statement, name, values, true, format);
        Check(statement.find('\0') == std::string::npos);
        Check(tabrivel::fuzz::IsUtf8(statement));
        for (const Value& value : values)
            Check(tabrivel::fuzz::HasPromisedForm(value));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace workspace;
    const auto input = tabrivel::fuzz::SplitInput(data, size);
    const auto& table = workspace.write(input);
    try {
        ConvertAll(table, FormatFor(input.localeFormat));
    } catch (const tabrivel::TableError&) {
        // A clear refusal is what broken input deserves.
    }
    return 0;
}
