#include "options/ui/Form2.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "app/ApplicationError.h"
#include "app/ProgramFolder.h"
#include "app/TrappedStep.h"
#include "app/ui/PagePointerQt.h"
#include "app/ui/WindowHelpers.h"
#include "app/ui/WindowPlacement.h"
#include "database/ConnectionString.h"
#include "database/ui/Form1.h"
#include "filelist/FileListCommands.h"
#include "filelist/FileSystemPath.h"
#include "filelist/SampleFiles.h"
#include "filelist/ui/FileListView.h"
#include "filelist/ui/FolderScanQt.h"
#include "filelist/ui/QtPathText.h"
#include "options/SettingConversion.h"
#include "options/SettingKeys.h"
#include "options/ui/TableListAdapter.h"

namespace quillmere {
namespace {
constexpr std::string_view kPage = "Form2";
constexpr int kFileColumnTwips = 6500;
constexpr auto kYieldInterval = std::chrono::milliseconds(10);

constexpr std::string_view kForgotValue = "You forgot to input a value.";
constexpr std::string_view kAppendHelp =
    "If you are using the \"Append\" feature, make sure the number of columns in the CSV file "
    "match the number of columns in the table.\r\rAlso when appending, the data types (such as "
    "Text, Memo, Number, Date/Time, etc.) of the CSV file and table must be the same. In other "
    "words, you can't import characters in a CSV file to a Number field in MS Access";

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

Form2::Form2(AppContext context, Form1& databasePage)
    : context_(std::move(context)), databasePage_(databasePage) {
    setObjectName(QStringLiteral("Form2"));
    UsePageFontFamily(this);
    BuildControls();
    ConnectHandlers();
    MarkPointerZones();
    AttachFolderScanDropAndDrag(*this, context_);
}

Form2::~Form2() {
    // The list outlives nothing that could still tell the view about changes.
    files_.SetObserver(nullptr);
}

void Form2::BuildControls() {
    auto* grid = new QGridLayout(this);
    BuildFileArea(grid);
    BuildOptionArea(grid);
    auto* bottom = new QHBoxLayout();
    pushButton5_ = Button("PushButton5", "< Back", this);
    pushButton1_ = Button("PushButton1", "Start Importing", this);
    bottom->addWidget(pushButton5_);
    bottom->addStretch(1);
    bottom->addWidget(pushButton1_);
    grid->addLayout(bottom, 4, 0, 1, 2);
    // The design size; on a smaller screen the page shrinks, and the list with it.
    resize(800, 740);
}

void Form2::BuildFileArea(QGridLayout* grid) {
    listView1_ = new FileListView(files_, this);
    listView1_->setMinimumHeight(72);
    grid->addWidget(listView1_, 0, 0);

    auto* buttons = new QVBoxLayout();
    pushButton3_ = Button("PushButton3", "Add CSV File(s)", this);
    pushButton4_ = Button("PushButton4", "Add All File(s) In Folder", this);
    pushButton10_ = Button("PushButton10", "Load Sample/Example Files", this);
    pushButton2_ = Button("PushButton2", "Move Up", this);
    pushButton7_ = Button("PushButton7", "Move Down", this);
    pushButton9_ = Button("PushButton9", "Clear List", this);
    for (auto* button :
         {pushButton3_, pushButton4_, pushButton10_, pushButton2_, pushButton7_, pushButton9_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 1);

    statusLine_ = Named(new QLabel(this), "StatusLine");
    statusLine_->setTextFormat(Qt::PlainText);
    grid->addWidget(statusLine_, 1, 0, 1, 2);
}

void Form2::BuildOptionArea(QGridLayout* grid) {
    frame6_ = Named(new QGroupBox(QStringLiteral("CSV Delimiter"), this), "Frame6");
    auto* delimiters = new QHBoxLayout(frame6_);
    option11_ = Named(new QRadioButton(QStringLiteral("Comma"), frame6_), "Option11");
    option12_ = Named(new QRadioButton(QStringLiteral("Comma-space"), frame6_), "Option12");
    option13_ = Named(new QRadioButton(QStringLiteral("Semicolon"), frame6_), "Option13");
    option14_ = Named(new QRadioButton(QStringLiteral("Tab"), frame6_), "Option14");
    option15_ = Named(new QRadioButton(QStringLiteral("Other"), frame6_), "Option15");
    text4_ = Named(new QLineEdit(QStringLiteral("|"), frame6_), "Text4");
    text4_->setMaximumWidth(80);
    delimiterGroup_ = new QButtonGroup(this);
    for (auto* option : {option11_, option12_, option13_, option14_, option15_}) {
        delimiters->addWidget(option);
        delimiterGroup_->addButton(option);
    }
    delimiters->addWidget(text4_);
    delimiters->addStretch(1);
    option11_->setChecked(true);
    grid->addWidget(frame6_, 2, 0, 1, 2);

    frame2_ = Named(new QGroupBox(QStringLiteral("Create / Append Options"), this), "Frame2");
    auto* modeGrid = new QGridLayout(frame2_);
    option1_ = Named(new QRadioButton(QStringLiteral("Create New Table From CSV File"), frame2_),
                     "Option1");
    option2_ =
        Named(new QRadioButton(QStringLiteral("Append To Existing Table Using CSV File"), frame2_),
              "Option2");
    modeGroup_ = new QButtonGroup(this);
    modeGroup_->addButton(option1_);
    modeGroup_->addButton(option2_);
    option1_->setChecked(true);
    modeGrid->addWidget(option1_, 0, 0);
    modeGrid->addWidget(option2_, 0, 1);

    frame3_ = Named(new QGroupBox(QStringLiteral("Create Options"), frame2_), "Frame3");
    auto* createGrid = new QGridLayout(frame3_);
    option3_ =
        Named(new QRadioButton(
                  QStringLiteral("First line in file will be used to create table column names"),
                  frame3_),
              "Option3");
    option4_ =
        Named(new QRadioButton(
                  QStringLiteral("You will specify columns names after clicking 'Start'"), frame3_),
              "Option4");
    option5_ = Named(
        new QRadioButton(QStringLiteral("Create columns names automatically"), frame3_), "Option5");
    text1_ = Named(new QLineEdit(QString::fromUtf8(settings::kText1Default.data(),
                                                   settings::kText1Default.size()),
                                 frame3_),
                   "Text1");
    label5_ = Named(new QLabel(QStringLiteral("Table Name:"), frame3_), "Label5");
    text2_ = Named(new QLineEdit(QString::fromUtf8(settings::kText2Default.data(),
                                                   settings::kText2Default.size()),
                                 frame3_),
                   "Text2");
    namingGroup_ = new QButtonGroup(this);
    for (auto* option : {option3_, option4_, option5_}) {
        namingGroup_->addButton(option);
    }
    option3_->setChecked(true);
    createGrid->addWidget(option3_, 0, 0, 1, 2);
    createGrid->addWidget(option4_, 1, 0, 1, 2);
    createGrid->addWidget(option5_, 2, 0);
    createGrid->addWidget(text1_, 2, 1);
    createGrid->addWidget(label5_, 3, 0, Qt::AlignRight);
    createGrid->addWidget(text2_, 3, 1);
    createGrid->setColumnStretch(1, 1);
    // The long captions of both option frames need the page's whole width: one above the other.
    modeGrid->addWidget(frame3_, 1, 0, 1, 2);

    frame4_ = Named(new QGroupBox(QStringLiteral("Append Options"), frame2_), "Frame4");
    auto* appendGrid = new QGridLayout(frame4_);
    check2_ = Named(
        new QCheckBox(
            QStringLiteral("Ignore first line in file because it is a header row (title row)"),
            frame4_),
        "Check2");
    label2_ = Named(new QLabel(QStringLiteral("Append To This Table:"), frame4_), "Label2");
    pushButton8_ = Button("PushButton8", "?", frame4_);
    pushButton8_->setMaximumWidth(32);
    list1_ = Named(new QListWidget(frame4_), "List1");
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    list1_->setMinimumHeight(60);
    list1_->setMaximumHeight(96);
    appendGrid->addWidget(check2_, 0, 0, 1, 3);
    appendGrid->addWidget(label2_, 1, 0, Qt::AlignTop);
    appendGrid->addWidget(list1_, 1, 1);
    appendGrid->addWidget(pushButton8_, 1, 2, Qt::AlignTop);
    appendGrid->setColumnStretch(1, 1);
    modeGrid->addWidget(frame4_, 2, 0, 1, 2);
    grid->addWidget(frame2_, 3, 0, 1, 2);
    grid->setRowStretch(0, 1);

    // Design-time state: create mode.
    frame4_->setEnabled(false);
    check2_->setEnabled(false);
    label2_->setEnabled(false);
    list1_->setEnabled(false);
}

void Form2::ConnectHandlers() {
    connect(option1_, &QRadioButton::clicked, this, [this] { SaveModeOptions("Option1_Click"); });
    connect(option2_, &QRadioButton::clicked, this, [this] { SaveModeOptions("Option2_Click"); });
    connect(option3_, &QRadioButton::clicked, this, [this] { SaveNamingOptions("Option3_Click"); });
    connect(option4_, &QRadioButton::clicked, this, [this] { SaveNamingOptions("Option4_Click"); });
    connect(option5_, &QRadioButton::clicked, this, [this] { SaveNamingOptions("Option5_Click"); });
    const std::pair<QRadioButton*, const char*> delimiterHandlers[] = {
        {option11_, "Option11_Click"},
        {option12_, "Option12_Click"},
        {option13_, "Option13_Click"},
        {option14_, "Option14_Click"},
        {option15_, "Option15_Click"}};
    for (const auto& [option, handler] : delimiterHandlers) {
        connect(option, &QRadioButton::clicked, this,
                [this, handler = handler] { SaveDelimiterOptions(handler); });
    }
    connect(check2_, &QCheckBox::toggled, this, [this](bool ticked) {
        SaveOrReport("Check2_Click", [&] {
            context_.settings->SaveSetting(std::string(settings::kCheck2), ticked ? "1" : "0");
        });
    });
    const std::tuple<QLineEdit*, const char*, std::string_view> texts[] = {
        {text1_, "Text1_Change", settings::kText1},
        {text2_, "Text2_Change", settings::kText2},
        {text4_, "Text4_Change", settings::kOther}};
    for (const auto& [box, handler, key] : texts) {
        connect(box, &QLineEdit::textChanged, this,
                [this, handler = handler, key = std::string(key)](const QString& text) {
                    SaveOrReport(handler,
                                 [&] { context_.settings->SaveSetting(key, text.toStdString()); });
                });
    }
    text4_->installEventFilter(this);

    connect(pushButton1_, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(pushButton2_, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(pushButton3_, &QPushButton::clicked, this, &Form2::PushButton3_Click);
    connect(pushButton4_, &QPushButton::clicked, this, &Form2::PushButton4_Click);
    connect(pushButton5_, &QPushButton::clicked, this, &Form2::PushButton5_Click);
    connect(pushButton7_, &QPushButton::clicked, this, &Form2::PushButton7_Click);
    connect(pushButton8_, &QPushButton::clicked, this, &Form2::PushButton8_Click);
    connect(pushButton9_, &QPushButton::clicked, this, &Form2::PushButton9_Click);
    connect(pushButton10_, &QPushButton::clicked, this, &Form2::PushButton10_Click);
    connect(listView1_, &FileListView::removeRequested, this, &Form2::ListView1_Remove);
}

void Form2::MarkPointerZones() {
    pointer_ = new WidgetPointer(this);
    for (auto* button : findChildren<QPushButton*>()) {
        WidgetPointer::SetZone(button, PointerZone::Hand);
    }
    for (QWidget* arrow :
         std::initializer_list<QWidget*>{frame2_, frame3_, frame4_, frame6_, list1_, text4_,
                                         option11_, option12_, option13_, option14_, option15_}) {
        WidgetPointer::SetZone(arrow, PointerZone::Arrow);
    }
    for (QWidget* same : std::initializer_list<QWidget*>{
             text1_, text2_, option1_, option2_, option3_, option4_, option5_, check2_, label2_,
             label5_, listView1_, statusLine_}) {
        WidgetPointer::SetZone(same, PointerZone::Unchanged);
    }
    pointer_->Watch();
    // The folder scan shows the hourglass for as long as it walks; the commands follow it.
    connect(pointer_, &WidgetPointer::pointerChanged, this, &Form2::UpdateCommandLock);
}

void Form2::RestoreOption(QRadioButton* button, const std::string& stored,
                          const std::function<void()>& clickHandler) {
    const bool selected = ToBoolean(stored);
    if (selected) {
        if (!button->isChecked()) {
            button->setChecked(true);
            clickHandler();
        }
        return;
    }
    // A stored false clears the button, which can leave its group without a selection.
    QButtonGroup* group = button->group();
    if (group != nullptr) {
        group->setExclusive(false);
    }
    button->setChecked(false);
    if (group != nullptr) {
        group->setExclusive(true);
    }
}

void Form2::Load() {
    Prompts& prompts = *context_.prompts;
    auto step = [&](int line, const std::function<void()>& body) {
        RunTrappedStep(prompts, kPage, "Form_Load", line, body);
    };
    auto get = [this](std::string_view key, std::string_view fallback) {
        return context_.settings->GetSetting(std::string(key), std::string(fallback));
    };
    step(1, [this] { ApplyFaceColour(this); });
    step(2, [this] { setWindowIcon(ApplicationIcon()); });
    step(3, [this] { pointer_->SetCustomImage(LoadHandCursor()); });
    step(4,
         [this] { setWindowTitle(QString::fromUtf8(kProductName.data(), kProductName.size())); });
    step(5, [this] { listView1_->SetUpColumn(TwipsToPixels(kFileColumnTwips, this)); });

    // Every restore runs on its own, so one value that cannot be converted leaves only its
    // control in the design state.
    using namespace settings;
    step(6, [&] {
        const int value = ToInteger(get(kCheck2, kFalseDefault));
        if (value != 0 && value != 1) {
            throw ConversionError(
                380, "Invalid property value: \"" + get(kCheck2, "") + "\" for Check2");
        }
        check2_->setChecked(value == 1);
    });
    step(6, [&] { text2_->setText(QString::fromStdString(get(kText2, kText2Default))); });
    auto modeClick = [this] { SaveModeOptions("Option1_Click"); };
    auto modeClick2 = [this] { SaveModeOptions("Option2_Click"); };
    step(6, [&] { RestoreOption(option1_, get(kOption1, kTrueDefault), modeClick); });
    step(6, [&] { RestoreOption(option2_, get(kOption2, kFalseDefault), modeClick2); });
    const std::tuple<QRadioButton*, std::string_view, std::string_view, const char*> naming[] = {
        {option3_, kOption3, kTrueDefault, "Option3_Click"},
        {option4_, kOption4, kFalseDefault, "Option4_Click"},
        {option5_, kOption5, kFalseDefault, "Option5_Click"}};
    for (const auto& [option, key, fallback, handler] : naming) {
        step(6, [&] {
            RestoreOption(option, get(key, fallback), [&] { SaveNamingOptions(handler); });
        });
    }
    step(6, [&] { text1_->setText(QString::fromStdString(get(kText1, kText1Default))); });
    const std::tuple<QRadioButton*, std::string_view, std::string_view, const char*> delimiters[] =
        {{option11_, kOption11, kTrueDefault, "Option11_Click"},
         {option12_, kOption12, kFalseDefault, "Option12_Click"},
         {option13_, kOption13, kFalseDefault, "Option13_Click"},
         {option14_, kOption14, kFalseDefault, "Option14_Click"},
         {option15_, kOption15, kFalseDefault, "Option15_Click"}};
    for (const auto& [option, key, fallback, handler] : delimiters) {
        step(6, [&] {
            RestoreOption(option, get(key, fallback), [&] { SaveDelimiterOptions(handler); });
        });
    }
    step(6, [&] { text4_->setText(QString::fromStdString(get(kOther, kOtherDefault))); });
}

void Form2::SaveOrReport(const char* handler, const std::function<void()>& save) {
    // The change and click handlers trap nothing else; a settings write that fails is reported
    // and the page goes on.
    RunTrappedStep(*context_.prompts, kPage, handler, 1, save);
}

void Form2::SaveModeOptions(const char* handler) {
    SaveOrReport(handler, [this] {
        context_.settings->SaveSetting(std::string(settings::kOption1),
                                       BooleanText(option1_->isChecked()));
        context_.settings->SaveSetting(std::string(settings::kOption2),
                                       BooleanText(option2_->isChecked()));
    });
    ApplyEnablingRules();
}

void Form2::SaveNamingOptions(const char* handler) {
    SaveOrReport(handler, [this] {
        const std::pair<std::string_view, QRadioButton*> keys[] = {{settings::kOption3, option3_},
                                                                   {settings::kOption4, option4_},
                                                                   {settings::kOption5, option5_}};
        for (const auto& [key, option] : keys) {
            context_.settings->SaveSetting(std::string(key), BooleanText(option->isChecked()));
        }
    });
}

void Form2::SaveDelimiterOptions(const char* handler) {
    SaveOrReport(handler, [this] {
        const std::pair<std::string_view, QRadioButton*> keys[] = {
            {settings::kOption11, option11_},
            {settings::kOption12, option12_},
            {settings::kOption13, option13_},
            {settings::kOption14, option14_},
            {settings::kOption15, option15_}};
        for (const auto& [key, option] : keys) {
            context_.settings->SaveSetting(std::string(key), BooleanText(option->isChecked()));
        }
    });
}

// Create mode enables the create-only controls and disables the append options; append mode
// the reverse. Option5, Text1, Frame3, Frame6 and Text4 stay as they are in both.
void Form2::ApplyEnablingRules() {
    bool create = false;
    if (option1_->isChecked()) {
        create = true;
    } else if (!option2_->isChecked()) {
        return;
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{option3_, option4_, label5_, text2_}) {
        widget->setEnabled(create);
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{frame4_, check2_, label2_, list1_}) {
        widget->setEnabled(!create);
    }
}

void Form2::FillTables(SessionFactory& sessions, const std::string& path,
                       const std::string& password) {
    TableListAdapter tables(*list1_);
    FillTableList(tables, sessions, path, password);
}

bool Form2::Busy() const {
    return IsBusy(*pointer_);
}

QString Form2::StatusText() const {
    return statusLine_->text();
}

std::string Form2::Delimiter() const {
    if (option11_->isChecked()) {
        return ",";
    }
    if (option12_->isChecked()) {
        return ", ";
    }
    if (option13_->isChecked()) {
        return ";";
    }
    if (option14_->isChecked()) {
        return "\t";
    }
    if (option15_->isChecked()) {
        return text4_->text().toStdString();
    }
    return {};
}

ImportMode Form2::Mode() const {
    if (option1_->isChecked()) {
        return ImportMode::CreateTables;
    }
    return option2_->isChecked() ? ImportMode::AppendToTable : ImportMode::None;
}

ColumnNaming Form2::Naming() const {
    if (option3_->isChecked()) {
        return ColumnNaming::FromFirstLine;
    }
    if (option4_->isChecked()) {
        return ColumnNaming::AskUser;
    }
    return option5_->isChecked() ? ColumnNaming::Automatic : ColumnNaming::None;
}

std::string Form2::TableNamePattern() const {
    return text2_->text().toStdString();
}

std::string Form2::FieldNamePattern() const {
    return text1_->text().toStdString();
}

bool Form2::SkipFirstLine() const {
    return check2_->isChecked();
}

std::optional<std::string> Form2::AppendTable() const {
    const auto selected = list1_->selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return selected.front()->text().toStdString();
}

void Form2::YieldToEvents() {
    // Letting the event loop run for every value would cost more than the import itself; a pass
    // at most every 10 ms, counted from the end of the last one, keeps the window painted and
    // usable and leaves the run its time even when a pass is slow.
    using Clock = std::chrono::steady_clock;
    auto nanosecondsNow = [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
            .count();
    };
    const long long interval =
        std::chrono::duration_cast<std::chrono::nanoseconds>(kYieldInterval).count();
    if (nanosecondsNow() - lastYieldNanoseconds_ < interval) {
        return;
    }
    QApplication::processEvents(QEventLoop::AllEvents);
    lastYieldNanoseconds_ = nanosecondsNow();
}

void Form2::ShowProgress(const ImportProgress& progress) {
    const QString name =
        QString::fromStdString(std::filesystem::path(progress.filePath).filename().string());
    statusLine_->setText(tr("Importing file %1 of %2: %3 (%4 rows)")
                             .arg(progress.fileNumber)
                             .arg(progress.fileCount)
                             .arg(name)
                             .arg(progress.rowsInFile));
}

// While a run or a folder scan yields to the event loop, a command that adds to, reorders or
// clears the list, leaves the page or starts a second run would act under it: those buttons are
// disabled for as long. The options stay live, because the run reads them file by file.
void Form2::UpdateCommandLock() {
    const bool lock = importing_ || Busy();
    if (lock == commandsLocked_) {
        return;
    }
    commandsLocked_ = lock;
    const std::initializer_list<QPushButton*> commands = {pushButton3_, pushButton4_, pushButton10_,
                                                          pushButton2_, pushButton7_, pushButton9_,
                                                          pushButton5_, pushButton1_};
    if (lock) {
        // A disabled button passes its focus on to the next control in the tab order, which can
        // be a text box with a lost-focus rule of its own; the list takes it instead, and it
        // goes back when the buttons are enabled again.
        QWidget* focused = focusWidget();
        if (focused != nullptr &&
            std::find(commands.begin(), commands.end(), focused) != commands.end()) {
            focusBeforeLock_ = focused;
            listView1_->setFocus(Qt::OtherFocusReason);
        }
    }
    for (QPushButton* button : commands) {
        button->setEnabled(!lock);
    }
    if (!lock && focusBeforeLock_ && focusWidget() == listView1_) {
        focusBeforeLock_->setFocus(Qt::OtherFocusReason);
    }
    if (!lock) {
        focusBeforeLock_.clear();
    }
}

void Form2::PushButton1_Click() {
    if (importing_) {
        return;  // a second click while the run yields is ignored
    }
    importing_ = true;
    UpdateCommandLock();
    TableListAdapter tables(*list1_);
    RunEnvironment environment;
    environment.options = this;
    environment.prompts = context_.prompts;
    environment.pointer = pointer_;
    environment.tables = &tables;
    environment.files = &files_;
    environment.sessions = context_.sessions;
    environment.connectionString = [this] {
        return BuildConnectionString(databasePage_.DatabasePath(), databasePage_.Password());
    };
    environment.yield = [this] { YieldToEvents(); };
    environment.progress = [this](const ImportProgress& progress) { ShowProgress(progress); };
    // What the run did stays on the status line until the next run.
    QString summary;
    environment.finished = [&summary](const ImportSummary& done) {
        summary = QString::fromStdString(SummaryText(done));
    };
    RunTrappedStep(*context_.prompts, kPage, "PushButton1_Click", 1, [&] {
        if (!context_.runImport) {
            throw std::runtime_error("The import is not available in this build.");
        }
        context_.runImport(environment);
    });
    statusLine_->setText(summary);
    importing_ = false;
    UpdateCommandLock();
}

void Form2::PushButton2_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton2_Click", 1, [this] {
        const MoveOutcome outcome = MoveSelectedUp(files_, Busy());
        if (outcome == MoveOutcome::MovedAndFocus) {
            listView1_->ScrollToSelected();
        }
        if (outcome != MoveOutcome::Nothing) {
            listView1_->setFocus();
        }
    });
}

void Form2::PushButton7_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton7_Click", 1, [this] {
        const MoveOutcome outcome = MoveSelectedDown(files_, Busy());
        if (outcome == MoveOutcome::MovedAndFocus) {
            listView1_->ScrollToSelected();
        }
        if (outcome != MoveOutcome::Nothing) {
            listView1_->setFocus();
        }
    });
}

void Form2::PushButton3_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton3_Click", 1, [this] {
        const QStringList chosen =
            context_.chooseCsvFiles ? context_.chooseCsvFiles(this) : QStringList();
        std::vector<std::string> paths;
        for (const auto& path : chosen) {
            paths.push_back(FromQtPath(path));
        }
        AddFullPaths(files_, paths);
    });
}

void Form2::PushButton4_Click() {
    if (folderScanHook_) {
        folderScanHook_(*this);
    }
}

void Form2::PushButton5_Click() {
    auto step = [this](int line, const std::function<void()>& body) {
        RunTrappedStep(*context_.prompts, kPage, "PushButton5_Click", line, body);
    };
    step(1, [this] { ShowInPlaceOf(&databasePage_, this); });
    step(2, [this] { hide(); });
}

void Form2::PushButton8_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton8_Click", 1, [this] {
        context_.prompts->ShowMessage(std::string(kAppendHelp), MessageButtons::Ok,
                                      MessageIcon::None);
    });
}

void Form2::PushButton9_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton9_Click", 1,
                   [this] { ClearList(files_, Busy()); });
}

void Form2::PushButton10_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton10_Click", 1, [this] {
        LoadSampleFiles(*context_.settings, files_, *context_.prompts, context_.openFolder,
                        FromFileSystemPath(ProgramFolder() / "Samples"));
    });
}

void Form2::ListView1_Remove() {
    RemoveSelected(files_, Busy() || commandsLocked_);
}

void Form2::Text4_LostFocus() {
    if (!text4_->text().isEmpty()) {
        return;
    }
    context_.prompts->ShowMessage(std::string(kForgotValue), MessageButtons::Ok, MessageIcon::None);
    text4_->setFocus();
}

void Form2::closeEvent(QCloseEvent* event) {
    event->accept();
    if (context_.endProgram) {
        context_.endProgram();
    }
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text4_ && event->type() == QEvent::FocusOut) {
        // Only a move of the focus inside the program counts; switching to another window does
        // not take the focus from the box in the page's eyes.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            Text4_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quillmere
