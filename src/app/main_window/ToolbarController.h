#pragma once

#include "app/calls/ToolbarControllerPrt.h"
#include "engine/ConversationService.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Responder.h"
#include "platform/kit/View.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class OVAccount;
class PresenceService;
class QXImageButton;
class QXPopUpButton;
namespace platform {
class Button;
class Image;
class Slider;
class TextField;
} // namespace platform

// The main window's toolbar strip: the user's name and presence pop-up, the speaker mute
// button with its volume slider, and a row of image buttons placed by the brand's "ToolBar"
// section. Every control's visibility, state and badge is derived again by updateToolbar from
// the engine and the feature switches; the buttons hand their actions to the application
// controller. The controls come from the interface definition "ToolbarView".
class ToolbarController : public platform::Object,
                          public platform::ActionTarget,
                          public OVPhoneServicePro,
                          public OVConversationServicePro,
                          public ToolbarControllerPrt {
public:
    // The image buttons' tags, the numbers the brand's button order names them by.
    enum ButtonTag : long {
        keyPadTag = 1,
        cameraTag = 2,
        speakerPhoneTag = 3,
        messagesTag = 4,
        missedCallsTag = 5,
        autoAnswerTag = 6,
        anonymousTag = 7,
        lettersToDigitsTag = 8,
        deskPhoneTag = 9,
        accountsTag = 10,
        connectTag = 11,
        grabCallTag = 12,
        moreTag = 13,
    };
    // The gap after each placed button and the width of an "sp" token.
    static constexpr double kButtonGap = 3.0;
    static constexpr double kSpaceWidth = 8.0;

    static ToolbarController& sharedController();
    static void releaseSharedController();
    // Registers the interface definition "ToolbarView", which makes the strip and its controls
    // for the controller that loads it.
    static void registerInterfaceDefinition();

    ToolbarController();
    ~ToolbarController() override;

    // Once the engine has started: styles the ordered buttons from the brand, hides the
    // others, takes the phone service (as its delegate), builds the presence menu and
    // restores the dialpad state.
    void setupToolbar();
    int setupCount() const { return setupCount_; }
    // Places the ordered buttons along the strip and the name, pop-up, mute button and
    // slider on the line above.
    void layoutToolbar();
    // Recomputes every control's visibility, state and badge, then lays the strip out.
    void updateToolbar();
    int updateCount() const { return updateCount_; }
    // At shutdown: leaves the phone service and empties the presence menu.
    void cleanup();

    // The user's name shown in the toolbar when presence is on.
    void setDisplayName(std::string name);
    const std::string& displayName() const { return displayName_; }
    // The camera button follows the video window.
    void setVideoState(bool on) override;
    // Hands the camera button to the video window's controller and this controller to the
    // video window, so that the button follows the window (both taken back at clean-up).
    void setupToolbarVideoButton();

    // The dialpad's state in the settings ("preferences/application/dialpadExpanded"):
    // restoring sets the keypad button and toggles the dialpad with it; saving writes the
    // button's state while the strip's window shows.
    void restoreUserInterfaceStateUsingOVSettings();
    void saveUserSetting();

    // Whether the phone counts as ready: statuses 1, 5, 6, 7 and 8 are not, except that with
    // the hosted service connected every status but 8 is.
    bool isPhoneReady() const;
    // The voicemail count shown (-1 for an unknown number, shown as "*").
    int vmCount() const { return vmCount_; }
    void setVoiceMailCount(int count);

    // Outlets of "ToolbarView".
    const std::shared_ptr<platform::View>& theView() const { return theView_; }
    void setTheView(std::shared_ptr<platform::View> view) { theView_ = std::move(view); }
    QXImageButton* button(long tag) const;
    platform::TextField* username() const { return username_.get(); }
    platform::Button* speakerMute() const { return speakerMute_.get(); }
    platform::Slider* volumeSlider() const { return volumeSlider_.get(); }
    // The brand's token lists as read at set-up.
    const std::string& buttonOrder() const { return buttonOrder_; }
    const std::string& moreOptions() const { return moreOptions_; }

    // The presence pop-up button, made on first use with its presence menu: the own presence
    // statuses, each item's tag the status number, and "Set custom status..." (tag 99).
    platform::PopUpButton& status();
    platform::Menu* presenceMenu() { return status().menu().get(); }
    // (Re)builds the presence menu: the generic statuses, or those of the personal address
    // book with its feature; items are made once, and the menu is emptied first when the kind
    // changed. With the hosted service, its "presenceVisibility" setting hides items.
    void updatePresenceMenuItems();
    // 0 nothing built yet, 1 the generic menu, 2 the personal address book's.
    int presenceMenuOption() const { return presenceMenuOption_; }
    // The away item, retitled "Idle" while the user is idle; null until built.
    platform::MenuItem* idleAwayMenuItem() const { return idleAwayMenuItem_.get(); }
    // The "Set custom status..." item; null until built. Callers ask for it at each use: a
    // change of menu kind replaces it.
    platform::MenuItem* setCustomStatusMenuItem() const { return setCustomStatusMenuItem_.get(); }

    // Actions of the controls (ToolbarController_Actions.cpp).
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;
    // The accounts whose voicemail can be called: with "show_voicemail_always" every account
    // with voicemail on, otherwise those with new voicemails; never one without an address.
    std::vector<std::shared_ptr<OVAccount>> callableVoicemailAccounts() const;
    void voicemailPressed(platform::Object* sender);
    void voiceMailCall(platform::MenuItem& item);
    void selectAccounts(platform::Object* sender);
    // The speaker mute button's image for the speaker's output level (0 to 100).
    void updateSpeakerMuteImage(int level);
    // `image` with the level dot drawn over its lower left corner.
    static std::shared_ptr<platform::Image> drawIndicator(const platform::Image& image, int level);

    // Engine callbacks.
    void speakerMutedChanged(bool muted) override;
    void speakerOutputLevelChanged(int level) override;
    void callOptionsChanged() override;

private:
    std::shared_ptr<platform::MenuItem> createPresenceMenuItemWithTitle(const std::string& title,
                                                                        int status, long tag);
    void sweepPresenceMenuItems();
    void observeNotifications();
    void takeBackVideoButton();
    void setBadge(QXImageButton& button, const std::string& text);
    int phoneStatusValue() const;
    void popUpMenu(platform::Menu& menu, platform::View& inView, const platform::Rect& frame);

    int updateCount_ = 0;
    int setupCount_ = 0;
    std::string displayName_;
    std::shared_ptr<platform::View> theView_;
    std::shared_ptr<platform::PopUpButton> status_;
    std::shared_ptr<platform::TextField> username_;
    std::shared_ptr<platform::Button> speakerMute_;
    std::shared_ptr<platform::Slider> volumeSlider_;
    std::map<long, std::shared_ptr<QXImageButton>> buttons_;
    std::string buttonOrder_;
    std::string moreOptions_;
    bool dialpadAsFlyout_ = false;
    bool videoButtonHandedOver_ = false;
    int vmCount_ = 0;
    std::shared_ptr<PhoneService> phoneService_;
    std::shared_ptr<ConversationService> conversationService_;
    std::shared_ptr<PresenceService> presenceService_;
    int presenceMenuOption_ = 0;
    std::shared_ptr<platform::MenuItem> availableMenuItem_, idleAwayMenuItem_, busyMenuItem_,
        dndStatusMenuItem_, onPhoneMenuItem_, notAvailableForCallStatusMenuItem_, offlineMenuItem_,
        separatorMenuItem_, setCustomStatusMenuItem_, onVacationMenuItem_, outToLunchMenuItem_;

    friend void makeToolbarView(ToolbarController& owner);
};
