#include "engine/dbf/TextScan.h"

#include "engine/TableError.h"
#include "engine/dbf/FieldTypes.h"
#include "engine/dbf/RecordStream.h"

#include <unicode/ustring.h>

#include <algorithm>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace tabrivel::dbf {
namespace {

constexpr char kDeleted = '*';
// A long memo's opening settles its text's kind as well as the whole of it would.
constexpr std::uint64_t kScannedMemoLength = std::uint64_t{1024} * 1024;

// A UTF-8 character cut off at the end of a memo's opening is no sign of another code
// page: its lead byte and any continuation bytes after it go.
void DropCutCharacter(std::string& bytes) {
    for (std::size_t back = 1; back <= 4 && back <= bytes.size(); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if (byte < 0x80)
            return;
        if (byte >= 0xC0) {
            bytes.resize(bytes.size() - back);
            return;
        }
    }
}

StoredText KindOf(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return StoredText::Ascii;
    // A preflight converts nothing but still rejects every ill-formed sequence.
    UErrorCode status = U_ZERO_ERROR;
    int32_t units = 0;
    u_strFromUTF8(nullptr, 0, &units, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    return status == U_INVALID_CHAR_FOUND ? StoredText::Other : StoredText::Utf8;
}

class Scan {
public:
    Scan(const TableLayout& layout, MemoFile& memo, std::string* sample)
        : memo_(memo), sample_(sample) {
        for (const auto& field : layout.fields)
            if (const FieldTypeRow& type = FieldTypeOf(field, layout.family); type.storedText)
                texts_.push_back({field.offset, field.length, type.isMemo()});
    }

    // False once a value has settled the question.
    bool record(const char* record) {
        for (const auto& text : texts_) {
            const std::string_view bytes(record + text.offset, text.length);
            if (text.memo)
                addMemo(bytes);
            else
                add(bytes);
            if (settled())
                return false;
        }
        return true;
    }

    StoredText kind() const { return kind_; }

private:
    bool settled() const {
        return kind_ == StoredText::Other && (!sample_ || sample_->size() >= kSampleLength);
    }

    void add(std::string_view bytes) {
        bytes = bytes.substr(0, bytes.find('\0'));
        const StoredText kind = KindOf(bytes);
        kind_ = std::max(kind_, kind);
        if (sample_ && kind != StoredText::Ascii && sample_->size() < kSampleLength)
            sample_->append(bytes.substr(0, kSampleLength - sample_->size())).push_back('\n');
    }

    void addMemo(std::string_view pointer) {
        MemoFile::Ref ref;
        if (memo_.parsePointer(pointer, ref) != MemoFile::Pointer::Memo)
            return;
        // The same memo gives the same answer; records that share one need one look.
        if (scanned_ && ref.block == lastRef_.block && ref.length == lastRef_.length)
            return;
        scanned_ = true;
        lastRef_ = ref;
        try {
            const auto extent = memo_.locate(ref);
            bytes_.resize(static_cast<std::size_t>(std::min(extent.length, kScannedMemoLength)));
            memo_.readPart(extent, 0, bytes_.data(), bytes_.size());
            if (bytes_.size() < extent.length)
                DropCutCharacter(bytes_);
        } catch (const TableError&) {
            return;
        } catch (const std::bad_alloc&) {
            return; // the record's own reading reports it; the guess goes on without it
        }
        add(bytes_);
    }

    struct TextField {
        std::uint32_t offset;
        std::uint32_t length;
        bool memo;
    };
    std::vector<TextField> texts_;
    MemoFile& memo_;
    std::string* sample_;
    StoredText kind_ = StoredText::Ascii;
    std::string bytes_;
    bool scanned_ = false;
    MemoFile::Ref lastRef_;
};

} // namespace

StoredText ScanStoredText(BinaryFile& file, const TableLayout& layout, MemoFile& memo,
                          std::uint64_t records, std::string* sample) {
    RecordStream stream(file, layout.headerLength, layout.recordLength, records);
    Scan scan(layout, memo, sample);
    while (const char* record = stream.next())
        if (record[0] != kDeleted && !scan.record(record))
            break;
    return scan.kind();
}

} // namespace tabrivel::dbf
