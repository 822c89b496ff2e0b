#include "TableConversion.h"

#include "SqlText.h"

#include <new>

namespace tabrivel {

TableConversion::TableConversion(const std::filesystem::path& path, std::string baseName,
                                 const TableOpenOptions& options)
    : TableConversion(OpenTable(path, options), std::move(baseName)) {}

TableConversion::TableConversion(std::unique_ptr<TableSource> table, std::string baseName)
    : table_(std::move(table)), baseName_(std::move(baseName)) {}

TableConversion::~TableConversion() = default;

void TableConversion::setPieceWritten(std::function<void()> pieceWritten) {
    pieceWritten_ = [this, pieceWritten = std::move(pieceWritten)] {
        pieceHandedOver_ = true;
        pieceWritten();
    };
}

int TableConversion::fieldCount() const {
    return table_->fieldCount();
}

void TableConversion::appendCreateTable(std::string& out, const StatementForm& form) const {
    out += CreateTableStatement(form.opening, form.closing, form.tableName, baseName_,
                                table_->fieldCount(), form.semicolon);
}

bool TableConversion::next() {
    return table_->next();
}

std::span<const Value> TableConversion::values() const {
    return table_->values();
}

void TableConversion::appendInsert(std::string& out, const StatementForm& form,
                                   const ValueFormat& format) {
    const std::size_t start = out.size();
    pieceHandedOver_ = false;
    try {
        AppendInsertStatement(out, qualifiedName(form), table_->values(), form.semicolon, format,
                              LiteralRulesFor(form.opening), pieceWritten_);
    } catch (const std::bad_alloc&) {
        // Half a statement would open a literal that swallows whatever follows it.
        if (!pieceHandedOver_)
            out.resize(start);
        throw outOfMemoryError();
    }
}

bool TableConversion::appendNextInsert(std::string& out, const StatementForm& form,
                                       const ValueFormat& format) {
    if (!next())
        return false;
    appendInsert(out, form, format);
    return true;
}

TableError TableConversion::outOfMemoryError() const {
    return OutOfMemoryError(table_->name(), table_->recordNumber());
}

std::span<const TableWarning> TableConversion::warnings() const {
    return table_->warnings();
}

const std::string& TableConversion::qualifiedName(const StatementForm& form) {
    if (!nameBuilt_ || form.tableName != nameTable_ || form.opening != nameOpening_ ||
        form.closing != nameClosing_) {
        nameBuilt_ = false;
        qualifiedName_ = QualifiedTableName(form.opening, form.closing, form.tableName, baseName_);
        nameTable_ = form.tableName;
        nameOpening_ = form.opening;
        nameClosing_ = form.closing;
        nameBuilt_ = true;
    }
    return qualifiedName_;
}

} // namespace tabrivel
