// The desktop program: the database page is the first window; its load steps carry the start.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "accessdb/Database.h"
#include "app/ApplicationError.h"
#include "app/ui/DesktopContext.h"
#include "app/ui/WindowHelpers.h"
#include "database/ui/Form1.h"
#include "options/ui/Form2.h"

namespace {
bool importRunning = false;
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setOrganizationName(QStringLiteral("Vantrell"));
    QApplication::setWindowIcon(quillmere::ApplicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);

    auto desktop = quillmere::MakeDesktopContext();
    desktop->context.runImport = [](quillmere::RunEnvironment environment) {
        struct Running {
            Running() { importRunning = true; }
            ~Running() { importRunning = false; }
        } running;
        quillmere::RunImportToEnd(std::move(environment));
    };
    // Closing either page ends the program at once. In the middle of an import the run sits
    // below the event loop pass that handles the close, so the process ends right there. The
    // engine holds the last statements in memory until it writes them as a group: they are
    // written (and the database closed) first, so every statement already executed is in the
    // file.
    desktop->context.endProgram = [] {
        if (importRunning) {
            accessdb::CloseDatabasesForExit();
            std::fflush(nullptr);
            std::_Exit(0);
        }
        QCoreApplication::exit(0);
    };

    quillmere::Form1 form1(desktop->context);
    if (!form1.Load()) {
        return 0;  // the provider check failed: no page is shown
    }
    if (!(form1.HasFilesPage() && form1.FilesPage().isVisible())) {
        form1.show();
    }
    return QApplication::exec();
}
