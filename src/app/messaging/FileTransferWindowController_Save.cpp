#include "app/messaging/FileTransferWindowController.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/OpenPanel.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/UserDirectories.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

} // namespace

fs::path FileTransferWindowController::transferFolder() {
    std::string setting;
    if (const auto phone = StartupService::instance().phoneService())
        if (const auto root = phone->getPreferenceSettings())
            setting = root->sub("preferences")
                          ->sub("advanced")
                          ->sub("fileTransferLocation")
                          ->stringSetting();
    const fs::path folder =
        setting.empty() || platform::equalsIgnoringCase(setting, "%USER_HOME_FOLDER%")
            ? OrvantaExtensions::userDownloadFolder()
            : fs::path(setting);
    std::error_code error;
    if (!fs::is_directory(folder, error))
        fs::create_directories(folder, error);
    return folder;
}

void FileTransferWindowController::save(platform::Object* /*sender*/) {
    if (!_request || _request->state() != FileTransferRequest::stateWaitingForUser || _folderPanel)
        return;
    chooseFolder(transferFolder());
}

void FileTransferWindowController::chooseFolder(const fs::path& start) {
    auto panel = platform::OpenPanel::openPanel();
    panel->setCanChooseFiles(false);
    panel->setCanChooseDirectories(true);
    panel->setMessage("Select folder for transfered files:");
    panel->setDirectory(start);
    _folderPanel = panel;
    std::weak_ptr<FileTransferWindowController> weak = weak_from_this();
    panel->beginSheetModalForWindow(*_window, [weak, panel](int result) {
        // The panel goes on the next pass, after its own call has returned; the answer is
        // handled then too, so that a new sheet or alert finds the window free.
        platform::RunLoop::main().performAfterDelay(0, [weak, panel, result] {
            auto self = weak.lock();
            if (!self || self->_folderPanel != panel)
                return;
            self->_folderPanel.reset();
            if (result == platform::FileHandlingPanelOKButton)
                self->folderChosen(panel->filename());
        });
    });
}

std::vector<std::string> FileTransferWindowController::clashesIn(const fs::path& folder) const {
    std::vector<std::string> clashes;
    if (!_request)
        return clashes;
    for (const auto& item : _request->items()) {
        // The engine already keeps offered names to plain file names; the window does not
        // rely on it for what it asks about.
        const auto name = FileTransferRequest::safeFileName(item.name);
        std::error_code error;
        if (fs::exists(fs::symlink_status(folder / name, error)))
            clashes.push_back(name);
    }
    return clashes;
}

void FileTransferWindowController::folderChosen(const fs::path& folder) {
    if (!_request || _request->state() != FileTransferRequest::stateWaitingForUser)
        return;
    _savedPath = folder.string();
    std::error_code error;
    if (!fs::is_directory(folder, error) || ::access(folder.c_str(), W_OK | X_OK) != 0) {
        OrvantaExtensions::dialogOK(
            QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
            QXLS("msg.opt.dialog.message.readonly_path",
                 "The folder you chose is read only. Please pick another and save again."),
            platform::AlertStyle::Warning);
        chooseFolder(folder);
        return;
    }
    // Every clash is confirmed before anything happens; the files are replaced only when the
    // transfer completes, so a "No" here, a declined or a failed transfer costs nothing.
    for (const auto& name : clashesIn(folder)) {
        const bool overwrite = OrvantaExtensions::dialogYesNo(
            QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
            platform::formatString(QXLS("msg.opt.dialog.message.overwrite_file",
                                        "The file %@ already exist! Saving will overwrite the "
                                        "existing file. Continue?"),
                                   name),
            platform::AlertStyle::Warning);
        if (!overwrite) {
            chooseFolder(folder);
            return;
        }
        if (!_request || _request->state() != FileTransferRequest::stateWaitingForUser)
            return;
    }
    _request->accept(folder.string());
}
