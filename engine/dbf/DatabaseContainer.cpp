#include "engine/dbf/DatabaseContainer.h"

#include "engine/TableError.h"
#include "engine/dbf/DbfTable.h"
#include "engine/dbf/MemoFormats.h"
#include "engine/dbf/SiblingFile.h"

#include <algorithm>
#include <optional>

namespace tabrivel::dbf {
namespace {

std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A character field's text without the blanks that pad it.
std::string Trimmed(std::string_view text) {
    const std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

std::string LastPart(const std::string& link) {
    const std::size_t at = link.find_last_of("\\/:");
    return at == std::string::npos ? link : link.substr(at + 1);
}

// Where a container's objects table keeps what the names need.
struct ObjectColumns {
    std::optional<std::size_t> id, parent, type, name;

    explicit ObjectColumns(std::span<const FieldDescription> fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::string field = Lowered(fields[i].name);
            for (auto [wanted, column] : {std::pair{"objectid", &id},
                                          {"parentid", &parent},
                                          {"objecttype", &type},
                                          {"objectname", &name}})
                if (field == wanted)
                    *column = i;
        }
    }
    bool complete() const { return id && parent && type && name; }
};

// The names of the fields whose parent is the table object named `table`, in the
// container's order, which is the order the fields were made in.
std::optional<std::vector<std::string>> FieldNamesOf(TableSource& container,
                                                     const std::string& table) {
    const ObjectColumns columns(container.fields());
    if (!columns.complete())
        return std::nullopt;
    std::optional<std::string> tableId;
    std::vector<std::pair<std::string, std::string>> fields; // parent, name
    while (container.next()) {
        const auto values = container.values();
        const std::string type = Lowered(Trimmed(values[*columns.type].text));
        const std::string name = Trimmed(values[*columns.name].text);
        if (type == "table" && Lowered(name) == table)
            tableId = std::string(values[*columns.id].text);
        else if (type == "field")
            fields.emplace_back(values[*columns.parent].text, name);
    }
    std::vector<std::string> names;
    for (const auto& [parent, name] : fields)
        if (tableId && parent == *tableId)
            names.push_back(name);
    return names;
}

std::unique_ptr<MemoFile> NoMemo(const std::filesystem::path&, const TableLayout&) {
    return std::make_unique<NoMemoFile>(); // the names are no memo values
}

} // namespace

ContainerNames ReadContainerNames(const std::filesystem::path& table, const std::string& link,
                                  std::size_t fieldCount) {
    const std::string file = LastPart(link);
    const std::string container = "its database container " + file;
    const auto found = FindFileBeside(table, file);
    if (!found)
        return {{}, container + " is not beside it"};
    const std::string tableName = Lowered(Utf8Of(table.stem()));
    try {
        DbfTable objects(*found, {}, NoMemo);
        const auto names = FieldNamesOf(objects, tableName);
        if (!names)
            return {{}, container + " holds no objects table"};
        if (names->empty())
            return {{}, container + " names no table " + tableName};
        if (names->size() != fieldCount)
            return {{},
                    container + " names " + std::to_string(names->size()) +
                        " fields for the table " + tableName + ", which has " +
                        std::to_string(fieldCount)};
        return {*names, {}};
    } catch (const TableError& error) {
        return {{}, container + " cannot be read: " + error.what()};
    }
}

} // namespace tabrivel::dbf
