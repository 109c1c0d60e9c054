#include "app/PointerRule.h"

namespace quillmere {

void ApplyPointerRule(PagePointer& pointer, PointerZone zone) {
    if (IsBusy(pointer)) {
        return;
    }
    switch (zone) {
        case PointerZone::Hand:
            pointer.Set(kPointerCustom);
            break;
        case PointerZone::Arrow:
            pointer.Set(kPointerDefault);
            break;
        case PointerZone::Unchanged:
            break;
    }
}

}  // namespace quillmere
