#include "engine/dbf/CodePages.h"

#include "engine/dbf/ByteOrder.h"
#include "engine/dbf/SiblingFile.h"
#include "engine/dbf/TextDecoder.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <utility>

namespace tabrivel::dbf {
namespace {

constexpr const char* kDefaultCodePage = "windows-1252";

// Language-driver bytes as dBase, FoxPro and Visual FoxPro write them.
constexpr std::pair<std::uint8_t, const char*> kLanguageDrivers[] = {
    {0x01, "cp437"},
    {0x02, "cp850"},
    {0x03, "windows-1252"},
    {0x04, "macintosh"},
    {0x08, "cp865"},
    {0x09, "cp437"},
    {0x0A, "cp850"},
    {0x0B, "cp437"},
    {0x0D, "cp437"},
    {0x0E, "cp850"},
    {0x0F, "cp437"},
    {0x10, "cp850"},
    {0x11, "cp437"},
    {0x12, "cp850"},
    {0x13, "windows-31j"},
    {0x14, "cp850"},
    {0x15, "cp437"},
    {0x16, "cp850"},
    {0x17, "cp865"},
    {0x18, "cp437"},
    {0x19, "cp437"},
    {0x1A, "cp850"},
    {0x1B, "cp437"},
    {0x1C, "cp863"},
    {0x1D, "cp850"},
    {0x1F, "cp852"},
    {0x22, "cp852"},
    {0x23, "cp852"},
    {0x24, "cp860"},
    {0x25, "cp850"},
    {0x26, "cp866"},
    {0x37, "cp850"},
    {0x40, "cp852"},
    {0x4D, "cp936"},
    {0x4E, "cp949"},
    {0x4F, "cp950"},
    {0x50, "cp874"},
    {0x57, "windows-1252"},
    {0x58, "windows-1252"},
    {0x59, "windows-1252"},
    {0x64, "cp852"},
    {0x65, "cp866"},
    {0x66, "cp865"},
    {0x67, "cp861"},
    {0x6A, "cp737"},
    {0x6B, "cp857"},
    {0x6C, "cp863"},
    {0x78, "cp950"},
    {0x79, "cp949"},
    {0x7A, "cp936"},
    {0x7B, "windows-31j"},
    {0x7C, "windows-874"},
    {0x7D, "windows-1255"},
    {0x7E, "windows-1256"},
    {0x86, "cp737"},
    {0x87, "cp852"},
    {0x88, "cp857"},
    {0x96, "x-mac-cyrillic"},
    {0x97, "x-mac-centraleurope"},
    {0x98, "x-mac-greek"},
    {0xC8, "windows-1250"},
    {0xC9, "windows-1251"},
    {0xCA, "windows-1254"},
    {0xCB, "windows-1253"},
    {0xCC, "windows-1257"},
};

std::string Trimmed(std::string text) {
    const auto isSpace = [](unsigned char c) {
        return std::isspace(c) != 0 || c == 0;
    };
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    const auto first = std::find_if_not(
        text.begin(), text.end(), [&](char c) { return isSpace(static_cast<unsigned char>(c)); });
    return std::string(first, text.end());
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

std::string FromNumber(const std::string& digits) {
    if (digits.size() > 4 && digits.starts_with("8859"))
        return "ISO-8859-" + digits.substr(4);
    if (digits.size() == 4 && digits.starts_with("125"))
        return "windows-" + digits;
    if (digits == "65001")
        return "UTF-8";
    if (digits == "932")
        return "windows-31j";
    return "cp" + digits;
}

std::string ReadSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(256, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

} // namespace

const char* CodePageOfLanguageDriver(std::uint8_t languageDriver) {
    for (const auto& [byte, name] : kLanguageDrivers)
        if (byte == languageDriver)
            return name;
    return nullptr;
}

std::string CodePageOfCpgText(std::string text) {
    text = Trimmed(std::move(text));
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const char* prefix : {"ANSI ", "OEM ", "CP", "WINDOWS-"})
        if (upper.starts_with(prefix) && AllDigits(upper.substr(std::string(prefix).size())))
            return FromNumber(upper.substr(std::string(prefix).size()));
    if (AllDigits(upper))
        return FromNumber(upper);
    return text;
}

CodePageChoice ChooseCodePage(const std::filesystem::path& table, std::uint8_t languageDriver,
                              const std::string& overrideName) {
    if (!overrideName.empty())
        return {CodePageOfCpgText(overrideName)};
    if (const auto cpg = FindSiblingFile(table, ".cpg")) {
        // A .cpg naming something we cannot decode is ignored rather than fatal: the
        // language-driver byte is the table's own word on its code page.
        auto name = CodePageOfCpgText(ReadSmallFile(*cpg));
        if (IsKnownCodePage(name))
            return {name};
    }
    if (const auto* own = OwnUpperHalfOfLanguageDriver(languageDriver))
        return {"US-ASCII", CodePageChoice::Origin::Named, own};
    const char* name = CodePageOfLanguageDriver(languageDriver);
    if (name && IsKnownCodePage(name))
        return {name};
    // Tables that name no code page hold windows-1252 text in practice, or UTF-8 from
    // newer GIS tools; the table's text tells those apart.
    if (languageDriver == 0)
        return {kDefaultCodePage, CodePageChoice::Origin::NoneNamed};
    std::string why = "language driver " + HexByte(languageDriver);
    why += name ? std::string(" names code page ") + name + ", which cannot be decoded here"
                : " names no code page known here";
    return {kDefaultCodePage, CodePageChoice::Origin::Unavailable, nullptr, why};
}

std::string CodePageProblem(const std::string& name) {
    if (!IsKnownCodePage(name))
        return "is not a code page known here";
    if (!IsTableCodePage(name))
        return "is not a code page tables are stored in (it carries state from byte to byte or "
               "compresses Unicode)";
    return {};
}

const char* FallbackCodePage() {
    return kDefaultCodePage;
}

} // namespace tabrivel::dbf

namespace tabrivel {

std::string EncodingProblem(const std::string& encoding) {
    return dbf::CodePageProblem(dbf::CodePageOfCpgText(encoding));
}

} // namespace tabrivel
