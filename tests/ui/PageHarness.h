#pragma once
// Builds the two pages around fakes: settings in memory, an in-memory engine, recorded boxes,
// scripted dialogs, a recorded end of the program.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ProgramFolder.h"
#include "app/ui/AppContext.h"
#include "app/ui/DesktopContext.h"
#include "database/ui/Form1.h"
#include "options/ui/Form2.h"
#include "support/FakeDatabase.h"
#include "support/FakePrompts.h"
#include "support/MemorySettings.h"
#include "support/TempFolder.h"

namespace quillmere::testing {

// The recorded boxes, with a look at the pages at the moment each message box shows.
class ObservedPrompts : public FakePrompts {
  public:
    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                              const std::string& caption) override {
        if (onMessage) {
            onMessage(text);
        }
        return FakePrompts::ShowMessage(text, buttons, icon, caption);
    }
    std::function<void(const std::string& text)> onMessage;
};

// Moves the mouse over a control of a page (or its background), as the window system would.
inline void MoveOver(QWidget& page, QWidget* control, QPoint at = QPoint(2, 2)) {
    QWidget* target = control != nullptr ? control : &page;
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

class PageHarness {
  public:
    PageHarness() {
        context.settings = &settings;
        context.sessions = &sessions;
        context.prompts = &prompts;
        context.openAddress = [this](const std::string& a) { openedAddresses.push_back(a); };
        context.openFolder = [this](const std::string& f) {
            openedFolders.push_back(f);
            return folderOpens;
        };
        context.chooseDatabaseFile = [this](QWidget*) { return nextDatabaseChoice; };
        context.chooseCsvFiles = [this](QWidget*) { return nextCsvChoice; };
        context.endProgram = [this] { ++programEnds; };
        // The pages copy the context when they are made; tests swap the run at any time.
        context.runImport = [this](RunEnvironment environment) { run(std::move(environment)); };
        // A program folder of the test's own, so cursors and samples are under control.
        OverrideProgramFolder(folder.Path());
    }
    ~PageHarness() { OverrideProgramFolder({}); }

    // A database the fake engine knows, as a real file so the presence test finds it.
    std::string AddDatabase(const std::string& name,
                            std::vector<std::pair<std::string, std::string>> rows,
                            const std::string& password = "") {
        const std::string path = folder.Write(name, "stand-in");
        sessions.files[path] = {password, std::move(rows), std::nullopt};
        return path;
    }

    Form1& Page1() {
        if (!form1) {
            form1 = std::make_unique<Form1>(context);
        }
        return *form1;
    }
    Form2& Page2() { return Page1().FilesPage(); }

    template <typename T>
    T* Find(QWidget& page, const char* name) {
        T* widget = page.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TempFolder folder;
    MemorySettingsStore settings;
    FakeSessionFactory sessions;
    ObservedPrompts prompts;
    AppContext context;
    std::vector<std::string> openedAddresses;
    std::vector<std::string> openedFolders;
    bool folderOpens = true;  // what the desktop answers when asked to open a folder
    QString nextDatabaseChoice;
    QStringList nextCsvChoice;
    int programEnds = 0;
    std::function<void(RunEnvironment)> run = RunImportToEnd;
    std::unique_ptr<Form1> form1;
};

}  // namespace quillmere::testing
