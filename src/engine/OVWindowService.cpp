#include "engine/OVWindowService.h"

#include <algorithm>

std::vector<std::weak_ptr<OVWindowService>>& OVWindowService::registry() {
    static std::vector<std::weak_ptr<OVWindowService>> services;
    return services;
}

std::shared_ptr<OVWindowService> OVWindowService::create() {
    auto service = std::make_shared<OVWindowService>();
    auto& services = registry();
    std::erase_if(services, [](const auto& weak) { return weak.expired(); });
    services.push_back(service);
    return service;
}

void OVWindowService::showModel(const std::shared_ptr<OVModel>& model) {
    auto services = registry();
    for (const auto& weak : services) {
        if (auto service = weak.lock()) {
            service->show(model);
        }
    }
}

std::size_t OVWindowService::liveCount() {
    const auto& services = registry();
    return static_cast<std::size_t>(std::count_if(
        services.begin(), services.end(), [](const auto& weak) { return !weak.expired(); }));
}
