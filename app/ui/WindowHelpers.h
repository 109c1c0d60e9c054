#pragma once
// Helpers both pages share: the face colour, the optional window skin, the hand cursor.
#include <QCursor>
#include <QIcon>
#include <optional>

class QWidget;

namespace quillmere {

// The palette's button-face colour for the window and its option buttons, check boxes, frames
// and labels; other controls keep theirs.
void ApplyFaceColour(QWidget* window);

// When "x/o.cjs" is a file in the program folder: the face colour, then the file as the page's
// style sheet. False (and nothing changed) without the file.
bool ApplySkin(QWidget* page);

// The page's custom pointer from "HAND-M.CUR" in the program folder, with the hot spot of the
// file's header; none when the file is absent. Throws when the file is no valid cursor.
std::optional<QCursor> LoadHandCursor();

// The program's icon.
QIcon ApplicationIcon();

// Shrinks a label's or button's font in quarter points until its caption fits its width, so a
// substitute font wider than Arial never cuts a caption off.
void FitCaption(QWidget* control);

// The font family of both pages (Liberation Sans stands in for it where Arial is not installed).
inline constexpr const char* kPageFontFamily = "Arial";

// Gives the page, and so every control on it that sets no family of its own, the pages' family.
void UsePageFontFamily(QWidget* page);

// Twips (1/1440 inch) to pixels: 15 twips a pixel at 96 dpi, scaled with the screen's dpi.
int TwipsToPixels(int twips, const QWidget* widget);

}  // namespace quillmere
