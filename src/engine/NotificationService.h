#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <memory>
#include <optional>
#include <string>

class EngineContext;

// A notice the user must acknowledge or decide on: a conflict with another running instance
// of the same account, or being logged out by a configuration update. It takes one answer;
// once handled, later answers are ignored.
class Notification : public OVObject {
public:
    enum class Type {
        typeResourceConflict_AnotherInstanceWasForcedOut,
        typeResourceConflict_AnotherInstanceForcedUsOut,
        typeResourceConflict_AnotherInstanceIsOnACall,
        typeResourceConflict_AnotherInstanceIsOnAnEmergencyCall,
        typeConfigUpdate_ForcedOut,
        typeOther
    };
    static constexpr Type typeResourceConflict_AnotherInstanceWasForcedOut =
        Type::typeResourceConflict_AnotherInstanceWasForcedOut;
    static constexpr Type typeResourceConflict_AnotherInstanceForcedUsOut =
        Type::typeResourceConflict_AnotherInstanceForcedUsOut;
    static constexpr Type typeResourceConflict_AnotherInstanceIsOnACall =
        Type::typeResourceConflict_AnotherInstanceIsOnACall;
    static constexpr Type typeResourceConflict_AnotherInstanceIsOnAnEmergencyCall =
        Type::typeResourceConflict_AnotherInstanceIsOnAnEmergencyCall;
    static constexpr Type typeConfigUpdate_ForcedOut = Type::typeConfigUpdate_ForcedOut;

    enum class Answer { yes, no, dismiss };

    Notification(Type type, std::string extraInfo)
        : type_(type), extraInfo_(std::move(extraInfo)) {}

    Type getType() const { return type_; }
    const std::string& getExtraInfo() const { return extraInfo_; }
    bool hasBeenHandled() const { return handled_; }
    void makeHasBeenHandled() { handled_ = true; }

    void yes() { answerWith(Answer::yes); }
    void no() { answerWith(Answer::no); }
    void dismiss() { answerWith(Answer::dismiss); }
    // The answer given, if any.
    std::optional<Answer> answer() const { return answer_; }

private:
    void answerWith(Answer answer) {
        if (!answer_ && !handled_) {
            answer_ = answer;
        }
    }
    Type type_;
    std::string extraInfo_;
    bool handled_ = false;
    std::optional<Answer> answer_;
};

// Callbacks of the notification service.
class OVNotificationServicePro {
public:
    virtual ~OVNotificationServicePro() = default;
    virtual void ovnsNewNotification(const std::shared_ptr<Notification>& /*notification*/) {}
};

class NotificationService : public platform::Object,
                            public DelegatingService<OVNotificationServicePro> {
public:
    explicit NotificationService(std::shared_ptr<EngineContext> context = nullptr)
        : context_(std::move(context)) {}

    // Engine side: hands a new notice to the delegates.
    void deliver(const std::shared_ptr<Notification>& notification) {
        notifyDelegates([&](OVNotificationServicePro& d) { d.ovnsNewNotification(notification); });
    }

private:
    std::shared_ptr<EngineContext> context_;
};
