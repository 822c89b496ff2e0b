#include "CompanionRunner.h"

#include "companion/Companion.h"

#include <QDir>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace tabrivel::testing {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CompanionResult RunCompanionInto(const QString& folder, std::vector<std::string> arguments,
                                 const ValueFormat& format) {
    const std::string outPath = QDir(folder).filePath("out.sql").toStdString();
    const std::string errorsPath = QDir(folder).filePath("errors.txt").toStdString();
    // A database target takes no script file.
    const auto named = [&arguments](const char* option) {
        return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
    };
    if (!named("--sqlite") && !named("--postgresql"))
        arguments.insert(arguments.begin(), {"-o", outPath});
    const ParsedArguments parsed = ParseCompanionArguments(arguments);
    if (!parsed.error.empty())
        return {2, {}, parsed.error};
    std::remove(outPath.c_str());
    std::FILE* errors = std::fopen(errorsPath.c_str(), "wb");
    CompanionResult result;
    result.status = RunCompanion(parsed.arguments, format, stdout, errors);
    std::fclose(errors);
    result.script = ReadWholeFile(outPath);
    result.errors = ReadWholeFile(errorsPath);
    return result;
}

} // namespace tabrivel::testing
