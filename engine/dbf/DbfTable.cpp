#include "engine/dbf/DbfTable.h"

#include "engine/TableError.h"
#include "engine/dbf/CodePageGuess.h"
#include "engine/dbf/CodePages.h"
#include "engine/dbf/DatabaseContainer.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/TableHeader.h"
#include "engine/dbf/TextScan.h"

#include <algorithm>
#include <new>
#include <span>
#include <type_traits>

namespace tabrivel::dbf {
namespace {

constexpr char kDeleted = '*';

// The header's record count wins over whatever follows the records (an end-of-file
// mark, junk); a file too short for the count delivers what it holds completely.
std::uint64_t CompleteRecords(const BinaryFile& file, const TableLayout& layout) {
    const std::uint64_t fit = (file.size() - layout.headerLength) / layout.recordLength;
    return std::min(fit, layout.recordCount);
}

std::vector<DbfTable::PlannedField> PlanFields(const TableLayout& layout) {
    std::vector<DbfTable::PlannedField> plan;
    plan.reserve(layout.fields.size());
    for (const FieldInfo& field : layout.fields)
        plan.push_back({field.offset, field.length, FieldTypeOf(field, layout.family).decoding,
                        layout.hasNullFlags && (field.nullBit >= 0 || field.lengthBit >= 0)});
    return plan;
}

// The decoder builds the value in its slot. Returned into a temporary and copied, its
// parts, stored one by one, were loaded back whole, and the processor waited on every
// field for the stores to land.
void DecodeInto(Value& slot, FieldDecoding decoding, std::string_view raw, std::string& out,
                DecodeContext& context) {
    static_assert(std::is_trivially_destructible_v<Value>);
    ::new (&slot) Value(DecodeField(decoding, raw, out, context));
}

} // namespace

DbfTable::DbfTable(const std::filesystem::path& path, const TableOpenOptions& options,
                   const MemoOpener& openMemo)
    : DbfTable(path, options, openMemo, nullptr, {}) {}

DbfTable::DbfTable(const std::filesystem::path& path, const TableOpenOptions& options,
                   const MemoOpener& openMemo, const CodePageChoice* chosen, Range range)
    : path_(path), options_(options), openMemo_(openMemo), range_(range), file_(path),
      layout_(ReadTableLayout(file_)), available_(CompleteRecords(file_, layout_)),
      memo_(openMemo(path, layout_)),
      text_(makeDecoder(path, options, chosen)), context_{*text_,    *memo_,       memoBytes_,
                                                          warnings_, file_.name(), lastMemo_},
      records_(file_, firstOffset(), layout_.recordLength, recordsInRange()),
      buffers_(layout_.fields.size()), pieces_(layout_.fields.size()),
      values_(layout_.fields.size()), descriptions_(DescribeFields(layout_, *text_)),
      plan_(PlanFields(layout_)), losses_(layout_.fields.size()), deliverDeleted_(options.deleted) {
    if (options.containerNames && !layout_.containerLink.empty())
        takeContainerNames();
    if (deliverDeleted_) {
        descriptions_.push_back({std::string(kDeletedField), FieldKind::Logical, 1, 0});
        values_.emplace_back();
    }
    context_.fields = descriptions_;
    context_.losses = losses_;
    context_.record = std::min(range_.first, available_);
    for (const LayoutNote& note : layout_.notes)
        warnings_.note(note.code, file_.name(), file_.name() + ": " + note.cause, {}, 0, 0);
    noteEmptyFields();
}

void DbfTable::takeContainerNames() {
    const ContainerNames container =
        ReadContainerNames(path_, layout_.containerLink, descriptions_.size());
    if (!container.problem.empty()) {
        warnings_.note(TableErrorCode::ContainerNames, file_.name(),
                       file_.name() + ": " + container.problem +
                           "; the field names stored in the table were used",
                       {}, 0, 0);
        return;
    }
    for (std::size_t i = 0; i < descriptions_.size(); ++i)
        descriptions_[i].name = container.names[i];
}

// A field of width 0 holds nothing: its values are delivered empty, and the user told.
void DbfTable::noteEmptyFields() {
    std::string names;
    for (std::size_t i = 0; i < layout_.fields.size(); ++i)
        if (layout_.fields[i].length == 0)
            names += (names.empty() ? "" : ", ") + descriptions_[i].name;
    if (!names.empty())
        warnings_.note(TableErrorCode::EmptyField, file_.name(),
                       file_.name() +
                           ": fields of width 0 hold nothing and were delivered empty: " + names,
                       {}, 0, 0);
}

// One decoding for the whole table. Where nothing names a usable code page, the table's
// own text chooses it before any record is delivered, so one column never mixes two
// decodings: UTF-8 when all of it is, else the code page its text looks written in, a
// guess the user is told about.
std::unique_ptr<TextDecoder> DbfTable::makeDecoder(const std::filesystem::path& path,
                                                   const TableOpenOptions& options,
                                                   const CodePageChoice* chosen) {
    auto codePage =
        chosen ? *chosen : ChooseCodePage(path, layout_.languageDriver, options.encoding);
    if (!chosen && codePage.origin != CodePageChoice::Origin::Named)
        guessCodePage(codePage);
    codePage_ = codePage;
    if (const std::string problem = CodePageProblem(codePage.name); !problem.empty())
        throw TableError(TableErrorCode::UnknownEncoding, file_.name(), 0,
                         file_.name() + ": \"" + codePage.name + "\" " + problem);
    auto decoder = std::make_unique<TextDecoder>(codePage.name);
    if (codePage.ownUpperHalf)
        decoder->replaceUpperHalf(*codePage.ownUpperHalf);
    return decoder;
}

void DbfTable::guessCodePage(CodePageChoice& codePage) {
    std::string sample;
    const auto text = ScanStoredText(file_, layout_, *memo_, available_, &sample);
    if (text == StoredText::Ascii)
        return;
    if (text == StoredText::Utf8) {
        codePage.name = "UTF-8";
        return;
    }
    if (std::string guessed = GuessCodePage(sample); !guessed.empty())
        codePage.name = std::move(guessed);
    const std::string why = codePage.origin == CodePageChoice::Origin::Unavailable
                                ? codePage.why
                                : "the table declares no code page";
    warnings_.note(TableErrorCode::UnknownEncoding, file_.name(),
                   file_.name() + ": " + why + "; its text was read as " + codePage.name +
                       ", a guess: --encoding overrides",
                   {}, 0, 0);
}

bool DbfTable::next() {
    if (finished_)
        return false;
    while (const char* record = records_.next()) {
        ++context_.record;
        const bool deleted = record[0] == kDeleted;
        if (deleted && !deliverDeleted_) {
            ++deletedLeftOut_;
            continue;
        }
        if (deliverDeleted_)
            values_.back() = Value::of(ValueType::Logical, deleted ? "True" : "False");
        try {
            decodeRecord(record);
        } catch (const std::bad_alloc&) {
            throw OutOfMemoryError(file_.name(), context_.record);
        }
        // A record read from a file that was cut short under it holds zeros, not data.
        if (MappedFile::anyCutShort()) {
            file_.checkWhole();
            memo_->checkWhole();
        }
        return true;
    }
    finished_ = true;
    std::fill(values_.begin(), values_.end(), Value::null());
    if (available_ < layout_.recordCount && range_.end >= layout_.recordCount)
        noteTruncation();
    return false;
}

std::uint64_t DbfTable::firstOffset() const {
    return layout_.headerLength + std::min(range_.first, available_) * layout_.recordLength;
}

std::uint64_t DbfTable::recordsInRange() const {
    const std::uint64_t first = std::min(range_.first, available_);
    const std::uint64_t end = std::min(range_.end, available_);
    return end > first ? end - first : 0;
}

// The database container is read once, by this opening: its names are handed on, and what
// went wrong with it is this opening's to report.
std::unique_ptr<TableSource> DbfTable::openRange(std::uint64_t first, std::uint64_t end) const {
    TableOpenOptions options = options_;
    options.containerNames = false;
    std::unique_ptr<DbfTable> range(
        new DbfTable(path_, options, openMemo_, &*codePage_, {first, end}));
    for (std::size_t i = 0; i < descriptions_.size(); ++i)
        range->descriptions_[i].name = descriptions_[i].name;
    return range;
}

std::uint64_t DbfTable::recordsToDeliver() {
    if (deliverDeleted_)
        return recordsInRange();
    RecordStream marks(file_, firstOffset(), layout_.recordLength, recordsInRange());
    std::uint64_t delivered = 0;
    while (const char* record = marks.next())
        delivered += record[0] != kDeleted ? 1 : 0;
    return delivered;
}

void DbfTable::noteTruncation() {
    warnings_.note(TableErrorCode::TruncatedRecords, file_.name(),
                   file_.name() + ": truncated after " + std::to_string(available_) + " of " +
                       std::to_string(layout_.recordCount) + " records",
                   "records lost", layout_.recordCount - available_, available_ + 1);
}

void DbfTable::decodeRecord(const char* record) {
    // Held in locals: the decoders are handed this table's context, so the compiler
    // would read the members back after every field.
    const std::span<const PlannedField> plan = plan_;
    std::string* const buffers = buffers_.data();
    MemoPieces* const pieces = pieces_.data();
    Value* const values = values_.data();
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const PlannedField& planned = plan[i];
        std::string& out = buffers[i];
        out.clear();
        context_.pieces = &pieces[i];
        context_.field = i;
        if (!planned.flagged) {
            DecodeInto(values[i], planned.decoding,
                       std::string_view(record + planned.offset, planned.length), out, context_);
            continue;
        }
        const auto& field = layout_.fields[i];
        if (field.nullBit >= 0 && nullFlagSet(record, field.nullBit))
            values[i] = Value::null();
        else
            DecodeInto(values[i], planned.decoding, fieldBytes(field, record), out, context_);
    }
}

// A varchar or varbinary whose length bit is set holds fewer bytes than its width;
// the count stands in its last byte.
std::string_view DbfTable::fieldBytes(const FieldInfo& field, const char* record) const {
    std::string_view bytes(record + field.offset, field.length);
    if (field.lengthBit >= 0 && nullFlagSet(record, field.lengthBit)) {
        const auto used = static_cast<unsigned char>(bytes.back());
        bytes = bytes.substr(0, std::min<std::size_t>(used, bytes.size() - 1));
    }
    return bytes;
}

bool DbfTable::nullFlagSet(const char* record, int bit) const {
    const auto byte = static_cast<std::uint32_t>(bit) / 8;
    if (!layout_.hasNullFlags || byte >= layout_.nullFlags.length)
        return false;
    const auto flags = static_cast<unsigned char>(record[layout_.nullFlags.offset + byte]);
    return (flags >> (bit % 8)) & 1;
}

} // namespace tabrivel::dbf

namespace tabrivel {

std::unique_ptr<TableSource> OpenTable(const std::filesystem::path& path,
                                       const TableOpenOptions& options) {
    return std::make_unique<dbf::DbfTable>(path, options);
}

} // namespace tabrivel
