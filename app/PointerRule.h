#pragma once
// The pointer rule shared by both pages: moving the mouse over a push button shows the page's
// hand pointer, over the page background and a few named controls the arrow, over anything else
// nothing changes; and nothing changes at all while the page is busy (the hourglass).
#include "import/RunEnvironment.h"

namespace quillmere {

enum class PointerZone {
    Hand,       // push buttons
    Arrow,      // the page background, frames, text boxes and options the rule names
    Unchanged,  // every other control: the pointer stays as the last rule left it
};

void ApplyPointerRule(PagePointer& pointer, PointerZone zone);

inline bool IsBusy(const PagePointer& pointer) {
    return pointer.Get() == kPointerBusy;
}

}  // namespace quillmere
