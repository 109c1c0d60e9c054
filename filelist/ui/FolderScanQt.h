#pragma once
// "Add All File(s) In Folder" and the list's drops and drags, wired to the files page.
#include <QString>

#include "app/ui/AppContext.h"

class QWidget;

namespace quillmere {

class Form2;

// The directory-only dialog of the folder scan, opened at `start`: the chosen folder, or the
// empty text when cancelled.
QString ChooseFolder(QWidget* parent, const QString& prompt, const QString& start);

// Runs the folder scan on the page with the context's boxes, settings and folder dialog.
void RunFolderScan(Form2& page, const AppContext& context);

// Makes "Add All File(s) In Folder" run the folder scan, and lets the page's file list take
// dropped files and folders and reorder its entries by dragging.
void AttachFolderScanDropAndDrag(Form2& page, const AppContext& context);

}  // namespace quillmere
