// libFuzzer entry for large tables: one input is a recipe (see TableRecipe.h) that
// expands into a table and memo file of up to several megabytes, which are read and
// converted like any other.
#include "FuzzConversion.h"
#include "TableRecipe.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tabrivel::fuzz::Workspace workspace;
    const auto expanded = tabrivel::fuzz::ExpandRecipe(data, size);
    tabrivel::fuzz::FuzzInput input;
    input.table = expanded.table;
    input.memo = expanded.memo;
    input.memoExtension = expanded.memoExtension;
    input.codePageFile = expanded.codePageFile;
    tabrivel::fuzz::ConvertAndCheck(workspace.write(input), expanded.localeFormat);
    return 0;
}
