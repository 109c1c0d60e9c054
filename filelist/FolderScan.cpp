#include "filelist/FolderScan.h"

#include <exception>

#include "app/ApplicationError.h"
#include "import/RunEnvironment.h"
#include "options/SettingsStore.h"

namespace quillmere {
namespace {

// Runs one numbered step of the command; a failure is reported and the command goes on.
template <typename Step>
void RunStep(FolderScanEnvironment& env, int number, Step&& step) {
    try {
        step();
    } catch (const std::exception& e) {
        ReportApplicationError(*env.prompts, e.what(),
                               HandlerLocation("Form2", "PushButton4_Click"), number);
    }
}

}  // namespace

void AddAllFilesInFolder(FolderScanEnvironment& env) {
    std::string answer;
    RunStep(env, 1, [&] {
        answer = env.prompts->AskInput(kExtensionPrompt,
                                       env.settings->GetSetting(kExtensionKey, kExtensionDefault));
    });
    if (answer.empty()) {
        return;  // also a cancelled box: nothing is saved
    }
    RunStep(env, 3, [&] { env.settings->SaveSetting(kExtensionKey, answer); });

    std::string folder;
    RunStep(env, 4, [&] {
        folder =
            env.chooser->ChooseFolder(kFolderPrompt, env.settings->GetSetting(kLastFolderKey, ""));
    });
    if (folder.empty()) {
        return;
    }
    RunStep(env, 6, [&] { env.settings->SaveSetting(kLastFolderKey, folder); });

    RunStep(env, 7, [&] { env.pointer->Set(kPointerBusy); });
    // "*" gives "*.*", which matches every file; the answer is used as typed.
    RunStep(env, 8, [&] { AddFolderFiles(folder, "*." + answer, *env.files, env.walk); });
    RunStep(env, 9, [&] { env.pointer->Set(kPointerDefault); });
}

}  // namespace quillmere
