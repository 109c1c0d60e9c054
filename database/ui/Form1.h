#pragma once
// The database page: the Access file and its password, remembered between runs; "Next >" reads
// the database's tables into the files page and moves on to it.
#include <QWidget>
#include <memory>
#include <string>

#include "app/ui/AppContext.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillmere {

class Form2;
class WidgetPointer;

class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(AppContext context);
    ~Form1() override;

    // The load steps. False when the provider check failed and the program has to end.
    bool Load();

    // The current path and password, as the catalogue and the import run read them.
    std::string DatabasePath() const;
    std::string Password() const;

    // The files page, created and loaded on first use.
    Form2& FilesPage();
    bool HasFilesPage() const { return form2_ != nullptr; }
    WidgetPointer& Pointer() { return *pointer_; }
    const AppContext& Context() const { return context_; }

    void PushButton1_Click();  // "Load Sample/Example Database"
    void PushButton3_Click();  // "Next >"
    void PushButton5_Click();  // "..."

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void Place(QWidget* widget, int left, int top, int width, int height);
    void SaveText(const char* handler, std::string_view key, const QString& text);

    AppContext context_;
    QGroupBox* frame1_ = nullptr;
    QLabel* label5_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QPushButton* pushButton5_ = nullptr;
    QLabel* lblPassword_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPushButton* pushButton1_ = nullptr;
    QPushButton* pushButton3_ = nullptr;
    WidgetPointer* pointer_ = nullptr;
    std::unique_ptr<Form2> form2_;
};

}  // namespace quillmere
