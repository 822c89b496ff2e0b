// libFuzzer entry: one input is a table and its memo file (see FuzzInput.h). The
// reader opens it, every record is read and every statement built, exactly as a
// conversion would. A TableError is a fine outcome; anything else that escapes, or a
// statement that breaks the promised rules, is a finding.
#include "FuzzConversion.h"
#include "FuzzInput.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tabrivel::fuzz::Workspace workspace;
    const auto input = tabrivel::fuzz::SplitInput(data, size);
    tabrivel::fuzz::ConvertAndCheck(workspace.write(input), input.localeFormat);
    return 0;
}
