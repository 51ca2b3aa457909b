#pragma once

#include "engine/OVAutoCompleteModel.h"
#include "engine/OVModel.h"
#include "engine/OVNumberEntryModel.h"

#include <memory>
#include <string>
#include <string_view>

class Conversation;

// Callbacks of a call-entry model.
class OVCallEntryModelPro : public virtual OVModelPro {
public:
    virtual void ovmdCallEntryPropertyChanged(const std::string& /*propertyName*/) {}
    virtual void ovmdCallEntryFocusRequested(const std::string& /*propertyName*/) {}
};

// The call entry of the main window: a number entry, its suggestions, and the calls placed to
// what was entered. The kind of call that Return (and the generic call) places is the user's
// default call action, the setting "preferences/application/defaultCallAction": 0 audio, 1 video
// (audio when video is not possible), 2 conference. Placing a call empties the entry.
class OVCallEntryModel : public OVModelOf<OVCallEntryModelPro>,
                         public std::enable_shared_from_this<OVCallEntryModel> {
public:
    enum class CallKind { audio = 0, video = 1, conference = 2 };

    static std::shared_ptr<OVCallEntryModel> create();

    std::shared_ptr<OVNumberEntryModel> getNumberEntryModel() const { return numberEntry_; }
    std::shared_ptr<OVAutoCompleteModel> getAutoCompleteModel() const { return autoComplete_; }

    // Whether a call of the kind may be placed to what was entered now.
    bool canAudioCall() const;
    bool canVideoCall() const;
    bool canConferenceCall() const;
    bool canSendIm() const;
    bool canSendSms() const;

    // Each places its kind of call (nothing when it may not) and empties the entry.
    void audioCall();
    void videoCall();
    void conferenceCall();
    // A call of the default kind, weaker kinds when that one is not possible.
    void call();

    // The default call action as the settings hold it (0 when not set).
    static CallKind defaultCallKind();
    // The conversation the last call created, nullptr when none was placed.
    std::shared_ptr<Conversation> lastConversation() const { return last_.lock(); }

private:
    bool canCall() const;
    void place(CallKind kind);
    std::shared_ptr<OVNumberEntryModel> numberEntry_;
    std::shared_ptr<OVAutoCompleteModel> autoComplete_;
    std::weak_ptr<Conversation> last_;
};
