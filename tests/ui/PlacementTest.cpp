// Where the pages open and how large: PlaceWithin on its own, and both pages on the 1024 x 700
// screen that the ui_small_screen test gives the offscreen platform (lower than the files page).
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include "app/ui/WindowPlacement.h"
#include "filelist/ui/FileListView.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::PageHarness;

TEST(PlaceWithin, CentresShrinksAndKeepsThePageOnItsScreen) {
    const QMargins frame(5, 30, 5, 5);
    const QRect second(1920, 0, 1280, 1024);  // a second screen to the right of the first
    // Fits: centred on the point, frame included.
    QRect placed = PlaceWithin({800, 740}, {200, 200}, frame, second.center(), second);
    EXPECT_EQ(placed.size(), QSize(800, 740));
    EXPECT_NEAR(placed.marginsAdded(frame).center().x(), second.center().x(), 1);
    EXPECT_NEAR(placed.marginsAdded(frame).center().y(), second.center().y(), 1);
    // Too tall: shrunk to the available height, frame and all.
    const QRect low(0, 0, 1280, 800);
    placed = PlaceWithin({800, 790}, {200, 200}, frame, low.center(), low);
    EXPECT_EQ(placed.marginsAdded(frame).height(), 800);
    EXPECT_TRUE(low.contains(placed.marginsAdded(frame)));
    // A centre near the edge moves the page inside.
    placed = PlaceWithin({400, 300}, {200, 200}, frame, QPoint(1270, 790), low);
    EXPECT_TRUE(low.contains(placed.marginsAdded(frame)));
    // Taller than the screen even at its minimum: the title bar stays on screen.
    placed = PlaceWithin({900, 900}, {900, 900}, frame, low.center(), low);
    EXPECT_EQ(placed.marginsAdded(frame).top(), low.top());
    EXPECT_EQ(placed.height(), 900);
}

class SmallScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        available = QGuiApplication::primaryScreen()->availableGeometry();
        if (available.size() != QSize(1024, 700)) {
            GTEST_SKIP() << "needs the 1024 x 700 screen of the ui_small_screen test";
        }
    }
    QRect available;
};

void ExpectCentredWithin(const QWidget& page, const QRect& available) {
    const QRect frame = page.frameGeometry();
    EXPECT_TRUE(available.contains(frame)) << page.objectName().toStdString();
    EXPECT_NEAR(frame.center().x(), available.center().x(), 1);
    EXPECT_NEAR(frame.center().y(), available.center().y(), 1);
}

TEST_F(SmallScreen, BothPagesFitCentredAndKeepTheirPlaceBetweenPages) {
    PageHarness h;
    h.Page1().Load();
    ShowCentred(&h.Page1());
    ExpectCentredWithin(h.Page1(), available);

    const std::string database = h.AddDatabase("shop.mdb", {});
    h.Find<QLineEdit>(h.Page1(), "Text1")->setText(QString::fromStdString(database));
    h.Page1().PushButton3_Click();
    Form2& page = h.Page2();
    ASSERT_TRUE(page.isVisible());
    // The page shrinks to the screen, its list with it; every control stays inside.
    EXPECT_LT(page.height(), 740);
    const QRect frame = page.frameGeometry();
    EXPECT_TRUE(available.contains(frame));
    EXPECT_NEAR(frame.center().x(), available.center().x(), 1);
    EXPECT_NEAR(frame.center().y(), available.center().y(), 1);
    for (const char* name : {"PushButton1", "PushButton5", "Frame2", "Frame6"}) {
        const QWidget* control = h.Find<QWidget>(page, name);
        const QRect inPage(control->mapTo(&page, QPoint(0, 0)), control->size());
        EXPECT_TRUE(page.rect().contains(inPage)) << name;
    }
    EXPECT_GE(page.ListView1().height(), page.ListView1().minimumHeight());

    // The user moves the window; "< Back" and "Next >" keep it where it is now.
    page.move(frame.topLeft() - QPoint(40, 0));
    const QPoint centre = page.frameGeometry().center();
    page.PushButton5_Click();
    ASSERT_TRUE(h.Page1().isVisible());
    EXPECT_NEAR(h.Page1().frameGeometry().center().x(), centre.x(), 1);
    EXPECT_NEAR(h.Page1().frameGeometry().center().y(), centre.y(), 1);
    h.Page1().PushButton3_Click();
    EXPECT_NEAR(page.frameGeometry().center().x(), centre.x(), 1);
    EXPECT_NEAR(page.frameGeometry().center().y(), centre.y(), 1);
}

}  // namespace
}  // namespace quillmere
