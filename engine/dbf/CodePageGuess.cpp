#include "engine/dbf/CodePageGuess.h"

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>

namespace tabrivel::dbf {
namespace {

struct Answer {
    std::string_view detected; // as the detector names it
    const char* codePage;      // the code page tables are written in
};

// Measured on text in each language and code page: the detector tells the Cyrillic,
// Central European and CJK code pages apart reliably, the DOS ones included, and names
// Windows code pages by their ISO siblings (whose letters they share). ICU's own
// detector knows no DOS code page.
constexpr std::array kAnswers{
    Answer{"IBM866", "cp866"},
    Answer{"IBM852", "cp852"},
    Answer{"IBM855", "cp855"},
    Answer{"KOI8-R", "KOI8-R"},
    Answer{"WINDOWS-1250", "windows-1250"},
    Answer{"ISO-8859-2", "windows-1250"},
    Answer{"WINDOWS-1251", "windows-1251"},
    Answer{"WINDOWS-1252", "windows-1252"},
    Answer{"ISO-8859-1", "windows-1252"},
    Answer{"ISO-8859-15", "windows-1252"},
    Answer{"WINDOWS-1253", "windows-1253"},
    Answer{"ISO-8859-7", "windows-1253"},
    Answer{"WINDOWS-1254", "windows-1254"},
    Answer{"ISO-8859-9", "windows-1254"},
    Answer{"WINDOWS-1255", "windows-1255"},
    Answer{"ISO-8859-8", "windows-1255"},
    Answer{"WINDOWS-1256", "windows-1256"},
    Answer{"WINDOWS-1257", "windows-1257"},
    Answer{"ISO-8859-13", "windows-1257"},
    Answer{"WINDOWS-1258", "windows-1258"},
    Answer{"GB18030", "cp936"},
    Answer{"GB2312", "cp936"},
    Answer{"BIG5", "cp950"},
    Answer{"SHIFT_JIS", "windows-31j"},
    Answer{"EUC-JP", "EUC-JP"},
    Answer{"EUC-KR", "cp949"},
    Answer{"UHC", "cp949"},
};

struct DetectorCloser {
    void operator()(uchardet_t detector) const { uchardet_delete(detector); }
};

std::string_view Detect(std::string_view sample) {
    thread_local std::string name;
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, DetectorCloser> detector(
        uchardet_new());
    if (!detector || uchardet_handle_data(detector.get(), sample.data(), sample.size()) != 0)
        return {};
    uchardet_data_end(detector.get());
    name = uchardet_get_charset(detector.get());
    return name;
}

// Western text in a DOS code page is what the detector misses (it answers with a
// Macintosh or a Nordic ISO code page): there its accented letters stand in 0x80 to
// 0xA5, where a Windows code page keeps punctuation or nothing.
bool LooksLikeWesternDos(std::string_view sample) {
    std::size_t dosLetters = 0;
    std::size_t windowsLetters = 0;
    for (const char c : sample) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0xA5)
            ++dosLetters;
        else if (byte >= 0xC0)
            ++windowsLetters;
    }
    return dosLetters > windowsLetters;
}

// An ISO code page leaves 0x80 to 0x9F to control characters no text holds, and a
// Western one is what the detector takes Western DOS text for: either answer, for text
// with DOS letters, is a near miss for a DOS code page.
bool NearMissForDos(std::string_view detected, std::string_view sample) {
    const bool western =
        detected == "WINDOWS-1252" || detected == "ISO-8859-1" || detected == "ISO-8859-15";
    if (western)
        return LooksLikeWesternDos(sample);
    return detected.starts_with("ISO-8859-") &&
           std::any_of(sample.begin(), sample.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte >= 0x80 && byte <= 0x9F;
           });
}

} // namespace

std::string GuessCodePage(std::string_view sample) {
    // A few letters tell no code page from another (one word in windows-1252 reads as
    // well in cp852): below this the fallback stays, still as a guess.
    constexpr std::ptrdiff_t kFewestBytes = 8;
    if (std::count_if(sample.begin(), sample.end(),
                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) < kFewestBytes)
        return {};
    const std::string_view detected = Detect(sample);
    const auto* answer = std::find_if(kAnswers.begin(), kAnswers.end(), [&](const Answer& known) {
        return known.detected == detected;
    });
    if (answer != kAnswers.end() && !NearMissForDos(detected, sample))
        return answer->codePage;
    if (LooksLikeWesternDos(sample))
        return "cp850";
    return {};
}

} // namespace tabrivel::dbf
