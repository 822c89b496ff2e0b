#include "engine/dbf/TableHeader.h"

#include "engine/TableError.h"
#include "engine/dbf/ByteOrder.h"
#include "engine/dbf/FieldTypes.h"

#include <algorithm>
#include <array>

namespace tabrivel::dbf {
namespace {

constexpr std::uint64_t kMainHeaderSize = 32;
constexpr std::uint64_t kBase7HeaderSize = 68;
constexpr std::uint64_t kBase2HeaderSize = 521; // 8 bytes, 32 descriptors of 16, terminator
constexpr char kTerminator = 0x0D;
constexpr std::uint64_t kBackLinkSize = 263; // Visual FoxPro's, after the descriptors

// Where a family keeps the parts of one field descriptor.
struct DescriptorShape {
    std::uint64_t firstOffset;
    std::uint64_t size;
    std::size_t nameLength;
    std::size_t typeAt;
    std::size_t lengthAt;
    std::size_t decimalsAt;
    int flagsAt; // -1: the family has no field flags
};

DescriptorShape ShapeOf(TableFamily family) {
    switch (family) {
    case TableFamily::DBase2:
        return {8, 16, 11, 11, 12, 15, -1};
    case TableFamily::DBase7:
        return {kBase7HeaderSize, 48, 32, 32, 33, 34, -1};
    case TableFamily::VisualFoxPro:
        return {kMainHeaderSize, 32, 11, 11, 16, 17, 18};
    default:
        return {kMainHeaderSize, 32, 11, 11, 16, 17, -1};
    }
}

[[noreturn]] void Fail(const BinaryFile& file, TableErrorCode code, std::uint64_t offset,
                       const std::string& what) {
    throw TableError(code, file.name(), offset, file.name() + ": " + what);
}

std::string NameOf(const char* bytes, std::size_t length) {
    const auto end = std::find(bytes, bytes + length, '\0');
    return std::string(bytes, end);
}

void ReadMainHeader(BinaryFile& file, TableLayout& layout) {
    std::array<char, kMainHeaderSize> header{};
    file.readAt(0, header.data(), header.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
    if (layout.family == TableFamily::DBase2) {
        layout.recordCount = ReadLittle16(bytes + 1);
        layout.recordLength = ReadLittle16(bytes + 6);
        layout.headerLength = kBase2HeaderSize;
        return;
    }
    layout.recordCount = ReadLittle32(bytes + 4);
    layout.headerLength = ReadLittle16(bytes + 8);
    layout.recordLength = ReadLittle16(bytes + 10);
    layout.languageDriver = bytes[29];
}

void CheckSizes(const BinaryFile& file, const TableLayout& layout, const DescriptorShape& shape) {
    if (layout.recordLength == 0)
        Fail(file, TableErrorCode::NotATable, 10, "the header gives a record length of 0");
    if (layout.headerLength < shape.firstOffset + 1)
        Fail(file, TableErrorCode::NotATable, 8,
             "the header length " + std::to_string(layout.headerLength) + " is too small");
    if (layout.headerLength > file.size())
        Fail(file, TableErrorCode::TruncatedHeader, file.size(),
             "the file ends inside its header (" + std::to_string(file.size()) + " of " +
                 std::to_string(layout.headerLength) + " bytes)");
}

FieldInfo DecodeDescriptor(const char* raw, const DescriptorShape& shape) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw);
    FieldInfo field;
    field.name = NameOf(raw, shape.nameLength);
    field.type = static_cast<FieldType>(raw[shape.typeAt]);
    field.length = bytes[shape.lengthAt];
    field.decimals = bytes[shape.decimalsAt];
    if (shape.flagsAt >= 0)
        field.flags = bytes[shape.flagsAt];
    return field;
}

// Reads descriptors up to the terminator or the end of the header area, whichever
// comes first: a header without a terminator still describes its complete fields.
// `terminatorAt` gets the terminator's offset in the file, 0 when there is none.
std::vector<FieldInfo> ReadDescriptors(BinaryFile& file, const TableLayout& layout,
                                       const DescriptorShape& shape, std::uint64_t& terminatorAt) {
    const std::uint64_t end = layout.headerLength;
    std::vector<char> area(end - shape.firstOffset);
    file.readAt(shape.firstOffset, area.data(), area.size());
    std::vector<FieldInfo> fields;
    terminatorAt = 0;
    for (std::uint64_t at = 0; at < area.size(); at += shape.size) {
        if (area[at] == kTerminator) {
            terminatorAt = shape.firstOffset + at;
            break;
        }
        if (at + shape.size > area.size() || area[at] == '\0')
            break;
        fields.push_back(DecodeDescriptor(area.data() + at, shape));
    }
    return fields;
}

std::uint64_t TotalWidth(const std::vector<FieldInfo>& fields) {
    std::uint64_t total = 1; // the deletion flag
    for (const auto& field : fields)
        total += field.length;
    return total;
}

// Character fields wider than 255 keep the high byte in the decimal count. Only
// trust that when it makes the widths add up to the record length exactly.
void WidenLongCharacterFields(std::vector<FieldInfo>& fields, std::uint32_t recordLength) {
    if (TotalWidth(fields) == recordLength)
        return;
    std::vector<FieldInfo> widened = fields;
    for (auto& field : widened)
        if (field.type == FieldType::Character && field.decimals != 0) {
            field.length += std::uint32_t{field.decimals} << 8;
            field.decimals = 0;
        }
    if (TotalWidth(widened) == recordLength)
        fields = std::move(widened);
}

// Some writers store a record length one short of what their own fields need. When
// the file's size shows records of the fields' width, the fields are right. A file cut
// short shows nothing either way; there the one-short slip is the only reading under
// which its records can be delivered at all, so the complete ones are read that way.
void ReconcileRecordLength(const BinaryFile& file, TableLayout& layout,
                           const std::vector<FieldInfo>& fields) {
    const std::uint64_t width = TotalWidth(fields);
    if (width <= layout.recordLength || width > 0xFFFF)
        return;
    const std::uint64_t records = layout.headerLength + layout.recordCount * width;
    const bool sizeConfirms = file.size() == records || file.size() == records + 1;
    const bool cutShort =
        width == layout.recordLength + 1 &&
        file.size() < layout.headerLength + layout.recordCount * layout.recordLength;
    if (sizeConfirms) {
        layout.recordLength = static_cast<std::uint32_t>(width);
        return;
    }
    if (!cutShort)
        return;
    layout.notes.push_back({TableErrorCode::RecordLength,
                            "the header gives a record length of " +
                                std::to_string(layout.recordLength) + " but the fields need " +
                                std::to_string(width) + ", and the file is cut short; records of " +
                                std::to_string(width) + " bytes were read"});
    layout.recordLength = static_cast<std::uint32_t>(width);
}

void CheckFieldWidths(const BinaryFile& file, const TableLayout& layout,
                      const std::vector<FieldInfo>& fields) {
    for (const auto& field : fields) {
        if (FieldTypeOf(field, layout.family).decoding == FieldDecoding::Refused)
            Fail(file, TableErrorCode::BadFieldDescriptor, 0,
                 "field " + field.name + " of type " + std::string(1, char(field.type)) +
                     " has an impossible width of " + std::to_string(field.length));
    }
    if (TotalWidth(fields) > layout.recordLength)
        Fail(file, TableErrorCode::BadFieldDescriptor, 10,
             "the fields need " + std::to_string(TotalWidth(fields)) +
                 " bytes but a record has only " + std::to_string(layout.recordLength));
}

// Bytes of a record beyond the last field belong to no field: what they hold is
// reported, not guessed at.
void NoteBytesBeyondTheFields(TableLayout& layout, const std::vector<FieldInfo>& fields) {
    const std::uint64_t width = TotalWidth(fields);
    if (width < layout.recordLength)
        layout.notes.push_back({TableErrorCode::RecordLength,
                                "the fields need " + std::to_string(width) +
                                    " bytes of each record of " +
                                    std::to_string(layout.recordLength) +
                                    "; the bytes after the last field belong to no field"});
}

// Whether the records, starting at `start`, fill the file exactly (an end-of-file mark
// aside).
bool RecordsFit(const BinaryFile& file, const TableLayout& layout, std::uint64_t start) {
    const std::uint64_t end = start + layout.recordCount * layout.recordLength;
    return file.size() == end || file.size() == end + 1;
}

// A Visual FoxPro header keeps 263 bytes for its database back-link after the
// descriptors. A header length that leaves no room for it says the records begin where
// they may not: then the records begin where exactly one reading of the header length,
// the descriptors, the back-link, the record length and the file size puts them, or the
// table is refused. Never shifted records.
void ReconcileHeaderLength(const BinaryFile& file, TableLayout& layout,
                           std::uint64_t descriptorsEnd) {
    const std::uint64_t written = layout.headerLength;
    if (written >= descriptorsEnd + kBackLinkSize)
        return;
    std::vector<std::uint64_t> fitting;
    for (const std::uint64_t start : {written, descriptorsEnd, descriptorsEnd + kBackLinkSize})
        if (RecordsFit(file, layout, start) &&
            std::find(fitting.begin(), fitting.end(), start) == fitting.end())
            fitting.push_back(start);
    if (fitting.size() != 1)
        Fail(file, TableErrorCode::NotATable, 8,
             "the header length " + std::to_string(written) +
                 " leaves no room for the back-link, and no one place for the records fits "
                 "the file's size");
    if (fitting.front() == written)
        return;
    layout.headerLength = fitting.front();
    layout.notes.push_back(
        {TableErrorCode::RepairedHeader,
         "the header length " + std::to_string(written) +
             " leaves no room for the back-link; the records were read from offset " +
             std::to_string(layout.headerLength)});
}

// The back-link is the container's path, padded with NULs; a header too short for all
// of it gives what it holds.
std::string ReadContainerLink(BinaryFile& file, const TableLayout& layout,
                              std::uint64_t descriptorsEnd) {
    if (layout.headerLength <= descriptorsEnd)
        return {};
    std::string link(std::min(kBackLinkSize, layout.headerLength - descriptorsEnd), '\0');
    file.readAt(descriptorsEnd, link.data(), link.size());
    return NameOf(link.data(), link.size());
}

bool IsNullFlagsField(const FieldInfo& field) {
    return field.type == FieldType::NullFlags;
}

// Gives every field its offset and moves the hidden _NullFlags field out of the list.
void PlaceFields(TableLayout& layout, std::vector<FieldInfo> fields) {
    std::uint32_t offset = 1;
    for (auto& field : fields) {
        field.offset = offset;
        offset += field.length;
        if (IsNullFlagsField(field) && !layout.hasNullFlags) {
            layout.hasNullFlags = true;
            layout.nullFlags = field;
        }
    }
    std::erase_if(fields, IsNullFlagsField);
    if (layout.hasNullFlags)
        AssignNullFlagBits(fields);
    layout.fields = std::move(fields);
}

} // namespace

std::optional<TableFamily> FamilyOfVersion(std::uint8_t version) {
    switch (version) {
    case 0x02:
        return TableFamily::DBase2;
    case 0x03:
    case 0x83:
        return TableFamily::DBase3;
    case 0x05:
    case 0x43:
    case 0x63:
    case 0x7B:
    case 0x8B:
    case 0xCB:
        return TableFamily::DBase4;
    case 0x04:
    case 0x8C:
        return TableFamily::DBase7;
    case 0xF5:
    case 0xFB:
        return TableFamily::FoxBase;
    case 0x30:
    case 0x31:
    case 0x32:
        return TableFamily::VisualFoxPro;
    case 0xE5:
        return TableFamily::HiPerSix;
    default:
        return std::nullopt;
    }
}

void AssignNullFlagBits(std::vector<FieldInfo>& fields) {
    int bit = 0;
    for (auto& field : fields) {
        if (field.type == FieldType::Varchar || field.type == FieldType::Varbinary)
            field.lengthBit = bit++;
        if (field.flags & kFieldNullable)
            field.nullBit = bit++;
    }
}

TableLayout ReadTableLayout(BinaryFile& file) {
    if (file.size() < kMainHeaderSize)
        Fail(file, file.size() == 0 ? TableErrorCode::NotATable : TableErrorCode::TruncatedHeader,
             file.size(), "the file is too short to hold a table header");
    TableLayout layout;
    char version = 0;
    file.readAt(0, &version, 1);
    layout.version = static_cast<std::uint8_t>(version);
    const auto family = FamilyOfVersion(layout.version);
    if (!family)
        Fail(file, TableErrorCode::NotATable, 0,
             "unknown version byte " + HexByte(layout.version) + ", not a DBF table");
    layout.family = *family;
    ReadMainHeader(file, layout);
    const auto shape = ShapeOf(layout.family);
    CheckSizes(file, layout, shape);
    std::uint64_t terminatorAt = 0;
    auto fields = ReadDescriptors(file, layout, shape, terminatorAt);
    if (fields.empty())
        Fail(file, TableErrorCode::BadFieldDescriptor, shape.firstOffset,
             "the table describes no fields");
    WidenLongCharacterFields(fields, layout.recordLength);
    ReconcileRecordLength(file, layout, fields);
    CheckFieldWidths(file, layout, fields);
    NoteBytesBeyondTheFields(layout, fields);
    if (layout.family == TableFamily::VisualFoxPro && terminatorAt > 0) {
        ReconcileHeaderLength(file, layout, terminatorAt + 1);
        layout.containerLink = ReadContainerLink(file, layout, terminatorAt + 1);
    }
    PlaceFields(layout, std::move(fields));
    return layout;
}

bool TableLayout::needsMemoFile() const {
    return std::any_of(fields.begin(), fields.end(), [this](const FieldInfo& field) {
        return FieldTypeOf(field, family).isMemo();
    });
}

} // namespace tabrivel::dbf
