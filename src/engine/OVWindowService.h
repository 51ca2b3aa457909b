#pragma once

#include "engine/OVModel.h"

#include <memory>
#include <string>
#include <vector>

// Asks the interface to show a web address (the engine's own links).
class OVWebAddressModel : public OVModelOf<> {
public:
    explicit OVWebAddressModel(std::string url) : url_(std::move(url)) {}
    const std::string& url() const { return url_; }

private:
    std::string url_;
};

// Callbacks of the window service: the engine wants a model shown. The interface tells the
// kinds apart by the model's class (hosted-service set-up, auto-update dialog, web address).
class OVWindowServicePro : public virtual OVModelPro {
public:
    virtual void ovmdWindowServiceOnShow(const std::shared_ptr<OVModel>& /*model*/) {}
};

// The engine's way of asking for windows. Every window service made with create hears every
// request while it lives.
class OVWindowService : public OVModelOf<OVWindowServicePro>,
                        public std::enable_shared_from_this<OVWindowService> {
public:
    static std::shared_ptr<OVWindowService> create();

    // Engine side: asks every live window service to show the model.
    static void showModel(const std::shared_ptr<OVModel>& model);
    // How many window services live now.
    static std::size_t liveCount();

private:
    void show(const std::shared_ptr<OVModel>& model) const {
        notifyDelegates([&](OVWindowServicePro& d) { d.ovmdWindowServiceOnShow(model); });
    }
    static std::vector<std::weak_ptr<OVWindowService>>& registry();
};
