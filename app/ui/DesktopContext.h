#pragma once
// The real outside world of the program: the settings file, our Access engine, Qt's boxes and
// dialogs, the desktop's default handlers.
#include <memory>

#include "app/ui/AppContext.h"

namespace quillmere {

struct DesktopContext {
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<SessionFactory> sessions;
    std::unique_ptr<Prompts> prompts;
    AppContext context;
};

// Everything but endProgram, which belongs to the program's main.
std::unique_ptr<DesktopContext> MakeDesktopContext();

// Asks the desktop to show a folder in its file manager; false when it could not.
bool OpenFolderOnDesktop(const QString& folder);

// Runs the import run of "Start Importing" to its end.
void RunImportToEnd(RunEnvironment environment);

// The open-file dialogs of the two pages.
QString ChooseDatabaseFile(QWidget* parent);
QStringList ChooseCsvFiles(QWidget* parent);

}  // namespace quillmere
