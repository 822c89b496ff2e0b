#pragma once

#include <cstdint>
#include <filesystem>

#include "engine/dbf/OwnCodePages.h"
#include <string>

namespace tabrivel::dbf {

// The ICU converter name for a language-driver byte; null for 0 ("none given") and
// for bytes no writer is known to use.
const char* CodePageOfLanguageDriver(std::uint8_t languageDriver);

// The ICU converter name for the text of a .cpg file ("UTF-8", "1251", "CP866",
// "88591", "ANSI 1252", ...); empty when the text names nothing usable.
std::string CodePageOfCpgText(std::string text);

struct CodePageChoice {
    enum class Origin {
        Named,       // the override, a .cpg file or the language-driver byte named it
        NoneNamed,   // nothing names a code page: `name` is the fallback
        Unavailable, // the byte names one we cannot decode: `name` is the fallback
    };
    CodePageChoice(std::string name, Origin origin = Origin::Named,
                   const UpperHalf* ownUpperHalf = nullptr, std::string why = {})
        : name(std::move(name)), origin(origin), ownUpperHalf(ownUpperHalf), why(std::move(why)) {}

    std::string name;
    Origin origin = Origin::Named;
    const UpperHalf* ownUpperHalf = nullptr; // replaces the upper half of `name`
    std::string why;                         // for Unavailable: what could not be read
};

// The code page a table's text is decoded with: the caller's override, else the
// .cpg file beside the table, else the language-driver byte. The override is read
// like a .cpg file, so "1251" and "windows-1251" both work.
// The code page of tables that name none usable, unless their text is UTF-8.
const char* FallbackCodePage();

// Why table text cannot be read in the code page ICU names so, worded to follow its
// name; empty when it can.
std::string CodePageProblem(const std::string& name);

CodePageChoice ChooseCodePage(const std::filesystem::path& table, std::uint8_t languageDriver,
                              const std::string& overrideName);

} // namespace tabrivel::dbf
