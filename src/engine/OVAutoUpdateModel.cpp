#include "engine/OVAutoUpdateModel.h"

#include "engine/EngineContext.h"
#include "engine/OVWindowService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

#include <algorithm>

namespace {

bool isOneOf(std::string_view state, std::initializer_list<std::string_view> states) {
    return std::find(states.begin(), states.end(), state) != states.end();
}

} // namespace

bool OVAutoUpdateDialogModel::canClose() const {
    return !closed_;
}

void OVAutoUpdateDialogModel::close() {
    if (!canClose()) {
        return;
    }
    closed_ = true;
    if (auto updater = updater_.lock()) {
        updater->close();
    }
}

bool OVAutoUpdateDialogModel::canDownloadAndInstall() const {
    return !closed_ &&
           isOneOf(visualState_, {updateAvailableVisualState, mandatoryUpdateVisualState,
                                  downloadFailedVisualState});
}

void OVAutoUpdateDialogModel::downloadAndInstall() {
    if (canDownloadAndInstall()) {
        if (auto updater = updater_.lock()) {
            updater->downloadAndInstall();
        }
    }
}

bool OVAutoUpdateDialogModel::canCancel() const {
    return !closed_ &&
           isOneOf(visualState_, {checkingForUpdatesVisualState, downloadingVisualState});
}

void OVAutoUpdateDialogModel::cancel() {
    if (canCancel()) {
        if (auto updater = updater_.lock()) {
            updater->cancel();
        }
    }
}

void OVAutoUpdateDialogModel::setVisualState(std::string_view state) {
    if (state == visualState_) {
        return;
    }
    visualState_ = std::string(state);
    propertyChanged(visualStateNameProperty);
}

void OVAutoUpdateDialogModel::setInstallFileName(std::string file) {
    installFileName_ = std::move(file);
    propertyChanged("installFileName");
}

void OVAutoUpdateDialogModel::requestClose() {
    notifyDelegates([](OVAutoUpdateDialogModelPro& d) { d.ovmdCloseRequested(); });
}

std::shared_ptr<OVAutoUpdateModel> OVAutoUpdateModel::create() {
    auto updater = StartupService::instance().phoneService()->autoUpdater();
    auto model = std::make_shared<OVAutoUpdateModel>(updater);
    updater->addModel(model);
    return model;
}

bool OVAutoUpdateModel::isUpdateAvailable() const {
    auto updater = updater_.lock();
    return updater && updater->isUpdateAvailable();
}

void OVAutoUpdateModel::checkForUpdates() {
    if (auto updater = updater_.lock()) {
        updater->checkForUpdates();
    }
}

std::string_view AutoUpdater::offerState() const {
    if (!info_.available) {
        return OVAutoUpdateDialogModel::noUpdateAvailableVisualState;
    }
    return info_.mandatory ? OVAutoUpdateDialogModel::mandatoryUpdateVisualState
                           : OVAutoUpdateDialogModel::updateAvailableVisualState;
}

std::shared_ptr<OVAutoUpdateDialogModel> AutoUpdater::showDialog(std::string_view state) {
    if (dialog_ && !dialog_->isClosed()) {
        dialog_->setInfo(info_);
        dialog_->setVisualState(state);
        return dialog_;
    }
    dialog_ = std::make_shared<OVAutoUpdateDialogModel>(weak_from_this());
    dialog_->setInfo(info_);
    dialog_->setVisualState(state);
    OVWindowService::showModel(dialog_);
    return dialog_;
}

void AutoUpdater::setInfo(const UpdateInfo& info) {
    const bool changed = info.available != info_.available;
    info_ = info;
    if (dialog_) {
        dialog_->setInfo(info_);
    }
    if (changed) {
        std::erase_if(models_, [](const auto& weak) { return weak.expired(); });
        const auto models = models_;
        for (const auto& weak : models) {
            if (auto model = weak.lock()) {
                model->availabilityChanged();
            }
        }
    }
}

void AutoUpdater::checkForUpdates() {
    if (!context_) {
        return;
    }
    const unsigned generation = ++generation_;
    std::weak_ptr<AutoUpdater> weak = weak_from_this();
    context_->post([weak, generation] {
        auto self = weak.lock();
        if (!self || generation != self->generation_) {
            return;
        }
        self->showDialog(OVAutoUpdateDialogModel::checkingForUpdatesVisualState);
        self->context_->backend()->checkForUpdates(
            self->context_->guard([weak, generation](const UpdateInfo& info) {
                auto updater = weak.lock();
                if (!updater || generation != updater->generation_) {
                    return;
                }
                updater->setInfo(info);
                if (updater->dialog_ && !updater->dialog_->isClosed()) {
                    updater->dialog_->setVisualState(updater->offerState());
                }
            }));
    });
}

void AutoUpdater::announce(const UpdateInfo& info) {
    setInfo(info);
    if (info.available && info.mandatory) {
        showDialog(OVAutoUpdateDialogModel::mandatoryUpdateVisualState);
    }
}

void AutoUpdater::downloadAndInstall() {
    if (!context_) {
        return;
    }
    const unsigned generation = ++generation_;
    std::weak_ptr<AutoUpdater> weak = weak_from_this();
    context_->post([weak, generation] {
        auto self = weak.lock();
        auto phone = self ? self->context_->phone() : nullptr;
        if (!phone || generation != self->generation_ || !self->dialog_ ||
            !self->dialog_->canDownloadAndInstall()) {
            return;
        }
        self->dialog_->setVisualState(OVAutoUpdateDialogModel::downloadingVisualState);
        self->context_->backend()->downloadUpdate(
            self->info_.newAppVersion, phone->getUserSettingFolder(),
            self->context_->guard(
                [weak, generation](const std::optional<std::filesystem::path>& file) {
                    auto updater = weak.lock();
                    if (!updater || generation != updater->generation_ || !updater->dialog_) {
                        return;
                    }
                    auto dialog = updater->dialog_;
                    if (file) {
                        dialog->setInstallFileName(file->string());
                        dialog->setVisualState(OVAutoUpdateDialogModel::installingVisualState);
                    } else {
                        dialog->setVisualState(OVAutoUpdateDialogModel::downloadFailedVisualState);
                    }
                }));
    });
}

void AutoUpdater::cancel() {
    if (!context_) {
        return;
    }
    const unsigned generation = ++generation_;
    std::weak_ptr<AutoUpdater> weak = weak_from_this();
    context_->post([weak, generation] {
        auto self = weak.lock();
        if (!self || generation != self->generation_ || !self->dialog_) {
            return;
        }
        const bool wasChecking = self->dialog_->getVisualStateName() ==
                                 OVAutoUpdateDialogModel::checkingForUpdatesVisualState;
        self->dialog_->setVisualState(wasChecking
                                          ? OVAutoUpdateDialogModel::noUpdateAvailableVisualState
                                          : self->offerState());
    });
}

void AutoUpdater::close() {
    ++generation_;
    dialog_.reset();
}
