#pragma once
// Reordering the file list by dragging an entry with the mouse: while the button is held, the
// entry under the mouse and the dragged entry exchange their texts, so the dragged path travels
// with the mouse. Kept apart from the widget so that every step can be tested without a window.
#include "filelist/FileList.h"

namespace quillmere {

class PagePointer;

// The list's own pointer: the drag cursor from an entry click until the button is released.
enum class ListCursor { Arrow, Drag };

// Where the pointer is in the list's visible area, in pixels from its top edge.
struct ListViewport {
    int pointerY = 0;
    int height = 0;
    int rowHeight = 0;
};

// The entry to scroll into view while dragging, or 0: one row up when the pointer is within one
// row of the list's top edge and a row exists above the entry under it; one row down likewise at
// the bottom edge. `hit` is the entry under the pointer (1-based), `count` the number of entries.
int DragScrollTarget(int hit, int count, const ListViewport& viewport);

struct DragStep {
    bool swapped = false;
    int scrollTo = 0;  // entry to scroll into view, or 0
};

class DragReorder {
  public:
    // `pagePointer` may be null (no page pointer to reset).
    explicit DragReorder(FileList& list, PagePointer* pagePointer = nullptr)
        : list_(list), pagePointer_(pagePointer) {}

    // The button went down on the list; `onEntry` tells whether it went down on an entry. A press
    // beside the entries forgets the dragged entry, so it drags nothing.
    void MouseDown(bool onEntry);
    // An entry was clicked (after the list selected it): the selected entry becomes the dragged
    // entry and the list shows the drag cursor.
    void ItemClick();
    // The mouse moved; `hit` is the entry under it (1-based) or 0 for none.
    DragStep MouseMove(int hit, const ListViewport& viewport);
    void MouseUp();

    bool Held() const { return held_; }
    ListCursor Cursor() const { return cursor_; }
    // The entry that holds the dragged path now, or 0 when there is none or it was removed (or
    // moved by an insert or a remove) since it was remembered.
    int DraggedEntry() const;

  private:
    void Remember(int position);

    FileList& list_;
    PagePointer* pagePointer_;
    bool held_ = false;
    ListCursor cursor_ = ListCursor::Arrow;
    int dragged_ = 0;
    unsigned long long draggedVersion_ = 0;
};

}  // namespace quillmere
