#include "IcuCodePageNames.h"

#include <unicode/ucnv.h>

namespace tabrivel::fuzz {

std::uint16_t IcuConverterCount() {
    return static_cast<std::uint16_t>(ucnv_countAvailable());
}

std::string_view IcuCodePageName(std::uint16_t index) {
    const std::uint16_t converters = IcuConverterCount();
    if (converters == 0)
        return {};
    const char* name = ucnv_getAvailableName(index % converters);
    UErrorCode status = U_ZERO_ERROR;
    const std::uint16_t aliases = ucnv_countAliases(name, &status);
    if (U_FAILURE(status) || aliases == 0)
        return name;
    const char* alias =
        ucnv_getAlias(name, static_cast<std::uint16_t>(index / converters % aliases), &status);
    return U_SUCCESS(status) && alias ? alias : name;
}

} // namespace tabrivel::fuzz
