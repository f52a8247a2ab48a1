#pragma once
// Scripted answers for tests, pick lists included: a pick walks the view to the chosen row.
#include <deque>
#include <string>
#include <vector>

#include "framework/answer.h"

namespace tavlo {

class ScriptedAnswers : public ScriptedDialogs {
  public:
    std::deque<int> picks; // rows chosen in pick lists, counted from the first; -1 leaves
    std::vector<std::string> listsShown;

    bool pickFromList(ViewManager& view, const PickList& list) override;
};

} // namespace tavlo
