#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <memory>

class EngineContext;

enum class OVDeskphoneStatus { connecting, connected, disconnecting, disconnected, failed, other };

// Callbacks of the deskphone service.
class OVDeskphoneServicePro {
public:
    virtual ~OVDeskphoneServicePro() = default;
    virtual void ovdsStatusChanged(OVDeskphoneStatus /*status*/) {}
};

// A desk telephone the softphone can steer calls through.
class OVDeskphoneService : public platform::Object,
                           public DelegatingService<OVDeskphoneServicePro> {
public:
    static constexpr OVDeskphoneStatus connecting = OVDeskphoneStatus::connecting;
    static constexpr OVDeskphoneStatus connected = OVDeskphoneStatus::connected;
    static constexpr OVDeskphoneStatus disconnecting = OVDeskphoneStatus::disconnecting;
    static constexpr OVDeskphoneStatus disconnected = OVDeskphoneStatus::disconnected;
    static constexpr OVDeskphoneStatus failed = OVDeskphoneStatus::failed;

    explicit OVDeskphoneService(std::shared_ptr<EngineContext> context = nullptr)
        : context_(std::move(context)) {}

    OVDeskphoneStatus status() const { return status_; }
    bool isConnected() const { return status_ == OVDeskphoneStatus::connected; }
    // Connecting answers connecting, then connected after the network's delay; disconnecting
    // the same way down.
    void connect();
    void disconnect();

    // Engine side: the status the device reported, told to the delegates when it changed.
    void setStatus(OVDeskphoneStatus status);

private:
    std::shared_ptr<EngineContext> context_;
    OVDeskphoneStatus status_ = OVDeskphoneStatus::disconnected;
};
