#pragma once

#include "LoadOptions.h"
#include "TablePlan.h"
#include "engine/Value.h"
#include "engine/ValueText.h"

#include <string>
#include <string_view>

namespace tabrivel {

// One value made ready for its column, before a writer puts it into its own form.
struct Cell {
    enum class Kind : std::uint8_t {
        Null,     // written as NULL (or as '' when nulls are not asked for)
        Text,     // text still to be escaped for the writer's form
        Formed,   // a number, date or time already in its final form
        Logical,  // `truth` holds the value
        Binary,   // raw bytes
        Mismatch, // does not fit its typed column: written as NULL and reported
    };
    Kind kind = Kind::Null;
    std::string_view text;
    bool truth = false;
    // A very long memo, text or binary, still in the reader's pieces (`text` is empty):
    // a writer takes them one by one, so the memo is never held whole.
    ValuePieces* pieces = nullptr;
};

// Turns the reader's values into cells as the options ask: trimming, the locale's or
// the C forms, and, under --types, whether a value fits its column at all.
class CellMaker {
public:
    CellMaker(const LoadOptions& load, const ValueFormat& localeFormat);

    // `scratch` holds the formed text when the value needs one; it must outlive the cell.
    Cell make(const Value& value, const PlannedColumn& column, std::string& scratch) const;

    // How numbers and dates are written: the locale's, or the C forms when asked.
    const ValueFormat& valueFormat() const { return locale_; }

    // A null value as the writer should write it: NULL, or the empty text.
    bool nullIsNull(const PlannedColumn& column) const;

private:
    bool fitsColumn(const Value& value, const PlannedColumn& column) const;

    LoadOptions load_;
    ValueFormat locale_;
};

} // namespace tabrivel
