#include "filelist/DragReorder.h"

#include "import/RunEnvironment.h"

namespace quillmere {

int DragScrollTarget(int hit, int count, const ListViewport& viewport) {
    if (hit < 1 || hit > count || viewport.rowHeight <= 0) {
        return 0;
    }
    if (viewport.pointerY < viewport.rowHeight && hit >= 2) {
        return hit - 1;
    }
    if (viewport.pointerY > viewport.height - viewport.rowHeight && hit < count) {
        return hit + 1;
    }
    return 0;
}

void DragReorder::MouseDown(bool onEntry) {
    held_ = true;
    if (!onEntry) {
        Remember(0);
    }
}

void DragReorder::ItemClick() {
    cursor_ = ListCursor::Drag;
    Remember(list_.Selected());
}

DragStep DragReorder::MouseMove(int hit, const ListViewport& viewport) {
    if (pagePointer_ && pagePointer_->Get() != kPointerBusy) {
        pagePointer_->Set(kPointerDefault);
    }
    DragStep step;
    if (!held_) {
        return step;
    }
    const int dragged = DraggedEntry();
    if (hit < 1 || hit > list_.Count() || dragged == 0) {
        return step;
    }
    if (list_.Entry(hit) == list_.Entry(dragged)) {
        return step;  // the dragged entry itself, or a duplicate path
    }
    const std::string moving = list_.Entry(dragged);
    list_.SetEntry(dragged, list_.Entry(hit));
    list_.SetEntry(hit, moving);
    list_.Select(hit);
    Remember(hit);
    step.swapped = true;
    step.scrollTo = DragScrollTarget(hit, list_.Count(), viewport);
    return step;
}

void DragReorder::MouseUp() {
    held_ = false;
    cursor_ = ListCursor::Arrow;
}

int DragReorder::DraggedEntry() const {
    if (dragged_ < 1 || dragged_ > list_.Count() || draggedVersion_ != list_.PositionsVersion()) {
        return 0;
    }
    return dragged_;
}

void DragReorder::Remember(int position) {
    dragged_ = position;
    draggedVersion_ = list_.PositionsVersion();
}

}  // namespace quillmere
