#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <memory>
#include <string>
#include <vector>

class CallInfo;
class Conversation;
class EngineContext;
class IMSession;
class OVEntity;
class OVPresenceData;

// A short-lived notice the interface may show in a small window: an incoming call, a new
// message, a contact coming online or going offline, an audio device change, an alert-list
// notice. The engine removes the ones that end by themselves (a call answered elsewhere).
class Toast : public OVObject {
public:
    static constexpr int typeIncomingCall = 0;
    static constexpr int typeNewIM = 1;
    static constexpr int typeContactOnline = 2;
    static constexpr int typeContactOffline = 3;
    static constexpr int typeDevice = 4;
    static constexpr int typeAlertList = 5;
    static constexpr int typeOther = 6;

    // What changed for a device toast.
    enum class DeviceEvent {
        none,
        ringer,
        camera,
        headsetIn,
        headsetOut,
        speakerPhoneIn,
        speakerPhoneOut
    };

    explicit Toast(int type) : type_(type) {}

    int type() const { return type_; }
    std::shared_ptr<OVEntity> contact() const { return contact_; }
    std::shared_ptr<OVPresenceData> presence() const;
    std::shared_ptr<IMSession> imSession() const { return imSession_; }
    std::shared_ptr<Conversation> conversation() const { return conversation_; }
    std::shared_ptr<CallInfo> callInfo() const;
    // The name and address shown for the other party.
    const std::string& display() const { return display_; }
    const std::string& addressToDisplay() const { return address_; }
    DeviceEvent deviceEvent() const { return deviceEvent_; }
    // The devices a device toast reports, by role; empty for a role that did not change.
    const std::string& ringer() const { return devices_.ringer; }
    const std::string& camera() const { return devices_.camera; }
    const std::string& headsetIn() const { return devices_.headsetIn; }
    const std::string& headsetOut() const { return devices_.headsetOut; }
    const std::string& speakerPhoneIn() const { return devices_.speakerPhoneIn; }
    const std::string& speakerPhoneOut() const { return devices_.speakerPhoneOut; }

    bool videoRequestedIncomingCall() const;
    bool canAnswer() const;
    bool canAnswerWithAudioOnly() const { return videoRequestedIncomingCall() && canAnswer(); }
    void answer();
    void answerWithAudioOnly();
    void decline();

    // Engine side.
    void setContact(std::shared_ptr<OVEntity> contact) { contact_ = std::move(contact); }
    void setIMSession(std::shared_ptr<IMSession> session) { imSession_ = std::move(session); }
    void setConversation(std::shared_ptr<Conversation> conversation) {
        conversation_ = std::move(conversation);
    }
    void setDisplay(std::string display, std::string address) {
        display_ = std::move(display);
        address_ = std::move(address);
    }
    void setDeviceEvent(DeviceEvent event) { deviceEvent_ = event; }
    // The device now in the role the event names.
    void setDevice(DeviceEvent event, std::string device);

private:
    int type_;
    std::shared_ptr<OVEntity> contact_;
    std::shared_ptr<IMSession> imSession_;
    std::shared_ptr<Conversation> conversation_;
    std::string display_;
    std::string address_;
    DeviceEvent deviceEvent_ = DeviceEvent::none;
    struct Devices {
        std::string ringer, camera, headsetIn, headsetOut, speakerPhoneIn, speakerPhoneOut;
    } devices_;
};

// Callbacks of the toast service.
class OVToastServicePro {
public:
    virtual ~OVToastServicePro() = default;
    virtual void toastAdded(const std::shared_ptr<Toast>& /*toast*/) {}
    virtual void toastRemoved(const std::shared_ptr<Toast>& /*toast*/) {}
};

class ToastService : public platform::Object, public DelegatingService<OVToastServicePro> {
public:
    explicit ToastService(std::shared_ptr<EngineContext> context = nullptr);

    // The toasts shown until removed (calls, alert-list and other notices) that were
    // announced and not yet removed, oldest first.
    const std::vector<std::shared_ptr<Toast>>& toasts() const { return toasts_; }

    // Engine side: announce one, take one back (those of a call or a session, or all).
    void addToast(const std::shared_ptr<Toast>& toast);
    void removeToast(const std::shared_ptr<Toast>& toast);
    void removeToastsOf(const Conversation* conversation);
    void removeAll();

private:
    std::shared_ptr<EngineContext> context_;
    std::vector<std::shared_ptr<Toast>> toasts_;
};

class OVTonePlayerPro {
public:
    virtual ~OVTonePlayerPro() = default;
};

// Plays the engine's alert tones. Nothing sounds here; each request is kept, so the demo can
// show it and tests can check it.
class TonePlayer : public platform::Object, public DelegatingService<OVTonePlayerPro> {
public:
    enum class ToneType { contactOnlineType, contactOfflineType, newIMType, incomingCallType };
    static constexpr ToneType contactOnlineType = ToneType::contactOnlineType;
    static constexpr ToneType contactOfflineType = ToneType::contactOfflineType;
    static constexpr ToneType newIMType = ToneType::newIMType;
    static constexpr ToneType incomingCallType = ToneType::incomingCallType;

    void playAlertTone2(ToneType type) { played_.push_back(type); }
    const std::vector<ToneType>& playedTones() const { return played_; }
    void clearPlayedTones() { played_.clear(); }

private:
    std::vector<ToneType> played_;
};
