#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/View.h"

#include <memory>

// The main window's advertisement module. So far only the view the main window stacks under
// the brand module name "advertisement".
class AdvertisementModuleController : public platform::Object {
public:
    // Made on first use.
    static AdvertisementModuleController& sharedController();
    static void releaseSharedController();

    // The module's view, made on first use; its height is the module's starting height.
    std::shared_ptr<platform::View> theView();
    // Takes the engine's services into use once the engine has started; counted so far.
    void setup() { ++_setupCount; }
    int setupCount() const { return _setupCount; }

private:
    std::shared_ptr<platform::View> _theView;
    int _setupCount = 0;
};
