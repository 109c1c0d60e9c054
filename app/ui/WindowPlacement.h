#pragma once
// Where the pages stand: each opens centred on the screen that holds it, never larger than the
// screen's available area (a page that does not fit shrinks to it), and moving from one page to
// the other keeps the window's place: the new page takes the old one's centre.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

namespace quillmere {

// The frame a window manager adds around a page that has not been shown yet (a title bar and
// thin borders); a page on screen uses its real frame.
inline constexpr QMargins kAssumedFrame{6, 32, 6, 6};

// The client geometry for a page of `clientSize` whose frame is `frame`: the frame centred on
// `centre`, shrunk to `available` where it is larger (never below `minimum`) and moved inside it.
QRect PlaceWithin(QSize clientSize, QSize minimum, QMargins frame, QPoint centre,
                  const QRect& available);

// Shows the page centred on its screen.
void ShowCentred(QWidget* page);

// Shows the page on the screen of `previous`, centred where `previous` stands.
void ShowInPlaceOf(QWidget* page, const QWidget* previous);

}  // namespace quillmere
