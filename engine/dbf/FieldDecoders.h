#pragma once

#include "MemoFile.h"
#include "TableLayout.h"
#include "TableWarning.h"
#include "TextDecoder.h"
#include "Value.h"

#include <string>
#include <string_view>

namespace tabrivel::dbf {

// What a decoder needs beyond the field's bytes.
struct DecodeContext {
    TableFamily family;
    TextDecoder& text;
    MemoFile& memo;
    std::string& memoBytes; // scratch for a memo's raw bytes, reused between records
    TableWarnings& warnings;
    std::uint64_t record = 0; // the record being decoded, counted from 1 as stored
    bool recordHasNul = true; // false lets text skip looking for a NUL field by field
};

// Decodes one field. `raw` holds the field's bytes (already shortened for a short
// varchar or varbinary); `out` is the field's own buffer, emptied by the caller. The
// value views `raw` or `out`.
Value DecodeField(const FieldInfo& field, std::string_view raw, std::string& out,
                  DecodeContext& context);

} // namespace tabrivel::dbf
