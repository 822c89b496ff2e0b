#include "engine/dbf/FieldDecoders.h"

#include "engine/TableError.h"
#include "engine/dbf/AsciiScan.h"
#include "engine/dbf/ByteOrder.h"
#include "engine/dbf/DateText.h"
#include "engine/dbf/MemoPieces.h"
#include "engine/dbf/NumberText.h"
#include "engine/dbf/WideText.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tabrivel::dbf {
namespace {

Value Text(std::string_view text) {
    return Value::of(ValueType::Text, text);
}

// One more value of the current field lost something; the warnings count them per field.
void NoteLossAt(DecodeContext& context, std::size_t index, std::uint64_t record, Loss loss,
                TableErrorCode code, const char* what, const char* values) {
    std::uint32_t& place = context.losses[index][static_cast<std::size_t>(loss)];
    if (place != 0) {
        context.warnings.countAt(place - 1, 1);
        return;
    }
    const std::string& field = context.fields[index].name;
    place = 1 + static_cast<std::uint32_t>(context.warnings.note(
                    code, context.table, context.table + ": field " + field + ": " + what,
                    std::string(values) + " of " + field, 1, record));
}

void NoteLoss(DecodeContext& context, Loss loss, TableErrorCode code, const char* what,
              const char* values) {
    NoteLossAt(context, context.field, context.record, loss, code, what, values);
}

constexpr const char* kInvalidUtf8 =
    "bytes that are no UTF-8 in a table declared UTF-8 were read as U+FFFD";
constexpr const char* kWithReplacement = "values with U+FFFD";

void NoteInvalidUtf8(std::string_view raw, DecodeContext& context) {
    if (context.text.replacesInvalidUtf8(raw))
        NoteLoss(context, Loss::InvalidUtf8, TableErrorCode::UncarriedText, kInvalidUtf8,
                 kWithReplacement);
}

Value DecodedText(std::string_view raw, std::string& out, DecodeContext& context) {
    const std::string_view text = context.text.decode(raw, out);
    if (text.data() != raw.data())
        NoteInvalidUtf8(raw, context);
    return Text(text);
}

// Text that should have been something else is delivered trimmed, never dropped.
Value RawText(std::string_view raw, std::string& out, DecodeContext& context) {
    return DecodedText(TrimPadding(raw), out, context);
}

// Blanks and NULs after the NUL are a C writer's padding; anything else is stale or
// real text that the value no longer carries.
void NoteCutAtNul(std::string_view raw, std::size_t nul, DecodeContext& context) {
    if (raw.find_first_not_of(std::string_view(" \0", 2), nul) != std::string_view::npos)
        NoteLoss(context, Loss::CutAtNul, TableErrorCode::UncarriedText,
                 "a NUL byte ends the value before other bytes, which were left out",
                 "values cut at a NUL");
}

Value decodeCharacter(std::string_view raw, std::string& out, DecodeContext& context) {
    if (context.text.keepsAscii()) {
        // Nearly all stored text: the statement writer then copies it without a look.
        if (IsLiteralAscii(raw))
            return Value::literalText(raw);
        if (IsAsciiWithoutNul(raw))
            return Text(raw);
    }
    const std::size_t nul = NulPosition(raw);
    if (nul < raw.size())
        NoteCutAtNul(raw, nul, context);
    return DecodedText(raw.substr(0, nul), out, context);
}

Value decodeWideText(std::string_view raw, std::string& out) {
    AppendUtf16Le(raw, out);
    return Text(out);
}

Value Binary(std::string_view bytes) {
    return Value::of(ValueType::Binary, bytes);
}

bool AllBytesAre(std::string_view raw, char byte) {
    return raw.find_first_not_of(byte) == std::string_view::npos;
}

Value decodeNumeric(std::string_view raw, std::string& out, DecodeContext& context) {
    std::string_view canonical;
    switch (CanonicalDecimal(raw, out, canonical)) {
    case NumberForm::Empty:
        return Value::null();
    case NumberForm::Number:
        return Value::of(ValueType::Number, canonical);
    case NumberForm::NotANumber:
        break;
    }
    out.clear();
    return RawText(raw, out, context);
}

// dBase 7 stores integers big-endian with the sign bit flipped, so that they sort
// as bytes; everyone else stores them little-endian, in one to eight bytes.
Value decodeInteger(std::string_view raw, std::string& out, bool base7) {
    const auto* bytes = Bytes(raw.data());
    const auto width = static_cast<unsigned>(raw.size());
    std::uint64_t bits = 0;
    for (unsigned i = 0; i < width; ++i) {
        const unsigned at = base7 ? i : width - 1 - i;
        bits = bits << 8 | bytes[at];
    }
    const unsigned unused = 64 - 8 * width;
    if (base7)
        bits ^= std::uint64_t{1} << (8 * width - 1);
    // Shift the sign bit to the top and back to spread it over the unused bytes.
    AppendInteger(static_cast<std::int64_t>(bits << unused) >> unused, out);
    return Value::of(ValueType::Number, out);
}

Value NumberOrRaw(double value, std::string_view raw, std::string& out) {
    if (AppendDouble(value, out))
        return Value::of(ValueType::Number, out);
    // NaN and infinities have no decimal form; their bytes are what was stored.
    return Binary(raw);
}

Value decodeDouble(std::string_view raw, std::string& out) {
    return NumberOrRaw(std::bit_cast<double>(ReadLittle64(Bytes(raw.data()))), raw, out);
}

// dBase 7 doubles are big-endian with the sign bit flipped for positive values and
// every bit flipped for negative ones, so that they sort as bytes.
Value decodeDoubleBase7(std::string_view raw, std::string& out) {
    if (AllBytesAre(raw, '\0'))
        return Value::null();
    std::uint64_t bits = ReadBig64(Bytes(raw.data()));
    bits = (bits & 0x8000'0000'0000'0000u) ? bits ^ 0x8000'0000'0000'0000u : ~bits;
    return NumberOrRaw(std::bit_cast<double>(bits), raw, out);
}

Value decodeCurrency(std::string_view raw, std::string& out) {
    AppendScaled(static_cast<std::int64_t>(ReadLittle64(Bytes(raw.data()))), 4, out);
    return Value::of(ValueType::Number, out);
}

Value decodeDate(std::string_view raw, std::string& out, DecodeContext& context) {
    CivilDate date;
    // Nearly every stored date is eight digits with nothing around them.
    if (ParseStoredDate(raw, date)) {
        AppendStoredDate(raw, out);
        return Value::of(ValueType::Date, out);
    }
    const auto text = TrimPadding(raw);
    if (text.empty() || AllBytesAre(text, '0'))
        return Value::null();
    if (!ParseStoredDate(text, date))
        return RawText(raw, out, context);
    AppendStoredDate(text, out);
    return Value::of(ValueType::Date, out);
}

Value decodeDateTime(std::string_view raw, std::string& out) {
    if (AllBytesAre(raw, '\0') || AllBytesAre(raw, ' '))
        return Value::null();
    if (raw.size() != 8)
        return Binary(raw); // some xBase writers keep a time of day here: its bytes
    const auto* bytes = Bytes(raw.data());
    const std::uint32_t day = ReadLittle32(bytes);
    const std::uint32_t milliseconds = ReadLittle32(bytes + 4);
    if (day == 0 && milliseconds == 0)
        return Value::null();
    if (!AppendJulianDateTime(day, milliseconds, out))
        return Binary(raw);
    return Value::of(ValueType::DateTime, out);
}

// The first byte that is not padding; '?' (unknown) when there is none.
char FirstStoredByte(std::string_view raw) {
    for (const char c : raw)
        if (c != ' ' && c != '\0')
            return c;
    return '?';
}

Value decodeLogical(std::string_view raw, DecodeContext& context) {
    switch (FirstStoredByte(raw)) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return Value::of(ValueType::Logical, "True");
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return Value::of(ValueType::Logical, "False");
    case '?':
        return Value::null(); // unknown, as the writer said; blank alike
    default:
        NoteLoss(context, Loss::UnknownLogical, TableErrorCode::UnreadableValue,
                 "a logical value is neither true, false nor unknown; it was read as null",
                 "logical values read as null");
        return Value::null();
    }
}

// dBase 7 timestamps are a big-endian double of milliseconds, counted so that 1 January
// of year 1 is day 1. The numbers are positive, so a set sign bit can only be the sort
// order's flip that dBase 7 gives its doubles. Some writers put two little-endian longs
// there instead (day, milliseconds), as Visual FoxPro does; a value the double reading
// cannot place is read that way.
Value decodeTimestamp(std::string_view raw, std::string& out) {
    if (AllBytesAre(raw, '\0'))
        return Value::null();
    constexpr std::uint64_t kSign = 0x8000'0000'0000'0000u;
    constexpr double kPerDay = 86'400'000.0;
    constexpr std::int64_t kJulianDayZero = 1'721'425; // the day before 1 January of year 1
    std::uint64_t bits = ReadBig64(Bytes(raw.data()));
    if (bits & kSign)
        bits ^= kSign;
    const auto milliseconds = std::bit_cast<double>(bits);
    if (std::isfinite(milliseconds) && milliseconds >= kPerDay && milliseconds < 1e16) {
        const auto day = static_cast<std::int64_t>(milliseconds / kPerDay);
        const auto rest = std::llround(milliseconds - static_cast<double>(day) * kPerDay);
        if (AppendJulianDateTime(kJulianDayZero + day, rest, out))
            return Value::of(ValueType::DateTime, out);
    }
    return decodeDateTime(raw, out);
}

// Memos longer than this go to their statement in pieces; they are never held whole
// here, and so never kept for the next record either.
constexpr std::size_t kWholeMemoLength = MemoPieces::kPieceLength;

void NoteCutShort(DecodeContext& context) {
    context.warnings.note(TableErrorCode::TruncatedMemo, context.memo.name(),
                          context.memo.name() + ": the memo file ends inside a memo",
                          "memo values cut short", 1, context.record);
}

// A text memo holding NUL bytes before other bytes is often a picture or a document kept
// as text; the SQL text forms cannot carry a NUL. NULs at its end are block padding.
constexpr const char* kNulInMemo =
    "a text memo holds NUL bytes, which SQL text cannot carry; they were left out";
constexpr const char* kMemosWithNul = "memo values with NUL bytes";

void NoteTextLosses(const TextLosses& losses, DecodeContext& context) {
    if (losses.nul)
        NoteLoss(context, Loss::NulInMemo, TableErrorCode::NulInText, kNulInMemo, kMemosWithNul);
    if (losses.invalidUtf8)
        NoteLoss(context, Loss::InvalidUtf8, TableErrorCode::UncarriedText, kInvalidUtf8,
                 kWithReplacement);
}

TextLosses FindTextLosses(std::string_view stored, std::string_view text,
                          const DecodeContext& context) {
    const auto* nul = static_cast<const char*>(std::memchr(text.data(), 0, text.size()));
    const bool cut = nul != nullptr &&
                     text.find_first_not_of('\0', static_cast<std::size_t>(nul - text.data())) !=
                         std::string_view::npos;
    return {cut, context.text.replacesInvalidUtf8(stored)};
}

Value MemoValue(bool binary, std::string_view bytes) {
    return binary ? Binary(bytes) : Text(bytes);
}

// A memo short enough to hold whole: where it lies in a mapped memo file, else read
// into `buffer`.
std::string_view ReadWholeMemo(MemoFile& memo, const MemoFile::Extent& extent,
                               std::string& buffer) {
    const auto length = static_cast<std::size_t>(extent.length);
    if (const char* inPlace = memo.view(extent))
        return {inPlace, length};
    buffer.resize(length);
    memo.readPart(extent, 0, buffer.data(), length);
    return buffer;
}

Value decodeMemo(bool binary, std::string_view raw, std::string& out, DecodeContext& context) {
    MemoFile::Ref ref;
    switch (context.memo.parsePointer(raw, ref)) {
    case MemoFile::Pointer::None:
        return MemoValue(binary, {});
    case MemoFile::Pointer::NotANumber:
        return RawText(raw, out, context);
    case MemoFile::Pointer::Memo:
        break;
    }
    LastMemo& last = context.lastMemo;
    if (last.holds(ref, binary)) {
        if (last.read == MemoFile::Read::CutShort)
            NoteCutShort(context);
        out.assign(last.value);
        NoteTextLosses(last.losses, context);
        return MemoValue(binary, out);
    }
    MemoFile::Extent extent;
    std::string_view stored;
    try {
        extent = context.memo.locate(ref);
        if (extent.length <= kWholeMemoLength)
            stored = ReadWholeMemo(context.memo, extent, context.memoBytes);
    } catch (const TableError& error) {
        // One memo out of reach costs that value, not the table.
        context.warnings.note(error.code(), error.file(), error.what(), "memo values lost", 1,
                              context.record);
        out.clear();
        return Value::null();
    }
    if (extent.read == MemoFile::Read::CutShort)
        NoteCutShort(context);
    last.valid = extent.length <= kWholeMemoLength;
    if (!last.valid) {
        // A memo in pieces is decoded when its statement is written, still within its record.
        auto nulInside = [&context, field = context.field, record = context.record] {
            NoteLossAt(context, field, record, Loss::NulInMemo, TableErrorCode::NulInText,
                       kNulInMemo, kMemosWithNul);
        };
        if (binary)
            context.pieces->point(context.memo, extent, nullptr);
        else
            context.pieces->point(context.memo, extent, &context.text, nulInside);
        return Value::inPieces(binary ? ValueType::Binary : ValueType::Text, *context.pieces);
    }
    if (binary) {
        out.assign(stored);
    } else {
        context.text.append(stored, out);
        last.losses = FindTextLosses(stored, out, context);
        NoteTextLosses(last.losses, context);
    }
    if (binary)
        last.losses = {};
    last.ref = ref;
    last.binary = binary;
    last.read = extent.read;
    last.value.assign(out);
    return MemoValue(binary, out);
}

} // namespace

Value DecodeField(FieldDecoding decoding, std::string_view raw, std::string& out,
                  DecodeContext& context) {
    switch (decoding) {
    case FieldDecoding::Empty:
    case FieldDecoding::Refused:
        return Value::null();
    case FieldDecoding::Text:
        return decodeCharacter(raw, out, context);
    case FieldDecoding::TrimmedText:
        return RawText(raw, out, context);
    case FieldDecoding::WideText:
        return decodeWideText(raw, out);
    case FieldDecoding::Binary:
        break;
    case FieldDecoding::Numeric:
        return decodeNumeric(raw, out, context);
    case FieldDecoding::Integer:
        return decodeInteger(raw, out, false);
    case FieldDecoding::IntegerBase7:
        return decodeInteger(raw, out, true);
    case FieldDecoding::Double:
        return decodeDouble(raw, out);
    case FieldDecoding::DoubleBase7:
        return decodeDoubleBase7(raw, out);
    case FieldDecoding::Currency:
        return decodeCurrency(raw, out);
    case FieldDecoding::Date:
        return decodeDate(raw, out, context);
    case FieldDecoding::DateTime:
        return decodeDateTime(raw, out);
    case FieldDecoding::Timestamp:
        return decodeTimestamp(raw, out);
    case FieldDecoding::Logical:
        return decodeLogical(raw, context);
    case FieldDecoding::TextMemo:
        return decodeMemo(false, raw, out, context);
    case FieldDecoding::BinaryMemo:
        return decodeMemo(true, raw, out, context);
    }
    return Binary(raw);
}

} // namespace tabrivel::dbf
