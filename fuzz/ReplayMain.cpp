// Runs the fuzzer's entry point once over each file given (or each file inside a given
// folder), in one process and without libFuzzer, so that a tool such as valgrind can
// watch the uninstrumented libraries the reader calls.
//
//   tabrivel-fuzz-replay FILE_OR_FOLDER...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    std::size_t inputs = 0;
    for (int k = 1; k < argc; ++k) {
        const std::filesystem::path given = argv[k];
        if (!std::filesystem::is_directory(given)) {
            Replay(given);
            ++inputs;
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(given)) {
            if (entry.is_regular_file()) {
                Replay(entry.path());
                ++inputs;
            }
        }
    }
    std::printf("replayed %zu inputs\n", inputs);
    return 0;
}
