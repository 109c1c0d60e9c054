#include "filelist/ui/FolderScanQt.h"

#include <QFileDialog>
#include <stdexcept>

#include "app/ui/PagePointerQt.h"
#include "filelist/FolderScan.h"
#include "filelist/ui/FileListDragReorder.h"
#include "filelist/ui/FileListDrop.h"
#include "filelist/ui/FileListView.h"
#include "filelist/ui/FolderWalkHooksQt.h"
#include "filelist/ui/QtPathText.h"
#include "options/ui/Form2.h"

namespace quillmere {
namespace {

// The context's folder dialog, owned by the page.
class PageFolderChooser : public FolderChooser {
  public:
    PageFolderChooser(QWidget& page, const AppContext& context) : page_(page), context_(context) {}
    std::string ChooseFolder(const std::string& prompt, const std::string& start) override {
        if (!context_.chooseFolder) {
            throw std::runtime_error("No folder dialog is available.");
        }
        const QString chosen =
            context_.chooseFolder(&page_, QString::fromStdString(prompt), ToQtPath(start));
        return FromQtPath(chosen);
    }

  private:
    QWidget& page_;
    const AppContext& context_;
};

}  // namespace

QString ChooseFolder(QWidget* parent, const QString& prompt, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, prompt, start, QFileDialog::ShowDirsOnly);
}

void RunFolderScan(Form2& page, const AppContext& context) {
    PageFolderChooser chooser(page, context);
    FolderScanEnvironment environment;
    environment.prompts = context.prompts;
    environment.settings = context.settings;
    environment.chooser = &chooser;
    environment.pointer = &page.Pointer();
    environment.files = &page.Files();
    environment.walk = MakeWindowFolderWalkHooks(*context.prompts);
    AddAllFilesInFolder(environment);
}

void AttachFolderScanDropAndDrag(Form2& page, const AppContext& context) {
    page.SetFolderScanHook([context](Form2& scanned) { RunFolderScan(scanned, context); });
    auto locked = [&page] { return page.CommandsLocked(); };
    new FileListDrop(page.ListView1(), page.Files(), MakeWindowFolderWalkHooks(*context.prompts),
                     locked);
    new FileListDragReorder(page.ListView1(), page.Files(), &page.Pointer(), locked);
}

}  // namespace quillmere
