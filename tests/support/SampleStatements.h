#pragma once

#include "engine/SqlText.h"
#include "engine/Value.h"
#include "engine/ValueText.h"

#include <array>
#include <string>

namespace tabrivel::testing {

// INSERT statements shaped like a customer table's: a key, names of varying length,
// an address, a date, an amount and a flag, so sizes spread as real rows do.
class SampleStatements {
public:
    std::string insert(int k) const {
        const std::string key = std::to_string(100000 + k);
        const std::string name = "Customer " + std::to_string(k) + std::string(k % 23, 'x');
        const std::string street = std::to_string(k % 997) + " O'Brien Street";
        const std::string amount = std::to_string(k % 100000) + "." + std::to_string(k % 90 + 10);
        const std::array<Value, 7> values = {
            Value::of(ValueType::Text, key),
            Value::of(ValueType::Text, name),
            Value::of(ValueType::Text, street),
            Value::of(ValueType::Text, k % 3 ? "Springfield" : "Zürich"),
            Value::of(ValueType::Date, "2024-03-05"),
            Value::of(ValueType::Number, amount),
            Value::of(ValueType::Logical, k % 2 ? "True" : "False"),
        };
        std::string out;
        AppendInsertStatement(out, "'Table1_customers'", values, true, format_,
                              LiteralRules::Standard);
        return out;
    }

private:
    ValueFormat format_;
};

} // namespace tabrivel::testing
