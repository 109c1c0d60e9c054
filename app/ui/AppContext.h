#pragma once
// What the two pages need from outside: the settings store, the database engine, the boxes,
// the desktop shell, the dialogs and the way to end the program. The program fills it with the
// real ones (DesktopContext); the window tests fill it with fakes.
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "app/Prompts.h"
#include "database/DatabaseSession.h"
#include "import/RunEnvironment.h"
#include "options/SettingsStore.h"

class QWidget;

namespace quillmere {

struct AppContext {
    SettingsStore* settings = nullptr;
    SessionFactory* sessions = nullptr;
    Prompts* prompts = nullptr;
    // Hands a web address or a folder to the desktop's default handler; openFolder answers
    // false when the desktop could not open the folder.
    std::function<void(const std::string&)> openAddress;
    std::function<bool(const std::string&)> openFolder;
    // The open-file dialog of the database page's "...": the chosen file, empty when cancelled.
    std::function<QString(QWidget* parent)> chooseDatabaseFile;
    // The open-file dialog of "Add CSV File(s)": full paths, empty when cancelled.
    std::function<QStringList(QWidget* parent)> chooseCsvFiles;
    // The directory-only dialog of "Add All File(s) In Folder", opened at the start folder:
    // the chosen folder, empty when cancelled.
    std::function<QString(QWidget* parent, const QString& prompt, const QString& start)>
        chooseFolder;
    // Runs an import to its end (the import run of "Start Importing").
    std::function<void(RunEnvironment)> runImport;
    // Ends the whole program at once.
    std::function<void()> endProgram;
};

}  // namespace quillmere
