#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/View.h"

#include <memory>
#include <vector>

class Conversation;

// The main window's call area, one panel per call. So far only the view the main window stacks
// under the brand module name "calls".
class CallModuleController : public platform::Object {
public:
    // Made on first use.
    static CallModuleController& sharedController();
    static void releaseSharedController();

    // The module's view, made on first use; its height is the module's starting height.
    std::shared_ptr<platform::View> theView();
    // Takes the engine's services into use once the engine has started; counted so far.
    void setup() { ++_setupCount; }
    int setupCount() const { return _setupCount; }
    // Listens to the conversation service once the main view is up; counted so far.
    void setupServices() { ++_setupServicesCount; }
    int setupServicesCount() const { return _setupServicesCount; }

    // The call area's conversations in panel order; so far the engine's calls as it lists
    // them.
    std::vector<std::shared_ptr<Conversation>> conversations() const;
    // Answers the first call ringing in (status 1), else the first waiting call (status 5).
    void answerFirstIncomingCall();
    // Declines the call ringing in.
    void declineIncomingCall();
    // The active call: the first that is connected, held or being dialled. Ends it, holds or
    // resumes it, or hands it to the transfer (recorded so far: the transfer panel comes with
    // the call area).
    void hangUpOrEndTransferActiveCall(platform::Object* sender);
    void toggleHoldActiveCall(platform::Object* sender);
    void performTransferActiveCall(platform::Object* sender);
    int transferRequests() const { return _transferRequests; }

private:
    std::shared_ptr<Conversation> activeCall() const;

    std::shared_ptr<platform::View> _theView;
    int _transferRequests = 0;
    int _setupCount = 0;
    int _setupServicesCount = 0;
};
