#pragma once

#include "engine/StartupService.h"

#include <string_view>

// Whether the engine offers the feature switch `name`; no when the engine has no features
// service (as a message to nil would answer).
inline bool featureOn(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}
