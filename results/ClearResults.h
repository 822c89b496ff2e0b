#pragma once

#include <array>

class QString;

namespace tabrivel {

// The numbered step of PushButton9_Click, as the error box names it.
enum class ClearResultsStep {
    RemoveAllRows = 100,
};

constexpr std::array<ClearResultsStep, 1> DeclaredSteps(ClearResultsStep) {
    using enum ClearResultsStep;
    return {RemoveAllRows};
}

class Prompts;
class ResultsListModel;

// Clear Results: empties the results list, also while a conversion runs; the run then
// goes on appending to the emptied list.
// Failures are reported under `location`.
void ClearResults(Prompts& prompts, ResultsListModel& results, const QString& location);

} // namespace tabrivel
