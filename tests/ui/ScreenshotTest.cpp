// Photographs of both pages and of a short message box, taken by the ui_screenshots test under
// Xvfb with a window manager (once at the design size, once at twice the scale). Elsewhere these
// tests skip.
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include <gtest/gtest.h>

#include "app/ApplicationTitle.h"
#include "app/ui/QtPrompts.h"
#include "app/ui/WindowPlacement.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::PageHarness;

class Screenshot : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* dir = std::getenv("QUILLMERE_SCREENSHOT_DIR");
        if (dir == nullptr || QGuiApplication::platformName() != QStringLiteral("xcb")) {
            GTEST_SKIP() << "taken by the ui_screenshots test, under Xvfb";
        }
        folder = dir;
    }

    // The window as the screen shows it, frame and title bar included.
    QImage Grab(QWidget& window) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(600);  // the window manager frames and places it
        const QRect frame = window.frameGeometry();
        return window.screen()
            ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
            .toImage();
    }
    void Save(const QImage& image, const char* name) {
        ASSERT_FALSE(image.isNull()) << name;
        const QString path = QString::fromStdString(folder + "/" + name);
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        std::printf("%s: %d x %d pixels\n", path.toLocal8Bit().constData(), image.width(),
                    image.height());
    }
    static void ExpectOnScreen(const QWidget& window) {
        EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()))
            << window.objectName().toStdString();
    }
    std::string folder;
};

TEST_F(Screenshot, BothPagesAndTheDoneBox) {
    PageHarness h;
    const std::string database = h.AddDatabase("shop.accdb", {{"TABLE", "Customers"}}, "secret");
    h.Page1().Load();
    h.Find<QLineEdit>(h.Page1(), "Text1")->setText(QString::fromStdString(database));
    h.Find<QLineEdit>(h.Page1(), "Text2")->setText("secret");
    ShowCentred(&h.Page1());
    Save(Grab(h.Page1()), "form1-database-page.png");
    ExpectOnScreen(h.Page1());

    h.Page1().PushButton3_Click();
    Form2& page = h.Page2();
    ASSERT_TRUE(page.isVisible()) << h.prompts.Texts().size();
    for (const char* path :
         {"/home/user/data/customers.csv", "/home/user/data/orders_semicolon.csv",
          "/home/someone/projects/quarterly-reports/2024/regional/north-east/warehouse-stock/"
          "exports/final/stock_tab_march.csv"}) {
        page.Files().Append(path);
    }
    page.Files().Select(2);
    Save(Grab(page), "form2-files-page.png");
    ExpectOnScreen(page);

    // The closing message of a run, with the application title over it.
    SetApplicationTitle("Quillmere");
    QImage box;
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        box = Grab(*shown);
        shown->accept();
    });
    QtPrompts().ShowMessage("Done.", MessageButtons::Ok, MessageIcon::None);
    Save(box, "done-box.png");
    SetApplicationTitle({});
}

}  // namespace
}  // namespace quillmere
