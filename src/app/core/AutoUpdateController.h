#pragma once

#include "engine/OVAutoUpdateModel.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QXButton;
namespace platform {
class Button;
class InterfaceDefinitionLoad;
class ProgressIndicator;
class TextField;
class View;
class Window;
} // namespace platform

// The update window: one window whose content follows the engine's update dialog model
// (checking, a new version, no update, downloading, download failed, installing). A mandatory
// update runs it as the application's modal window. Installing hands the downloaded package
// to the desktop's opener, waits for it, and quits so that the new version can take over.
//
// One controller exists at a time; it owns the window and views that its interface definition
// "AutoUpdate" builds, and it is released (on the next run-loop pass) when it closes.
class AutoUpdateController : public platform::Object,
                             public platform::ActionTarget,
                             public OVAutoUpdateDialogModelPro,
                             public std::enable_shared_from_this<AutoUpdateController> {
public:
    // The shared controller, or null.
    static AutoUpdateController* sharedAutoUpdateController();
    // Makes the shared controller for the model and loads its window, unless one exists: that
    // one is answered unchanged and the model is ignored.
    static AutoUpdateController*
    initSharedController(const std::shared_ptr<OVAutoUpdateDialogModel>& model);
    // Builds the window and its views for the owner; registered by initSharedController.
    static void registerInterfaceDefinition();

    // The original's initWithModel:: keeps the model and listens to it.
    explicit AutoUpdateController(std::shared_ptr<OVAutoUpdateDialogModel> model);
    ~AutoUpdateController() override;
    AutoUpdateController(const AutoUpdateController&) = delete;
    AutoUpdateController& operator=(const AutoUpdateController&) = delete;

    // Sets the window up for the model's state and shows it: modally for a mandatory update.
    void display();
    // Puts the content view of the model's visual state in the window.
    void setup();
    // Places a window that is not yet visible over the main window and brings it to the front.
    void displayCenteredOnMain();
    // The same as the application's modal window, after closing every sheet; nothing while
    // the window is already visible, so no second modal loop starts.
    void displayCenteredOnMainModal();

    void ovmdPropertyChanged(const std::string& propertyName) override;
    void ovmdCloseRequested() override {}

    // Button actions.
    void close(platform::Object* sender);
    void failClose(platform::Object* sender);
    void downloadAndInstall(platform::Object* sender);
    void cancel(platform::Object* sender);
    void quit(platform::Object* sender);
    void install(platform::Object* sender);
    // The release-notes link.
    void openReleaseURL(platform::Object* sender);

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // What is shown, for the program's tests and diagnostics.
    const std::shared_ptr<OVAutoUpdateDialogModel>& model() const { return _theModel; }
    platform::Window* window() const { return _theWindow.get(); }
    // The content view now in the window, and the view of each state.
    platform::View* currentContentView() const;
    platform::View* checkView() const { return _checkView.get(); }
    platform::View* newVersionView() const { return _newVersionView.get(); }
    platform::View* failedView() const { return _failedView.get(); }
    platform::View* downloadingView() const { return _downloadingView.get(); }
    platform::View* downloadFailedView() const { return _downloadFailedView.get(); }
    platform::View* restartView() const { return _restartView.get(); }
    platform::ProgressIndicator* checkProgress() const { return _checkProgress.get(); }
    platform::ProgressIndicator* downloadProgress() const { return _downloadProgress.get(); }
    platform::TextField* ourVersion() const { return _ourVersion.get(); }
    platform::TextField* newVersion() const { return _newVersion.get(); }
    platform::TextField* releaseNote() const { return _releasenote.get(); }
    QXButton* releaseURL() const { return _releaseURL.get(); }
    const std::string& releaseURLHyperlink() const { return _releaseURLHyperlink; }
    platform::TextField* downloadFailedLabel() const { return _downloadFailedLabel.get(); }
    platform::Button* laterButton() const { return _laterButton.get(); }
    platform::Button* quitButton() const { return _quitButton.get(); }
    platform::Button* cancelRestartButton() const { return _cancelRestart.get(); }
    const std::optional<std::string>& dmg() const { return _dmg; }

private:
    void buildInterface(platform::InterfaceDefinitionLoad& load);
    void setupNewVersion();
    void showView(const std::shared_ptr<platform::View>& view);
    void showDownloadFailed();
    void placeOverMainWindow();

    std::shared_ptr<platform::Window> _theWindow;
    std::shared_ptr<platform::View> _checkView;
    std::shared_ptr<platform::View> _newVersionView;
    std::shared_ptr<platform::View> _failedView;
    std::shared_ptr<platform::View> _downloadingView;
    std::shared_ptr<platform::View> _downloadFailedView;
    std::shared_ptr<platform::View> _restartView;
    std::shared_ptr<platform::ProgressIndicator> _checkProgress;
    std::shared_ptr<platform::ProgressIndicator> _downloadProgress;
    std::shared_ptr<platform::TextField> _ourVersion;
    std::shared_ptr<platform::TextField> _newVersion;
    std::shared_ptr<platform::TextField> _releasenote;
    // The link to the release notes; the address it opens is kept beside it.
    std::shared_ptr<QXButton> _releaseURL;
    std::string _releaseURLHyperlink;
    std::shared_ptr<platform::TextField> _downloadFailedLabel;
    std::shared_ptr<platform::Button> _cancelRestart;
    std::shared_ptr<platform::Button> _laterButton;
    std::shared_ptr<platform::Button> _quitButton;
    bool _inProgress = false;
    std::shared_ptr<OVAutoUpdateDialogModel> _theModel;
    std::optional<std::string> _dmg;
};
