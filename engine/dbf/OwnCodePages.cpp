#include "engine/dbf/OwnCodePages.h"

namespace tabrivel::dbf {
namespace {

// The upper halves of two DOS code pages that ICU does not carry. Both keep the box
// drawing and Greek of code page 437 from B0 on and put their own letters below it.

// Kamenický: Czech and Slovak letters.
constexpr UpperHalf kKamenicky = {
    u'\u010C', u'\u00FC', u'\u00E9', u'\u010F', u'\u00E4', u'\u010E', u'\u0164', u'\u010D', // 80
    u'\u011B', u'\u011A', u'\u0139', u'\u00CD', u'\u013E', u'\u013A', u'\u00C4', u'\u00C1', // 88
    u'\u00C9', u'\u017E', u'\u017D', u'\u00F4', u'\u00F6', u'\u00D3', u'\u016F', u'\u00DA', // 90
    u'\u00FD', u'\u00D6', u'\u00DC', u'\u0160', u'\u013D', u'\u00DD', u'\u0158', u'\u0165', // 98
    u'\u00E1', u'\u00ED', u'\u00F3', u'\u00FA', u'\u0148', u'\u0147', u'\u016E', u'\u00D4', // A0
    u'\u0161', u'\u0159', u'\u0155', u'\u0154', u'\u00BC', u'\u00A7', u'\u00AB', u'\u00BB', // A8
    u'\u2591', u'\u2592', u'\u2593', u'\u2502', u'\u2524', u'\u2561', u'\u2562', u'\u2556', // B0
    u'\u2555', u'\u2563', u'\u2551', u'\u2557', u'\u255D', u'\u255C', u'\u255B', u'\u2510', // B8
    u'\u2514', u'\u2534', u'\u252C', u'\u251C', u'\u2500', u'\u253C', u'\u255E', u'\u255F', // C0
    u'\u255A', u'\u2554', u'\u2569', u'\u2566', u'\u2560', u'\u2550', u'\u256C', u'\u2567', // C8
    u'\u2568', u'\u2564', u'\u2565', u'\u2559', u'\u2558', u'\u2552', u'\u2553', u'\u256B', // D0
    u'\u256A', u'\u2518', u'\u250C', u'\u2588', u'\u2584', u'\u258C', u'\u2590', u'\u2580', // D8
    u'\u03B1', u'\u00DF', u'\u0393', u'\u03C0', u'\u03A3', u'\u03C3', u'\u00B5', u'\u03C4', // E0
    u'\u03A6', u'\u0398', u'\u03A9', u'\u03B4', u'\u221E', u'\u03C6', u'\u03B5', u'\u2229', // E8
    u'\u2261', u'\u00B1', u'\u2265', u'\u2264', u'\u2320', u'\u2321', u'\u00F7', u'\u2248', // F0
    u'\u00B0', u'\u2219', u'\u00B7', u'\u221A', u'\u207F', u'\u00B2', u'\u25A0', u'\u00A0', // F8
};

// Mazovia: Polish letters in place of some Western ones of code page 437.
constexpr UpperHalf kMazovia = {
    u'\u00C7', u'\u00FC', u'\u00E9', u'\u00E2', u'\u00E4', u'\u00E0', u'\u0105', u'\u00E7', // 80
    u'\u00EA', u'\u00EB', u'\u00E8', u'\u00EF', u'\u00EE', u'\u0107', u'\u00C4', u'\u0104', // 88
    u'\u0118', u'\u0119', u'\u0142', u'\u00F4', u'\u00F6', u'\u0106', u'\u00FB', u'\u00F9', // 90
    u'\u015A', u'\u00D6', u'\u00DC', u'\u00A2', u'\u0141', u'\u00A5', u'\u015B', u'\u0192', // 98
    u'\u0179', u'\u017B', u'\u00F3', u'\u00D3', u'\u0144', u'\u0143', u'\u017A', u'\u017C', // A0
    u'\u00BF', u'\u2310', u'\u00AC', u'\u00BD', u'\u00BC', u'\u00A1', u'\u00AB', u'\u00BB', // A8
    u'\u2591', u'\u2592', u'\u2593', u'\u2502', u'\u2524', u'\u2561', u'\u2562', u'\u2556', // B0
    u'\u2555', u'\u2563', u'\u2551', u'\u2557', u'\u255D', u'\u255C', u'\u255B', u'\u2510', // B8
    u'\u2514', u'\u2534', u'\u252C', u'\u251C', u'\u2500', u'\u253C', u'\u255E', u'\u255F', // C0
    u'\u255A', u'\u2554', u'\u2569', u'\u2566', u'\u2560', u'\u2550', u'\u256C', u'\u2567', // C8
    u'\u2568', u'\u2564', u'\u2565', u'\u2559', u'\u2558', u'\u2552', u'\u2553', u'\u256B', // D0
    u'\u256A', u'\u2518', u'\u250C', u'\u2588', u'\u2584', u'\u258C', u'\u2590', u'\u2580', // D8
    u'\u03B1', u'\u00DF', u'\u0393', u'\u03C0', u'\u03A3', u'\u03C3', u'\u00B5', u'\u03C4', // E0
    u'\u03A6', u'\u0398', u'\u03A9', u'\u03B4', u'\u221E', u'\u03C6', u'\u03B5', u'\u2229', // E8
    u'\u2261', u'\u00B1', u'\u2265', u'\u2264', u'\u2320', u'\u2321', u'\u00F7', u'\u2248', // F0
    u'\u00B0', u'\u2219', u'\u00B7', u'\u221A', u'\u207F', u'\u00B2', u'\u25A0', u'\u00A0', // F8
};

} // namespace

const UpperHalf* OwnUpperHalfOfLanguageDriver(std::uint8_t languageDriver) {
    switch (languageDriver) {
    case 0x68:
        return &kKamenicky;
    case 0x69:
        return &kMazovia;
    default:
        return nullptr;
    }
}

} // namespace tabrivel::dbf
