#pragma once

#include <cstdio>
#include <string>

// Everything written to `file` so far, read back from its start.
inline std::string StreamContents(std::FILE* file) {
    std::fflush(file);
    std::string bytes(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return bytes;
}
