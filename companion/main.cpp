#include "Companion.h"

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tabrivel::CompanionMain(arguments, stdout, stderr);
}
