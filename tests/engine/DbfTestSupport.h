#pragma once

// Small helpers shared by the DBF reader tests.
#include "TableReading.h"
#include "engine/TableError.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <optional>

namespace tabrivel::testing {

// Visual FoxPro's "may be null" field flag.
inline constexpr std::uint8_t kNullable = 0x02;

inline QByteArray ToQt(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string FromQt(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline std::filesystem::path PathIn(const QTemporaryDir& dir, const char* name) {
    return std::filesystem::path(dir.path().toStdString()) / name;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The code of the TableError that opening and reading the whole table raises.
inline std::optional<TableErrorCode> ErrorOf(const std::filesystem::path& table,
                                             const TableOpenOptions& options = {}) {
    try {
        ReadAllRecords(table, options);
    } catch (const TableError& error) {
        return error.code();
    }
    return std::nullopt;
}

inline std::vector<std::string> Column(const std::vector<OwnedRecord>& records, std::size_t field) {
    std::vector<std::string> texts;
    for (const auto& record : records)
        texts.push_back(record.at(field).text);
    return texts;
}

} // namespace tabrivel::testing

Q_DECLARE_METATYPE(tabrivel::TableErrorCode)
