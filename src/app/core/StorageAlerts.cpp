#include "app/core/StorageAlerts.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/WindowServer.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"


namespace StorageAlerts {

void reportSettingsSaveFailures() {
    platform::UserDefaults::setSaveFailureHandler(
        [](const std::filesystem::path& /*file*/, const std::string& reason) {
            // Not from inside the save: that may run while the application quits or in a pass of
            // a modal loop; the warning waits for the ordinary loop.
            platform::RunLoop::main().performAfterDelay(0, [reason] {
                OrvantaExtensions::dialogOK(
                    QXLS("msg.opt.dialog.caption.settings_not_saved", "Settings Not Saved"),
                    platform::formatString(
                        QXLS("msg.opt.dialog.message.settings_not_saved",
                             "Your settings could not be saved (%@). Changes you make may be lost "
                             "when ${PRODUCT_NAME} quits; free some disk space or check the "
                             "folder's permissions."),
                        reason),
                    platform::AlertStyle::Warning);
            });
        });
}

std::optional<std::filesystem::path> moveStoreAside(const std::filesystem::path& storeFile,
                                                    std::string* error) {
    namespace fs = std::filesystem;
    const fs::path aside = platform::asideName(storeFile, "damaged");
    std::error_code code;
    auto& files = platform::FileManager::defaultManager();
    if (!files.moveItemAtPath(storeFile, aside, error))
        return std::nullopt;
    // A journal left under the old name would be played into the new database.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        fs::path side = storeFile;
        side += suffix;
        if (!fs::exists(fs::symlink_status(side, code)))
            continue;
        fs::path sideAside = aside;
        sideAside += suffix;
        if (!files.moveItemAtPath(side, sideAside))
            fs::remove(side, code);
    }
    return aside;
}

bool offerToStartAfresh(const std::string& reason, const std::filesystem::path& storeFile) {
    std::error_code code;
    const bool canMoveAside =
        !storeFile.empty() && std::filesystem::is_regular_file(storeFile, code);
    auto alert = platform::Alert::alert();
    alert->setAlertStyle(platform::AlertStyle::Critical);
    alert->setMessageText(QXLS("msg.opt.dialog.caption.store_failed",
                               "${PRODUCT_NAME} could not be started correctly"));
    std::string info = platform::formatString(
        QXLS("msg.opt.dialog.message.store_failed", "Its data store cannot be opened: %@."),
        reason);
    if (canMoveAside)
        info += "\n\n" + QXLS("msg.opt.dialog.message.store_failed_choice",
                              "You can quit, or move the store aside and start afresh: "
                              "contacts and settings kept in it will no longer show, but the "
                              "file is kept next to the new one.");
    else
        info += "\n\n" +
                QXLS("msg.opt.dialog.message.store_failed_quit", "${PRODUCT_NAME} will close now.");
    alert->setInformativeText(info);
    // Quitting comes first: it is what an answer nobody gives (Return, a headless run) does,
    // and it changes nothing on disk.
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.quit", "Quit"));
    if (canMoveAside)
        alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.start_afresh", "Start Afresh"));
    if (alert->runModal() != platform::AlertSecondButtonReturn)
        return false;

    std::string error;
    if (auto aside = moveStoreAside(storeFile, &error)) {
        platform::Logf("The engine's store was moved to %@", aside->string());
        return true;
    }
    platform::Logf("The engine's store could not be moved aside: %@", error);
    OrvantaExtensions::dialogOK(
        QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
        platform::formatString(QXLS("msg.opt.dialog.message.store_not_moved",
                                    "The store could not be moved aside (%@). "
                                    "${PRODUCT_NAME} will close now."),
                               error),
        platform::AlertStyle::Critical);
    return false;
}

} // namespace StorageAlerts
