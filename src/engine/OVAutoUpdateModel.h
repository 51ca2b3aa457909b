#pragma once

#include "engine/EngineBackend.h"
#include "engine/OVModel.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class AutoUpdater;
class EngineContext;

// Callbacks of the auto-update dialog model.
class OVAutoUpdateDialogModelPro : public virtual OVModelPro {
public:
    virtual void ovmdCloseRequested() {}
};

// The state of one round of updating, as the update window shows it: checking, a new version
// (optional or mandatory), no update, downloading, download failed, installing.
class OVAutoUpdateDialogModel : public OVModelOf<OVAutoUpdateDialogModelPro> {
public:
    static constexpr std::string_view checkingForUpdatesVisualState = "checkingForUpdates";
    static constexpr std::string_view updateAvailableVisualState = "updateAvailable";
    static constexpr std::string_view mandatoryUpdateVisualState = "mandatoryUpdate";
    static constexpr std::string_view noUpdateAvailableVisualState = "noUpdateAvailable";
    static constexpr std::string_view downloadingVisualState = "downloading";
    static constexpr std::string_view downloadFailedVisualState = "downloadFailed";
    static constexpr std::string_view installingVisualState = "installing";

    explicit OVAutoUpdateDialogModel(std::weak_ptr<AutoUpdater> updater)
        : updater_(std::move(updater)) {}

    std::string getVisualStateName() const override { return visualState_; }
    // The downloaded file, once installing ("" before).
    const std::string& installFileName() const { return installFileName_; }
    const std::string& newAppVersion() const { return info_.newAppVersion; }
    const std::string& releaseNotesUrl() const { return info_.releaseNotesUrl; }
    const std::vector<std::string>& releaseNotes() const { return info_.releaseNotes; }
    // A mandatory update is shown modally and cannot be put off.
    bool isModal() const { return info_.mandatory; }

    bool canClose() const;
    void close();
    bool canDownloadAndInstall() const;
    void downloadAndInstall();
    bool canCancel() const;
    void cancel();
    bool isClosed() const { return closed_; }

    // Engine side: moves to a state and tells the delegates which properties changed.
    void setVisualState(std::string_view state);
    void setInfo(const UpdateInfo& info) { info_ = info; }
    void setInstallFileName(std::string file);
    void requestClose();

private:
    std::weak_ptr<AutoUpdater> updater_;
    std::string visualState_{checkingForUpdatesVisualState};
    UpdateInfo info_;
    std::string installFileName_;
    bool closed_ = false;
};

// Whether a new version exists; the menus show an update item while it does.
class OVAutoUpdateModel : public OVModelOf<> {
public:
    static constexpr std::string_view isUpdateAvailableProperty = "isUpdateAvailable";

    static std::shared_ptr<OVAutoUpdateModel> create();
    explicit OVAutoUpdateModel(std::weak_ptr<AutoUpdater> updater) : updater_(std::move(updater)) {}

    bool isUpdateAvailable() const;
    // Starts a check: the window service is asked to show a dialog model, which follows it.
    void checkForUpdates();

    // Engine side.
    void availabilityChanged() const { propertyChanged(isUpdateAvailableProperty); }

private:
    std::weak_ptr<AutoUpdater> updater_;
};

// The engine's side of updating: the last news from the update server, the dialog model of
// the round under way, and the models to tell.
class AutoUpdater : public std::enable_shared_from_this<AutoUpdater> {
public:
    explicit AutoUpdater(std::shared_ptr<EngineContext> context) : context_(std::move(context)) {}

    bool isUpdateAvailable() const { return info_.available; }
    const UpdateInfo& info() const { return info_; }
    std::shared_ptr<OVAutoUpdateDialogModel> dialogModel() const { return dialog_; }

    void addModel(const std::shared_ptr<OVAutoUpdateModel>& model) { models_.push_back(model); }
    void checkForUpdates();
    // The update server announced news unasked; a mandatory update is shown at once.
    void announce(const UpdateInfo& info);
    void downloadAndInstall();
    void cancel();
    void close();

private:
    std::shared_ptr<OVAutoUpdateDialogModel> showDialog(std::string_view state);
    void setInfo(const UpdateInfo& info);
    std::string_view offerState() const;
    std::shared_ptr<EngineContext> context_;
    UpdateInfo info_;
    std::shared_ptr<OVAutoUpdateDialogModel> dialog_;
    std::vector<std::weak_ptr<OVAutoUpdateModel>> models_;
    // Answers for a check or download that was cancelled are dropped.
    unsigned generation_ = 0;
};
