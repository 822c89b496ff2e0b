#pragma once

#include <string>
#include <string_view>

namespace tabrivel::dbf {

// Appends the UTF-8 form of UTF-16LE `bytes`, as some writers store wide-character
// fields. The text ends at the first U+0000, as the writers pad with it; a lone
// surrogate or an odd last byte becomes U+FFFD.
void AppendUtf16Le(std::string_view bytes, std::string& out);

} // namespace tabrivel::dbf
