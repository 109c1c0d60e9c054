#pragma once
// The pointer and the keyboard of the X server, moved with xdotool as a user would (the events
// reach whichever window is under the pointer or has the focus, in any process). Each call waits
// for xdotool while the test's own event loop keeps running, so a window of the test itself can
// take part (a drag that starts in it, say).
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <string>

#include <gtest/gtest.h>

namespace quillmere::testing {

inline void Xdo(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.setProcessChannelMode(QProcess::ForwardedChannels);
    xdotool.start(QStringLiteral("xdotool"), arguments);
    ASSERT_TRUE(xdotool.waitForStarted(5000)) << "xdotool did not start";
    while (xdotool.state() != QProcess::NotRunning) {
        QTest::qWait(20);
    }
    EXPECT_EQ(xdotool.exitCode(), 0) << arguments.join(' ').toStdString();
}

inline QStringList MoveTo(QPoint at) {
    return {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())};
}

inline void ClickAt(QPoint at) {
    Xdo(MoveTo(at) + QStringList{QStringLiteral("click"), QStringLiteral("1")});
}

inline void TypeText(const std::string& text) {
    Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"),
         QString::fromStdString(text)});
}

inline void PressKey(const char* key) {
    Xdo({QStringLiteral("key"), QString::fromLatin1(key)});
}

// Presses the button at `from`, moves there in steps (a drag starts only after some movement,
// and the target sees the pointer enter), and releases it at `to`.
inline void DragWithPointer(QPoint from, QPoint to) {
    QStringList steps =
        MoveTo(from) + QStringList{QStringLiteral("mousedown"), QStringLiteral("1")};
    constexpr int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
        const QPoint at = from + (to - from) * i / kSteps;
        steps += MoveTo(at) + QStringList{QStringLiteral("sleep"), QStringLiteral("0.05")};
    }
    steps += QStringList{QStringLiteral("sleep"), QStringLiteral("0.3"), QStringLiteral("mouseup"),
                         QStringLiteral("1")};
    Xdo(steps);
}

}  // namespace quillmere::testing
