#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tabrivel::dbf {

// The ICU converter name for a language-driver byte; null for 0 ("none given") and
// for bytes no writer is known to use.
const char* CodePageOfLanguageDriver(std::uint8_t languageDriver);

// The ICU converter name for the text of a .cpg file ("UTF-8", "1251", "CP866",
// "88591", "ANSI 1252", ...); empty when the text names nothing usable.
std::string CodePageOfCpgText(std::string text);

struct CodePageChoice {
    std::string name;
    bool named = true; // false: nothing named a code page and `name` is a guess
};

// The code page a table's text is decoded with: the caller's override, else the
// .cpg file beside the table, else the language-driver byte. The override is read
// like a .cpg file, so "1251" and "windows-1251" both work.
CodePageChoice ChooseCodePage(const std::filesystem::path& table, std::uint8_t languageDriver,
                              const std::string& overrideName);

} // namespace tabrivel::dbf
