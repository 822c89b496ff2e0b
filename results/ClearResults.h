#pragma once

class QString;

namespace tabrivel {

class Prompts;
class ResultsListModel;

// Clear Results: empties the results list, also while a conversion runs; the run then
// goes on appending to the emptied list.
// Failures are reported under `location`.
void ClearResults(Prompts& prompts, ResultsListModel& results, const QString& location);

} // namespace tabrivel
