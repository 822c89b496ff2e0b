#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tabrivel {

// Tells apart the ways a table can fail, so callers and tests can check the kind
// rather than the wording.
enum class TableErrorCode {
    CannotOpen,         // the file is missing or unreadable
    NotATable,          // unknown version byte, impossible header or record length
    TruncatedHeader,    // the header or the field descriptors end early
    BadFieldDescriptor, // a field that cannot be laid out in the record
    MissingMemo,        // the table has memo fields but no memo file beside it
    BadMemoFile,        // the memo file's header is unusable
    MemoOutOfRange,     // a memo pointer or length beyond the memo file
    TruncatedRecords,   // the file ends before the header's record count
    TruncatedMemo,      // the memo file ends inside a memo
    RepairedHeader,     // the header contradicted the file; the records were found anyway
    UnknownEncoding,    // a code page that cannot be decoded
    EmptyField,         // a field of width 0: its values are empty
    RecordLength,       // the record length is not what the fields add up to
    UnreadableValue,    // bytes the field's type does not define: read as null
    UncarriedText,      // text bytes no SQL text carries (a NUL that cut a value, no UTF-8)
    NulInText,          // NUL bytes kept inside a text: only MySQL's escapes carry them
    ContainerNames,     // the database container's long field names could not be used
    ReadFailed,         // an I/O error while reading
    OutOfMemory,        // a record needed more memory than the system would give
};

class TableError : public std::runtime_error {
public:
    TableError(TableErrorCode code, std::string file, std::uint64_t offset, const std::string& what)
        : std::runtime_error(what), code_(code), file_(std::move(file)), offset_(offset) {}

    TableErrorCode code() const { return code_; }
    const std::string& file() const { return file_; }
    std::uint64_t offset() const { return offset_; }

private:
    TableErrorCode code_;
    std::string file_;
    std::uint64_t offset_;
};

// Memory ran out for one record: the table stops there, and the run goes on with the next.
inline TableError OutOfMemoryError(const std::string& file, std::uint64_t record) {
    return TableError(TableErrorCode::OutOfMemory, file, 0,
                      "out of memory while reading record " + std::to_string(record) + " of " +
                          file);
}

} // namespace tabrivel
