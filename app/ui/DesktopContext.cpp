#include "app/ui/DesktopContext.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "app/ui/QtPrompts.h"
#include "filelist/ui/FolderScanQt.h"
#include "import/ImportRun.h"
#include "options/UserSettingsStore.h"

namespace quillmere {

// The dialogs are the system's own (on Windows its common dialogs); what they return is shown in
// the pages and passed to the program's path rules, both of which take the system's separators.
QString ChooseDatabaseFile(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Select Access Database"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The first filter takes every extension that ends in "db".
    dialog.setNameFilters({QStringLiteral("All Microsoft Databases (*.mdb;*.accdb) (*.*db)"),
                           QStringLiteral("Microsoft Database (*.mdb) (*.mdb)"),
                           QStringLiteral("Microsoft 2007 Database (*.accdb) (*.accdb)")});
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
}

QStringList ChooseCsvFiles(QWidget* parent) {
    QStringList chosen = QFileDialog::getOpenFileNames(
        parent, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"), QString(),
        QStringLiteral("CSV Files (*.csv)"));
    for (QString& path : chosen) {
        path = QDir::toNativeSeparators(path);
    }
    return chosen;
}

bool OpenFolderOnDesktop(const QString& folder) {
#ifdef _WIN32
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
#else
    // Qt only reports whether xdg-open could be started; without a file manager it starts and
    // then fails. Its exit status tells: a handler that takes a while to return is taken as
    // opened, and is left running.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(opener, {folder});
    if (!process->waitForStarted(5000)) {
        process->deleteLater();
        return false;
    }
    if (!process->waitForFinished(3000)) {
        return true;
    }
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
#endif
}

void RunImportToEnd(RunEnvironment environment) {
    ImportRun run(std::move(environment));
    run.Start();
}

std::unique_ptr<DesktopContext> MakeDesktopContext() {
    auto desktop = std::make_unique<DesktopContext>();
    desktop->settings = MakeUserSettingsStore();
    desktop->sessions = MakeEngineSessionFactory();
    desktop->prompts = std::make_unique<QtPrompts>();
    AppContext& context = desktop->context;
    context.settings = desktop->settings.get();
    context.sessions = desktop->sessions.get();
    context.prompts = desktop->prompts.get();
    context.openAddress = [](const std::string& address) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    };
    context.openFolder = [](const std::string& folder) {
        return OpenFolderOnDesktop(QString::fromStdString(folder));
    };
    context.chooseDatabaseFile = ChooseDatabaseFile;
    context.chooseCsvFiles = ChooseCsvFiles;
    context.chooseFolder = ChooseFolder;
    context.runImport = RunImportToEnd;
    return desktop;
}

}  // namespace quillmere
