#pragma once
// For tests that drive the real program from outside (under Xvfb with xdotool): when the
// environment names a file in QUILLMERE_WIDGET_MAP, the program rewrites that file several times
// a second with every shown window, each named control's place on the screen, whether it is
// enabled and its caption, and the rows of every list. A test then finds the buttons by name
// rather than by pixels, and sees the program's state without reaching into the process.
//
// One line per item, fields separated by tabs (tabs and line breaks in texts become blanks):
//   window  NAME CLASS X Y WIDTH HEIGHT TITLE
//   control WINDOW NAME CLASS X Y WIDTH HEIGHT ENABLED(0|1) TEXT
//   row     LIST INDEX TEXT   (the whole path where the row shows a shortened one)
// Places are in screen pixels. The file is replaced whole each time, never seen half-written.
class QObject;

namespace quillmere {

// Starts the rewriting when QUILLMERE_WIDGET_MAP is set; does nothing otherwise.
void StartWidgetMapFileFromEnvironment(QObject* owner);

}  // namespace quillmere
