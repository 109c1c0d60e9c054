#include "app/ui/PagePointerQt.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace quillmere {
namespace {
constexpr const char* kZoneProperty = "quillmerePointerZone";
}

WidgetPointer::WidgetPointer(QWidget* page) : QObject(page), page_(page) {}

void WidgetPointer::Set(int pointer) {
    value_ = pointer;
    ApplyCursor();
    emit pointerChanged(pointer);
}

void WidgetPointer::SetCustomImage(std::optional<QCursor> cursor) {
    custom_ = std::move(cursor);
    if (value_ == kPointerCustom) {
        ApplyCursor();
    }
}

void WidgetPointer::SetZone(QWidget* widget, PointerZone zone) {
    widget->setProperty(kZoneProperty, static_cast<int>(zone));
}

void WidgetPointer::Watch() {
    page_->setMouseTracking(true);
    page_->installEventFilter(this);
    for (auto* child : page_->findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

PointerZone WidgetPointer::ZoneAt(QWidget* widget) const {
    for (QWidget* w = widget; w != nullptr && w != page_; w = w->parentWidget()) {
        const QVariant zone = w->property(kZoneProperty);
        if (zone.isValid()) {
            return static_cast<PointerZone>(zone.toInt());
        }
    }
    return PointerZone::Arrow;
}

bool WidgetPointer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
        // The rule belongs to the control under the mouse, not to a parent the move event was
        // passed on to.
        auto* mouse = static_cast<QMouseEvent*>(event);
        QWidget* under = page_->childAt(page_->mapFromGlobal(mouse->globalPosition().toPoint()));
        ApplyPointerRule(*this, ZoneAt(under != nullptr ? under : page_));
    }
    return false;
}

// The page and every control show the page's pointer while it is the hourglass or the hand;
// the arrow value gives each control back its own cursor (text boxes keep their I-beam).
void WidgetPointer::ApplyCursor() {
    const auto widgets = page_->findChildren<QWidget*>();
    if (value_ == kPointerDefault) {
        page_->unsetCursor();
        for (auto* w : widgets) {
            w->unsetCursor();
        }
        return;
    }
    QCursor cursor(Qt::ArrowCursor);
    if (value_ == kPointerBusy) {
        cursor = QCursor(Qt::WaitCursor);
    } else if (value_ == kPointerCustom && custom_) {
        cursor = *custom_;
    }
    page_->setCursor(cursor);
    for (auto* w : widgets) {
        w->setCursor(cursor);
    }
}

}  // namespace quillmere
