#pragma once
// The mouse pointer of a page: one value for the page and all its controls (0 arrow, 11
// hourglass, 99 the page's custom image), and the mouse-move rule that switches it.
#include <QCursor>
#include <QObject>
#include <optional>

#include "app/PointerRule.h"
#include "import/RunEnvironment.h"

class QWidget;

namespace quillmere {

class WidgetPointer : public QObject, public PagePointer {
    Q_OBJECT
  public:
    explicit WidgetPointer(QWidget* page);

    int Get() const override { return value_; }
    void Set(int pointer) override;

    // The page's custom pointer image (the hand cursor); none shows the arrow for 99.
    void SetCustomImage(std::optional<QCursor> cursor);
    bool HasCustomImage() const { return custom_.has_value(); }

    // Marks a control with its place in the pointer rule. Controls left unmarked take the zone
    // of the nearest marked parent; the page itself is Arrow.
    static void SetZone(QWidget* widget, PointerZone zone);
    // Turns on mouse tracking below the page and starts applying the rule. Call after the
    // page's controls exist.
    void Watch();

  signals:
    // After every Set, also when the value stays the same.
    void pointerChanged(int pointer);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    PointerZone ZoneAt(QWidget* widget) const;
    void ApplyCursor();

    QWidget* page_;
    int value_ = kPointerDefault;
    std::optional<QCursor> custom_;
};

}  // namespace quillmere
