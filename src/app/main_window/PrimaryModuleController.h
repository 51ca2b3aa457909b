#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/AttributedString.h"
#include "platform/kit/View.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

private:
    std::shared_ptr<platform::View> _theView;
    platform::AttributedString _statusMessage;
    int _setupCount = 0;
};
