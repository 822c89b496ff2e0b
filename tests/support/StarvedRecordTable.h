#pragma once

#include "engine/TableSource.h"
#include "engine/ValuePieces.h"

#include <memory>
#include <new>
#include <vector>

namespace tabrivel::testing {

// A memo too long for the memory there is: asking for its pieces runs out of memory.
class StarvedPieces final : public ValuePieces {
public:
    void forEach(const std::function<void(std::string_view)>&) override { throw std::bad_alloc(); }
};

// A real table, except that the last value of one record is a memo that cannot be held.
class StarvedRecordTable final : public TableSource {
public:
    StarvedRecordTable(std::unique_ptr<TableSource> real, std::uint64_t starvedRecord)
        : real_(std::move(real)), starvedRecord_(starvedRecord) {}

    int fieldCount() const override { return real_->fieldCount(); }
    std::span<const FieldDescription> fields() const override { return real_->fields(); }
    std::uint64_t recordCount() const override { return real_->recordCount(); }
    bool next() override {
        if (!real_->next())
            return false;
        values_.assign(real_->values().begin(), real_->values().end());
        if (real_->recordNumber() == starvedRecord_)
            values_.back() = Value::inPieces(ValueType::Text, pieces_);
        return true;
    }
    std::span<const Value> values() const override { return values_; }
    std::uint64_t recordNumber() const override { return real_->recordNumber(); }
    std::string name() const override { return real_->name(); }
    std::span<const TableWarning> warnings() const override { return real_->warnings(); }

private:
    std::unique_ptr<TableSource> real_;
    std::uint64_t starvedRecord_;
    StarvedPieces pieces_;
    std::vector<Value> values_;
};

} // namespace tabrivel::testing
