#pragma once
// The files page: the file list with its commands, the import options (restored from and saved
// to the settings store the moment they change), "< Back" and "Start Importing".
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/ui/AppContext.h"
#include "filelist/FileList.h"
#include "import/RunEnvironment.h"

class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quillmere {

class FileListView;
class Form1;
class TableListAdapter;
class WidgetPointer;

class Form2 : public QWidget, public OptionSource {
    Q_OBJECT
  public:
    Form2(AppContext context, Form1& databasePage);
    ~Form2() override;

    // The load steps; run once, when the page is first needed.
    void Load();
    // Clears List1 and fills it with the database's user tables (errors raised unchanged).
    void FillTables(SessionFactory& sessions, const std::string& path, const std::string& password);

    FileList& Files() { return files_; }
    FileListView& ListView1() { return *listView1_; }
    WidgetPointer& Pointer() { return *pointer_; }
    // The settings, boxes and dialogs the page works with (for the folder scan hook).
    const AppContext& Context() const { return context_; }
    bool Busy() const;
    bool ImportInProgress() const { return importing_; }
    // True while an import runs or the page is busy (a folder scan): the commands that would
    // change the list or leave the page are disabled, and the list refuses drops and drags.
    bool CommandsLocked() const { return commandsLocked_; }
    // The status line under the list: progress while an import runs, then what the last run
    // did (empty before the first run).
    QString StatusText() const;

    // OptionSource: what the import run reads from the page.
    std::string Delimiter() const override;
    ImportMode Mode() const override;
    ColumnNaming Naming() const override;
    std::string TableNamePattern() const override;
    std::string FieldNamePattern() const override;
    bool SkipFirstLine() const override;
    std::optional<std::string> AppendTable() const override;

    // "Add All File(s) In Folder" runs this hook (the folder scan); nothing until one is set.
    void SetFolderScanHook(std::function<void(Form2&)> hook) { folderScanHook_ = std::move(hook); }

    // Handlers, named by control and event.
    void PushButton1_Click();   // "Start Importing"
    void PushButton2_Click();   // "Move Up"
    void PushButton3_Click();   // "Add CSV File(s)"
    void PushButton4_Click();   // "Add All File(s) In Folder"
    void PushButton5_Click();   // "< Back"
    void PushButton7_Click();   // "Move Down"
    void PushButton8_Click();   // "?"
    void PushButton9_Click();   // "Clear List"
    void PushButton10_Click();  // "Load Sample/Example Files"
    void ListView1_Remove();    // double-click or Delete key

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void BuildFileArea(QGridLayout* grid);
    void BuildOptionArea(QGridLayout* grid);
    void ConnectHandlers();
    void MarkPointerZones();

    void SaveOrReport(const char* handler, const std::function<void()>& save);
    void SaveModeOptions(const char* handler);
    void SaveNamingOptions(const char* handler);
    void SaveDelimiterOptions(const char* handler);
    void ApplyEnablingRules();
    void Text4_LostFocus();

    // Restores one option button: a stored true selects it (running its click handling when it
    // was not selected yet), a stored false clears it.
    void RestoreOption(QRadioButton* button, const std::string& stored,
                       const std::function<void()>& clickHandler);
    void YieldToEvents();
    void UpdateCommandLock();
    void ShowProgress(const ImportProgress& progress);

    AppContext context_;
    Form1& databasePage_;
    FileList files_;
    std::function<void(Form2&)> folderScanHook_;
    bool importing_ = false;
    bool commandsLocked_ = false;
    QPointer<QWidget> focusBeforeLock_;
    long long lastYieldNanoseconds_ = 0;

    FileListView* listView1_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QPushButton* pushButton1_ = nullptr;
    QPushButton* pushButton2_ = nullptr;
    QPushButton* pushButton3_ = nullptr;
    QPushButton* pushButton4_ = nullptr;
    QPushButton* pushButton5_ = nullptr;
    QPushButton* pushButton7_ = nullptr;
    QPushButton* pushButton8_ = nullptr;
    QPushButton* pushButton9_ = nullptr;
    QPushButton* pushButton10_ = nullptr;

    QGroupBox* frame6_ = nullptr;
    QRadioButton* option11_ = nullptr;
    QRadioButton* option12_ = nullptr;
    QRadioButton* option13_ = nullptr;
    QRadioButton* option14_ = nullptr;
    QRadioButton* option15_ = nullptr;
    QLineEdit* text4_ = nullptr;

    QGroupBox* frame2_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QRadioButton* option3_ = nullptr;
    QRadioButton* option4_ = nullptr;
    QRadioButton* option5_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLabel* label5_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QGroupBox* frame4_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QLabel* label2_ = nullptr;
    QListWidget* list1_ = nullptr;

    QButtonGroup* delimiterGroup_ = nullptr;
    QButtonGroup* modeGroup_ = nullptr;
    QButtonGroup* namingGroup_ = nullptr;
    WidgetPointer* pointer_ = nullptr;
};

}  // namespace quillmere
