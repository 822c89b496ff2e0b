#include "OptionSuggestion.h"

#include <algorithm>
#include <vector>

namespace tabrivel {
namespace {

// Edits between two names, a swap of neighbours counting as one: the typing slips people
// make (a letter left out, doubled, swapped or mistaken).
std::size_t Distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

} // namespace

std::string SuggestedOption(std::string_view word, std::span<const std::string> names) {
    const bool oneDash = !word.starts_with("--");
    word.remove_prefix(std::min(word.find_first_not_of('-'), word.size()));
    word = word.substr(0, word.find('='));
    if (word.empty())
        return {};
    if (oneDash && word.size() > 1 && std::ranges::find(names, word) != names.end())
        return "--" + std::string(word);
    const std::size_t nearEnough = std::max<std::size_t>(1, word.size() / 3);
    const std::string* best = nullptr;
    std::size_t bestDistance = nearEnough + 1;
    for (const std::string& name : names) {
        const std::size_t distance = Distance(word, name);
        if (name.size() > 1 && distance < bestDistance) {
            best = &name;
            bestDistance = distance;
        }
    }
    return best ? "--" + *best : std::string();
}

} // namespace tabrivel
