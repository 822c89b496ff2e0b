#include "Companion.h"

#include "PathText.h"
#include "TableError.h"

#include <QLocale>
#include <QString>

#include <cerrno>
#include <cstring>
#include <memory>

namespace tabrivel {
namespace {

// Gathers statements into large writes: one fwrite per statement costs more than
// building the statement.
class StatementWriter {
public:
    explicit StatementWriter(std::FILE* file) : file_(file) { buffer_.reserve(kFlushAt + 4096); }
    ~StatementWriter() { flush(); }

    void write(std::string_view statement) {
        if (statement.size() >= kFlushAt) {
            // A statement with a long memo goes out as it is, not copied into the buffer.
            flush();
            writeOut(statement);
            writeOut("\r\n");
            return;
        }
        buffer_ += statement;
        buffer_ += "\r\n";
        if (buffer_.size() >= kFlushAt)
            flush();
    }

    // False once any write failed.
    bool flush() {
        writeOut(buffer_);
        buffer_.clear();
        return !failed_ && std::fflush(file_) == 0;
    }

private:
    void writeOut(std::string_view bytes) {
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            failed_ = true;
    }

    static constexpr std::size_t kFlushAt = 1 << 20;
    std::FILE* file_;
    std::string buffer_;
    bool failed_ = false;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void PrintWarnings(const std::vector<TableWarning>& warnings, const std::string& table,
                   const char* kind, std::FILE* errors) {
    for (const auto& warning : warnings)
        std::fprintf(errors, "tabrivel-convert: %s: %s: %s\n", table.c_str(), kind,
                     warning.message().c_str());
}

// Under --strict a table that would lose anything is refused before any of its
// statements is written: a first pass finds the losses, so memory stays bounded.
bool RefusedAsLossy(const std::string& table, const CompanionArguments& arguments,
                    std::FILE* errors) {
    if (!arguments.strict)
        return false;
    const auto warnings = CheckTable(std::filesystem::path(table), arguments.options.open);
    PrintWarnings(warnings, table, "refused", errors);
    return !warnings.empty();
}

// True when every value of the table arrived.
bool ConvertInto(StatementWriter& writer, const std::string& table,
                 const CompanionArguments& arguments, const ValueFormat& format,
                 std::FILE* errors) {
    try {
        if (RefusedAsLossy(table, arguments, errors))
            return false;
        const auto warnings = ConvertTable(
            std::filesystem::path(table), TableBaseName(table), arguments.options, format,
            [&writer](std::string_view statement) { writer.write(statement); });
        PrintWarnings(warnings, table, "warning", errors);
        return warnings.empty();
    } catch (const TableError& e) {
        std::fprintf(errors, "tabrivel-convert: %s: %s\n", table.c_str(), e.what());
    } catch (const std::exception& e) {
        std::fprintf(errors, "tabrivel-convert: %s: %s\n", table.c_str(), e.what());
    }
    return false;
}

} // namespace

std::string TableBaseName(const std::string& path) {
    return PathWithoutExtension(FileNameOfPath(QString::fromLocal8Bit(path))).toStdString();
}

int RunCompanion(const CompanionArguments& arguments, const ValueFormat& format, std::FILE* out,
                 std::FILE* errors) {
    std::unique_ptr<std::FILE, FileCloser> file;
    if (!arguments.outputFile.empty()) {
        file.reset(std::fopen(arguments.outputFile.c_str(), "wb"));
        if (!file) {
            std::fprintf(errors, "tabrivel-convert: cannot write %s: %s\n",
                         arguments.outputFile.c_str(), std::strerror(errno));
            return 1;
        }
        out = file.get();
    }
    StatementWriter writer(out);
    bool allConverted = true;
    for (const std::string& table : arguments.tables)
        allConverted = ConvertInto(writer, table, arguments, format, errors) && allConverted;
    if (!writer.flush()) {
        std::fprintf(errors, "tabrivel-convert: writing the statements failed: %s\n",
                     std::strerror(errno));
        return 1;
    }
    return allConverted ? 0 : 1;
}

int CompanionMain(std::span<const std::string> arguments, std::FILE* out, std::FILE* errors) {
    const ParsedArguments parsed = ParseCompanionArguments(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(errors, "tabrivel-convert: %s\nTry 'tabrivel-convert --help'.\n",
                     parsed.error.c_str());
        return 2;
    }
    if (parsed.arguments.help) {
        std::fputs(kCompanionUsage, out);
        return 0;
    }
    return RunCompanion(parsed.arguments, ValueFormat::fromLocale(QLocale::system()), out, errors);
}

} // namespace tabrivel
