#include "framework/scriptedanswers.h"

#include "framework/viewmanager.h"

namespace tavlo {

bool ScriptedAnswers::pickFromList(ViewManager& view, const PickList& list)
{
    listsShown.push_back(list.caption);
    int row = picks.empty() ? -1 : picks.front();
    if (!picks.empty())
        picks.pop_front();
    if (row < 0)
        return false;
    view.RESET();
    for (int i = 0; i <= row; ++i)
        if (view.NEXT() != LEVEL_BENIGN)
            return false;
    return true;
}

} // namespace tavlo
