#include "database/ui/Form1.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/ApplicationError.h"
#include "app/ApplicationTitle.h"
#include "app/FileExistsByDate.h"
#include "app/ProgramFolder.h"
#include "app/TrappedStep.h"
#include "app/ui/PagePointerQt.h"
#include "app/ui/WindowHelpers.h"
#include "app/ui/WindowPlacement.h"
#include "database/ProviderCheck.h"
#include "database/TableCatalogue.h"
#include "filelist/FileSystemPath.h"
#include "options/SettingKeys.h"
#include "options/ui/Form2.h"

namespace quillmere {
namespace {
constexpr std::string_view kPage = "Form1";
constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 2085;

QFont ArialBold(double points) {
    QFont font(QString::fromLatin1(kPageFontFamily));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}
}  // namespace

Form1::Form1(AppContext context) : context_(std::move(context)) {
    setObjectName(QStringLiteral("Form1"));
    BuildControls();
}

Form1::~Form1() = default;

void Form1::Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsToPixels(left, this), TwipsToPixels(top, this),
                        TwipsToPixels(width, this), TwipsToPixels(height, this));
}

void Form1::BuildControls() {
    UsePageFontFamily(this);
    setFixedSize(TwipsToPixels(kClientWidth, this), TwipsToPixels(kClientHeight, this));
    const QFont textFont = ArialBold(9);
    const QFont buttonFont = ArialBold(11.25);

    frame1_ = new QGroupBox(QStringLiteral("Access Database"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFont(textFont);
    Place(frame1_, 120, 120, 7800, 1335);

    label5_ = new QLabel(QStringLiteral("MDB or ACCDB File:"), frame1_);
    label5_->setObjectName(QStringLiteral("Label5"));
    Place(label5_, 240, 345, 1935, 255);

    text1_ = new QLineEdit(frame1_);
    text1_->setObjectName(QStringLiteral("Text1"));
    Place(text1_, 2280, 300, 4695, 345);

    pushButton5_ = new QPushButton(QStringLiteral("..."), frame1_);
    pushButton5_->setObjectName(QStringLiteral("PushButton5"));
    pushButton5_->setFont(buttonFont);
    Place(pushButton5_, 7080, 300, 450, 345);

    lblPassword_ = new QLabel(QStringLiteral("Password (if required):"), frame1_);
    lblPassword_->setObjectName(QStringLiteral("lblPassword"));
    Place(lblPassword_, 240, 840, 1950, 225);

    text2_ = new QLineEdit(frame1_);
    text2_->setObjectName(QStringLiteral("Text2"));
    text2_->setEchoMode(QLineEdit::Password);
    // Every character of the password shows as "*", whatever the style's own mask is.
    text2_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Place(text2_, 2280, 800, 5265, 345);

    pushButton1_ = new QPushButton(QStringLiteral("Load Sample/Example Database"), this);
    pushButton1_->setObjectName(QStringLiteral("PushButton1"));
    pushButton1_->setFont(buttonFont);
    Place(pushButton1_, 120, 1575, 3840, 405);

    pushButton3_ = new QPushButton(QStringLiteral("Next >"), this);
    pushButton3_->setObjectName(QStringLiteral("PushButton3"));
    pushButton3_->setFont(buttonFont);
    Place(pushButton3_, 4080, 1575, 3840, 405);

    for (auto* label : {label5_, lblPassword_}) {
        label->setFont(textFont);
    }
    for (auto* box : {text1_, text2_}) {
        box->setFont(textFont);
        box->installEventFilter(this);
    }
    for (auto* button : {pushButton1_, pushButton3_, pushButton5_}) {
        button->setAutoDefault(false);
    }

    for (QWidget* captioned : std::initializer_list<QWidget*>{label5_, lblPassword_, pushButton1_,
                                                              pushButton3_, pushButton5_}) {
        FitCaption(captioned);
    }

    setTabOrder(text1_, pushButton3_);
    setTabOrder(pushButton3_, text2_);
    setTabOrder(text2_, pushButton5_);
    setTabOrder(pushButton5_, pushButton1_);
    text1_->setFocus();

    connect(text1_, &QLineEdit::textChanged, this,
            [this](const QString& text) { SaveText("Text1_Change", settings::kDatabase, text); });
    connect(text2_, &QLineEdit::textChanged, this,
            [this](const QString& text) { SaveText("Text2_Change", settings::kPassword, text); });
    connect(pushButton1_, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(pushButton3_, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(pushButton5_, &QPushButton::clicked, this, &Form1::PushButton5_Click);

    pointer_ = new WidgetPointer(this);
    for (auto* button : {pushButton1_, pushButton3_, pushButton5_}) {
        WidgetPointer::SetZone(button, PointerZone::Hand);
    }
    for (QWidget* arrow : std::initializer_list<QWidget*>{frame1_, text1_, text2_}) {
        WidgetPointer::SetZone(arrow, PointerZone::Arrow);
    }
    for (auto* label : {label5_, lblPassword_}) {
        WidgetPointer::SetZone(label, PointerZone::Unchanged);
    }
    pointer_->Watch();
}

bool Form1::Load() {
    Prompts& prompts = *context_.prompts;
    auto step = [&](int line, const std::function<void()>& body) {
        return RunTrappedStep(prompts, kPage, "Form_Load", line, body);
    };
    step(1, [this] { ApplySkin(this); });
    step(2, [this] {
        setWindowTitle(QString::fromStdString(std::string(kProductName)));
        setWindowIcon(ApplicationIcon());
    });
    step(3, [] { SetApplicationTitle(MakeApplicationTitle(kProductName)); });
    step(4, [this] { pointer_->SetCustomImage(LoadHandCursor()); });
    step(5, [this] {
        text1_->setText(QString::fromStdString(
            context_.settings->GetSetting(std::string(settings::kDatabase), "")));
        text2_->setText(QString::fromStdString(
            context_.settings->GetSetting(std::string(settings::kPassword), "")));
    });
    bool providerFound = false;
    step(6,
         [&] { providerFound = CheckProvider(*context_.sessions, prompts, context_.openAddress); });
    if (!providerFound) {
        if (context_.endProgram) {
            context_.endProgram();
        }
        return false;
    }
    step(7, [this] {
        if (FileExistsByDate(DatabasePath())) {
            PushButton3_Click();
        }
    });
    return true;
}

std::string Form1::DatabasePath() const {
    return text1_->text().toStdString();
}

std::string Form1::Password() const {
    return text2_->text().toStdString();
}

Form2& Form1::FilesPage() {
    if (!form2_) {
        form2_ = std::make_unique<Form2>(context_, *this);
        form2_->Load();
    }
    return *form2_;
}

void Form1::SaveText(const char* handler, std::string_view key, const QString& text) {
    // A settings write that fails is reported and typing goes on.
    RunTrappedStep(*context_.prompts, kPage, handler, 1,
                   [&] { context_.settings->SaveSetting(std::string(key), text.toStdString()); });
}

void Form1::PushButton1_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton1_Click", 1, [this] {
        text1_->setText(QString::fromStdString(
            FromFileSystemPath(ProgramFolder() / "Samples2" / "sample.mdb")));
    });
}

void Form1::PushButton3_Click() {
    Prompts& prompts = *context_.prompts;
    auto step = [&](int line, const std::function<void()>& body) {
        return RunTrappedStep(prompts, kPage, "PushButton3_Click", line, body);
    };
    const std::string path = DatabasePath();
    const std::string password = Password();
    std::optional<std::vector<std::string>> catalogue;
    // A database that cannot be read is reported and the page stays.
    if (!step(1, [&] { catalogue = ListUserTables(*context_.sessions, path, password); })) {
        return;
    }
    if (!catalogue) {
        return;
    }
    step(3, [&] { FilesPage().FillTables(*context_.sessions, path, password); });
    step(4, [this] {
        ShowInPlaceOf(&FilesPage(), this);
        FilesPage().raise();
        FilesPage().activateWindow();
    });
    step(5, [this] { hide(); });
}

void Form1::PushButton5_Click() {
    RunTrappedStep(*context_.prompts, kPage, "PushButton5_Click", 4, [this] {
        const QString chosen =
            context_.chooseDatabaseFile ? context_.chooseDatabaseFile(this) : QString();
        if (!chosen.isEmpty()) {
            text1_->setText(chosen);
        }
    });
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    if (context_.endProgram) {
        context_.endProgram();
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            box->selectAll();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quillmere
