// The floor `--sqlite` is measured against: the same typed rows put into SQLite with
// one prepared statement in one transaction, and nothing else. It maps the table (and
// its .fpt memo), binds each field as ours does (text trimmed and turned into UTF-8,
// numbers as their text for the column's numeric affinity, dates and times in ISO form,
// logicals as 0 or 1, blanks as NULL) and steps the statement once per record.
//
//   tabrivel-sqlite-floor DATABASE TABLE [MEMO]
#include "FloorTable.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace tabrivel::bench;

std::string ColumnType(const Field& field) {
    switch (field.type) {
    case 'C':
        return "varchar(" + std::to_string(field.width) + ")";
    case 'N':
        return "numeric";
    case 'Y':
        return "numeric(19,4)";
    case 'I':
        return "integer";
    case 'D':
        return "date";
    case 'T':
        return "timestamp";
    case 'L':
        return "boolean";
    default:
        return "text";
    }
}

// One field's bound value lives here until the row is stepped.
class Binder {
public:
    Binder(sqlite3_stmt* statement, const FloorTable& table)
        : statement_(statement), table_(table), utf8_(Cp1252ToUtf8(false)),
          buffers_(table.fields.size()) {}

    void bindRecord(const unsigned char* record) {
        for (std::size_t f = 0; f < table_.fields.size(); ++f)
            bind(static_cast<int>(f + 1), table_.fields[f], record + table_.fields[f].offset,
                 buffers_[f]);
    }

private:
    void bindText(int index, std::string& buffer, const unsigned char* bytes, std::size_t length) {
        buffer.resize(3 * length + 4);
        char* end = CopyText(buffer.data(), bytes, length, utf8_);
        sqlite3_bind_text(statement_, index, buffer.data(), static_cast<int>(end - buffer.data()),
                          SQLITE_STATIC);
    }
    void bindAscii(int index, const char* text, std::size_t length) {
        sqlite3_bind_text(statement_, index, text, static_cast<int>(length), SQLITE_STATIC);
    }

    void bind(int index, const Field& field, const unsigned char* at, std::string& buffer) {
        std::size_t length = field.width;
        switch (field.type) {
        case 'C':
            while (length > 0 && at[length - 1] == ' ')
                --length;
            return bindText(index, buffer, at, length);
        case 'N': {
            std::size_t first = 0;
            while (first < length && at[first] == ' ')
                ++first;
            while (length > first && at[length - 1] == ' ')
                --length;
            if (first == length)
                break;
            return bindAscii(index, reinterpret_cast<const char*>(at) + first, length - first);
        }
        case 'D':
            if (at[0] == ' ')
                break;
            buffer.assign(reinterpret_cast<const char*>(at), 4);
            buffer.append("-").append(reinterpret_cast<const char*>(at) + 4, 2);
            buffer.append("-").append(reinterpret_cast<const char*>(at) + 6, 2);
            return bindAscii(index, buffer.data(), buffer.size());
        case 'L':
            if (at[0] == 'T' || at[0] == 'F')
                return static_cast<void>(sqlite3_bind_int(statement_, index, at[0] == 'T'));
            break;
        case 'I':
            return static_cast<void>(
                sqlite3_bind_int64(statement_, index, static_cast<std::int32_t>(Little(at, 4))));
        case 'Y':
            return bindCurrency(index, at, buffer);
        case 'T':
            return bindTimestamp(index, Little(at, 4), Little(at + 4, 4), buffer);
        case 'M': {
            const unsigned char* text = nullptr;
            const std::size_t size = table_.memoText(at, text);
            return bindText(index, buffer, text, size);
        }
        default:
            return bindText(index, buffer, at, length);
        }
        sqlite3_bind_null(statement_, index);
    }

    void bindCurrency(int index, const unsigned char* at, std::string& buffer) {
        std::int64_t value;
        std::memcpy(&value, at, 8);
        char text[32];
        const char* sign = value < 0 ? "-" : "";
        const std::uint64_t magnitude =
            value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        const int length = std::snprintf(text, sizeof text, "%s%llu.%04llu", sign,
                                         static_cast<unsigned long long>(magnitude / 10000),
                                         static_cast<unsigned long long>(magnitude % 10000));
        buffer.assign(text, static_cast<std::size_t>(length));
        bindAscii(index, buffer.data(), buffer.size());
    }

    // A Julian day and milliseconds as yyyy-MM-dd HH:mm:ss (Hinnant's civil_from_days).
    void bindTimestamp(int index, std::uint32_t julian, std::uint32_t ms, std::string& buffer) {
        if (julian == 0)
            return static_cast<void>(sqlite3_bind_null(statement_, index));
        const std::int64_t z = std::int64_t{julian} - 2440588 + 719468;
        const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
        const auto doe = static_cast<unsigned>(z - era * 146097);
        const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const unsigned mp = (5 * doy + 2) / 153;
        const unsigned day = doy - (153 * mp + 2) / 5 + 1;
        const unsigned month = mp < 10 ? mp + 3 : mp - 9;
        const auto year = static_cast<long long>(yoe + era * 400 + (month <= 2));
        const unsigned seconds = ms / 1000;
        char text[40];
        const int length =
            std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02u:%02u:%02u", year, month, day,
                          seconds / 3600, seconds / 60 % 60, seconds % 60);
        buffer.assign(text, static_cast<std::size_t>(length));
        bindAscii(index, buffer.data(), buffer.size());
    }

    sqlite3_stmt* statement_;
    const FloorTable& table_;
    Utf8Table utf8_;
    std::vector<std::string> buffers_;
};

bool Execute(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const FloorTable table = OpenFloorTable(argv[2], argc > 3 ? argv[3] : nullptr);
    sqlite3* db = nullptr;
    if (table.records == 0 || sqlite3_open(argv[1], &db) != SQLITE_OK)
        return 1;
    std::string create = "CREATE TABLE floor (";
    std::string insert = "INSERT INTO floor VALUES (";
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
        create += (f ? ",f" : "f") + std::to_string(f) + " " + ColumnType(table.fields[f]);
        insert += f ? ",?" : "?";
    }
    sqlite3_stmt* statement = nullptr;
    if (!Execute(db, "BEGIN") || !Execute(db, create + ")") ||
        sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return 1;
    Binder binder(statement, table);
    bool stepped = true;
    ForEachLiveRecord(table, [&](const unsigned char* record) {
        binder.bindRecord(record);
        stepped = stepped && sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
    });
    if (!stepped)
        return 1;
    sqlite3_finalize(statement);
    const bool committed = Execute(db, "COMMIT");
    sqlite3_close(db);
    return committed ? 0 : 1;
}
