#include "engine/FeaturesService.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"

std::filesystem::path FeaturesService::defaultFeaturesFile() {
    return platform::Bundle::mainBundle().resourcePath() / "engine" / "features.plist";
}

bool FeaturesService::featureAvailable(std::string_view name) const {
    loadIfNeeded();
    auto it = features_.find(name);
    return it != features_.end() && it->second;
}

bool FeaturesService::loadFeatures(const std::filesystem::path& file) {
    return readFile(file);
}

bool FeaturesService::readFile(const std::filesystem::path& file) const {
    loaded_ = true;
    features_.clear();
    auto list = platform::Value::readPropertyListFile(file);
    if (!list || !list->isDictionary()) {
        platform::Logf("Engine: feature switches cannot be read from %@; every feature is off",
                       file.string());
        return false;
    }
    for (const auto& [name, value] : *list->dictionary()) {
        features_[name] = value.boolValue();
    }
    return true;
}

void FeaturesService::setFeatureAvailable(std::string_view name, bool available) {
    loadIfNeeded();
    features_[std::string(name)] = available;
}

void FeaturesService::loadIfNeeded() const {
    if (!loaded_) {
        readFile(defaultFeaturesFile());
    }
}
