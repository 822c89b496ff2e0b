#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/BinaryFile.h"
#include "engine/dbf/CodePages.h"
#include "engine/dbf/FieldDecoders.h"
#include "engine/dbf/RecordStream.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tabrivel::dbf {

// A DBF table read record by record. Each field decodes into a buffer of its own
// that keeps its capacity, so the steady state allocates nothing.
class DbfTable final : public TableSource {
public:
    using MemoOpener =
        std::function<std::unique_ptr<MemoFile>(const std::filesystem::path&, const TableLayout&)>;
    DbfTable(const std::filesystem::path& path, const TableOpenOptions& options,
             const MemoOpener& openMemo = OpenMemoFile);

    int fieldCount() const override { return static_cast<int>(descriptions_.size()); }
    std::span<const FieldDescription> fields() const override { return descriptions_; }
    std::uint64_t recordCount() const override { return layout_.recordCount; }
    bool next() override;
    std::span<const Value> values() const override { return values_; }
    std::uint64_t recordNumber() const override { return context_.record; }
    std::string name() const override { return file_.name(); }
    std::span<const TableWarning> warnings() const override { return warnings_.all(); }
    std::uint64_t deletedLeftOut() const override { return deletedLeftOut_; }
    std::string containerLink() const override { return layout_.containerLink; }
    std::unique_ptr<TableSource> openRange(std::uint64_t first, std::uint64_t end) const override;
    std::uint64_t recordsToDeliver() override;

    // What the loop over a record's fields needs of each, worked out when the table opens.
    struct PlannedField {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        FieldDecoding decoding = FieldDecoding::Text;
        bool flagged = false; // a bit in _NullFlags may make it null or shorter
    };

private:
    // Records first .. end - 1 (counted from 0) of the table.
    struct Range {
        std::uint64_t first = 0;
        std::uint64_t end = ~std::uint64_t{0};
    };
    // `chosen`: the code page an earlier opening of the table chose; null: choose it.
    DbfTable(const std::filesystem::path& path, const TableOpenOptions& options,
             const MemoOpener& openMemo, const CodePageChoice* chosen, Range range);
    std::uint64_t firstOffset() const;
    std::uint64_t recordsInRange() const;

    void decodeRecord(const char* record);
    std::string_view fieldBytes(const FieldInfo& field, const char* record) const;
    bool nullFlagSet(const char* record, int bit) const;
    void noteTruncation();
    void noteEmptyFields();
    void takeContainerNames();

    std::unique_ptr<TextDecoder> makeDecoder(const std::filesystem::path& path,
                                             const TableOpenOptions& options,
                                             const CodePageChoice* chosen);
    void guessCodePage(CodePageChoice& codePage);

    std::filesystem::path path_;
    TableOpenOptions options_;
    MemoOpener openMemo_;
    Range range_;
    BinaryFile file_;
    TableLayout layout_;
    std::uint64_t available_ = 0; // complete records the file holds, at most the count
    std::unique_ptr<MemoFile> memo_;
    TableWarnings warnings_;
    std::optional<CodePageChoice> codePage_; // as chosen, for opening the table again
    std::unique_ptr<TextDecoder> text_;
    std::string memoBytes_;
    LastMemo lastMemo_;
    DecodeContext context_;
    bool finished_ = false;
    RecordStream records_;
    std::vector<std::string> buffers_;
    std::vector<MemoPieces> pieces_;
    std::vector<Value> values_;
    std::vector<FieldDescription> descriptions_;
    std::vector<PlannedField> plan_;
    std::vector<LossPlaces> losses_;
    bool deliverDeleted_ = false;
    std::uint64_t deletedLeftOut_ = 0;
};

} // namespace tabrivel::dbf
