#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tabrivel {

// The option a mistyped one most likely meant, as "--name", from the options' long and
// short names: a long name written with one dash (-names), or one at most a few letters
// away (--dialet, --no-semicolons). Empty when nothing is near enough to be a fair guess.
std::string SuggestedOption(std::string_view word, std::span<const std::string> names);

} // namespace tabrivel
