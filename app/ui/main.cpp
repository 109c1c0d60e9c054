// The desktop program: the database page is the first window; its load steps carry the start.
#include <QApplication>

#include "app/ApplicationError.h"
#include "app/ui/DesktopContext.h"
#include "app/ui/ProgramEnd.h"
#include "app/ui/WidgetMapFile.h"
#include "app/ui/WindowHelpers.h"
#include "app/ui/WindowPlacement.h"
#include "database/ui/Form1.h"
#include "options/ui/Form2.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setOrganizationName(QStringLiteral("Vantrell"));
    QApplication::setWindowIcon(quillmere::ApplicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    quillmere::StartWidgetMapFileFromEnvironment(&application);

    auto desktop = quillmere::MakeDesktopContext();
    quillmere::Form1* pages = nullptr;
    quillmere::EndProgramOnClose(desktop->context, [&pages] {
        return pages != nullptr && pages->HasFilesPage() && pages->FilesPage().CommandsLocked();
    });

    quillmere::Form1 form1(desktop->context);
    pages = &form1;
    if (!form1.Load()) {
        return 0;  // the provider check failed: no page is shown
    }
    if (!(form1.HasFilesPage() && form1.FilesPage().isVisible())) {
        quillmere::ShowCentred(&form1);
    }
    return QApplication::exec();
}
