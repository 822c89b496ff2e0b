// Writes the example tables into the folder named on the command line (samples/Samples
// in the source tree is where the committed copies live).
#include "SampleTables.h"

#include <cstdio>
#include <exception>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    try {
        tabrivel::samples::WriteSampleTables(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    for (const auto& table : tabrivel::samples::SampleTableList())
        std::printf("%s  %s\n", table.fileName.c_str(), table.description.c_str());
    return 0;
}
