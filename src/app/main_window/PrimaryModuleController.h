#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/AttributedString.h"
#include "platform/kit/View.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ConversationService;
class OVSelfPresence;

// The main window's primary module (call entry field, own presence, message area). So far only
// the view the main window stacks under the brand module name "primary".
class PrimaryModuleController : public platform::Object {
public:
    // Made on first use.
    static PrimaryModuleController& sharedController();
    static void releaseSharedController();

    // The module's view, made on first use; its height is the module's starting height.
    std::shared_ptr<platform::View> theView();
    // Takes the engine's services into use once the engine has started; counted so far.
    void setup() { ++_setupCount; }
    int setupCount() const { return _setupCount; }
    // The title of the presence menu item of that status, none for a status it has no item
    // for.
    std::optional<std::string> getPresenceMessage(int status) const;

    // The message area under the call entry (PrimaryModuleController_MessageArea.cpp): the
    // text shown there, an empty text hiding the area. Its links carry action names.
    void setStatusMessage(const platform::AttributedString& message);
    const platform::AttributedString& statusMessage() const { return _statusMessage; }
    // A link of the message was clicked: "viewAccount" opens the account preferences,
    // "retryAccount" retries the failed accounts, "retryDeskphone" connects the deskphone
    // again, "configureDeskphone" opens the device preferences. False for other names.
    bool statusMessageLinkClicked(std::string_view action);

    // Toolbar and menu commands of the module (its controls come with the main window); so far
    // each is recorded by its action name, in order. The last three are spelled so.
    void toggleDialpad(platform::Object* sender);
    void toggleSpeakerPhone(platform::Object* sender);
    void toggleVideo(platform::Object* sender);
    void toggleDeskphone(platform::Object* sender);
    void voiceMailPressed(platform::Object* sender);
    void missedCallsPressed(platform::Object* sender);
    void presenceChanged(platform::Object* sender);
    void togglAnonymousCalling(platform::Object* sender);
    void togglAutoAnswer(platform::Object* sender);
    void togglLettersToNumbers(platform::Object* sender);
    const std::vector<std::string>& performedCommands() const { return _performedCommands; }
    // The own presence changed: the presence control follows it.
    void selfPresenceChanged(const std::shared_ptr<OVSelfPresence>& presence);
    const std::shared_ptr<OVSelfPresence>& selfPresence() const { return _selfPresence; }
    // The accounts changed: what depends on them is refreshed; counted so far.
    void accountChanged() { ++_accountChangedCount; }
    int accountChangedCount() const { return _accountChangedCount; }
    // The engine's conversation service the module places calls through (null before the
    // engine has one).
    std::shared_ptr<ConversationService> conversationService() const;

    // Calls what the call entry field holds, or the last number again (the field comes with
    // the main window's module); so far each request is counted.
    void callParticipant(platform::Object* participant);
    void redial(platform::Object* sender);
    int callRequests() const { return _callRequests; }
    int redialRequests() const { return _redialRequests; }
    // Whether the custom-presence sheet is on the screen.
    bool customPresenceSheetVisible() const { return _customPresenceSheetVisible; }
    void setCustomPresenceSheetVisible(bool visible) { _customPresenceSheetVisible = visible; }

private:
    int _callRequests = 0;
    int _redialRequests = 0;
    bool _customPresenceSheetVisible = false;
    std::shared_ptr<platform::View> _theView;
    platform::AttributedString _statusMessage;
    std::vector<std::string> _performedCommands;
    std::shared_ptr<OVSelfPresence> _selfPresence;
    int _accountChangedCount = 0;
    int _setupCount = 0;
};
