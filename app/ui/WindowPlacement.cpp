#include "app/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace quillmere {
namespace {

QMargins FrameOf(const QWidget* page) {
    if (page->isVisible()) {
        const QRect frame = page->frameGeometry();
        const QRect client = page->geometry();
        if (frame != client) {
            return {client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom()};
        }
    }
    return kAssumedFrame;
}

QScreen* ScreenOf(const QWidget* page) {
    QScreen* screen = page->screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

void Place(QWidget* page, QScreen* screen, QPoint centre, QMargins frame) {
    const QRect client =
        PlaceWithin(page->size(), page->minimumSize(), frame, centre, screen->availableGeometry());
    page->resize(client.size());
    // A window's position is that of its frame.
    page->move(client.topLeft() - QPoint(frame.left(), frame.top()));
}

void ShowAt(QWidget* page, QScreen* screen, QPoint centre) {
    if (screen == nullptr) {
        page->show();
        return;
    }
    if (page->windowHandle() != nullptr) {
        page->windowHandle()->setScreen(screen);
    }
    const QMargins frame = FrameOf(page);
    Place(page, screen, centre, frame);
    page->show();
    // Once shown, the page may know its real frame; placed again with it, it is centred exactly.
    const QMargins shownFrame = FrameOf(page);
    if (shownFrame != frame && shownFrame != kAssumedFrame) {
        Place(page, screen, centre, shownFrame);
    }
}

}  // namespace

QRect PlaceWithin(QSize clientSize, QSize minimum, QMargins frame, QPoint centre,
                  const QRect& available) {
    const QSize room = available.size().shrunkBy(frame);
    const QSize size = clientSize.boundedTo(room).expandedTo(minimum);
    QRect outer(QPoint(0, 0), size.grownBy(frame));
    outer.moveCenter(centre);
    // Inside the available area; a page larger than it (its minimum) keeps its top-left corner
    // on screen, so the title bar can still be reached.
    outer.moveLeft(
        std::max(available.left(), std::min(outer.left(), available.right() - outer.width() + 1)));
    outer.moveTop(
        std::max(available.top(), std::min(outer.top(), available.bottom() - outer.height() + 1)));
    return outer.marginsRemoved(frame);
}

void ShowCentred(QWidget* page) {
    QScreen* screen = ScreenOf(page);
    ShowAt(page, screen, screen != nullptr ? screen->availableGeometry().center() : QPoint());
}

void ShowInPlaceOf(QWidget* page, const QWidget* previous) {
    if (previous == nullptr || !previous->isVisible()) {
        ShowCentred(page);
        return;
    }
    ShowAt(page, ScreenOf(previous), previous->frameGeometry().center());
}

}  // namespace quillmere
