#include "filelist/FolderScan.h"

#include <functional>

#include "app/TrappedStep.h"
#include "import/RunEnvironment.h"
#include "options/SettingKeys.h"
#include "options/SettingsStore.h"

namespace quillmere {
namespace {

// Runs one numbered step of the command; a failure is reported and the command goes on.
void RunStep(FolderScanEnvironment& env, int number, const std::function<void()>& step) {
    RunTrappedStep(*env.prompts, "Form2", "PushButton4_Click", number, step);
}

const std::string kExtensionKey(settings::kExtension);
const std::string kLastFolderKey(settings::kLastFolder);

}  // namespace

void AddAllFilesInFolder(FolderScanEnvironment& env) {
    std::string answer;
    RunStep(env, 1, [&] {
        answer = env.prompts->AskInput(
            kExtensionPrompt,
            env.settings->GetSetting(kExtensionKey, std::string(settings::kExtensionDefault)));
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
