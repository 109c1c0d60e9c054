// The desktop program: the database page is the first window; its load steps carry the start.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "accessdb/Database.h"
#include "app/ApplicationError.h"
#include "app/ui/DesktopContext.h"
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

    auto desktop = quillmere::MakeDesktopContext();
    // Closing either page ends the program at once. In the middle of an import or a folder scan
    // the work sits below the event loop pass that handles the close, so the process ends right
    // there. The engine holds the last statements in memory until it writes them as a group: they
    // are written (and the database closed) first, so every statement already executed is in the
    // file; every setting was written when it changed.
    quillmere::Form1* pages = nullptr;
    desktop->context.endProgram = [&pages] {
        if (pages != nullptr && pages->HasFilesPage() && pages->FilesPage().CommandsLocked()) {
            accessdb::CloseDatabasesForExit();
            std::fflush(nullptr);
            std::_Exit(0);
        }
        QCoreApplication::exit(0);
    };

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
