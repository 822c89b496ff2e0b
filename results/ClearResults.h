#pragma once

namespace tabrivel {

class Prompts;
class ResultsListModel;

// Clear Results: empties the results list, also while a conversion runs; the run then
// goes on appending to the emptied list.
void ClearResults(Prompts& prompts, ResultsListModel& results);

} // namespace tabrivel
