#include "app/main_window/DirectoryTabViewController.h"

#include "app/core/Features.h"
#include "engine/SettingBlock.h"
#include "engine/StartupService.h"

namespace {

DirectoryTabViewController*& liveController() {
    static DirectoryTabViewController* controller = nullptr;
    return controller;
}

bool preference(std::string_view group, std::string_view key) {
    const auto phone = StartupService::instance().phoneService();
    const auto root = phone ? phone->getPreferenceSettings() : nullptr;
    return root && root->sub("preferences")->sub(group)->sub(key)->boolSetting();
}

} // namespace

DirectoryTabViewController::DirectoryTabViewController(std::string title)
    : FunctionTabViewController(std::move(title)) {
    liveController() = this;
}

DirectoryTabViewController::~DirectoryTabViewController() {
    if (liveController() == this)
        liveController() = nullptr;
}

DirectoryTabViewController* DirectoryTabViewController::sharedController() {
    return liveController();
}

void DirectoryTabViewController::setup() {
    view();
    setupSearchOptions();
}

void DirectoryTabViewController::setupSearchOptions() {
    _searchOptions.clear();
    if (featureOn("allow_gab") && featureOn("allow_pab"))
        _searchOptions.emplace_back("addressBooks");
    if (preference("LDAP", "enableLdap"))
        _searchOptions.emplace_back("ldap");
    if (preference("IPODirectory", "enableIPODirectory"))
        _searchOptions.emplace_back("ipoDirectory");
}

void DirectoryTabViewController::cleanup() {
    _searchOptions.clear();
}
