#pragma once

#include "engine/ConversationService.h"
#include "engine/OVRelatedConversationModel.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "widgets/QXConstraintLayoutManager.h"

#include <memory>
#include <string>

class ConversationViewController;
class QXImageButton;
class RelatedConversationView;

namespace platform {
class Box;
class Button;
class Event;
class ImageView;
class InterfaceDefinitionLoad;
class TextField;
} // namespace platform

// The outlets of the interface definition "RelatedConversationView".
struct RelatedConversationViewOutlets {
    std::shared_ptr<RelatedConversationView> relatedConversationView;
    std::shared_ptr<platform::Box> box;
    std::shared_ptr<platform::ImageView> avatar;
    std::shared_ptr<platform::TextField> numberLine, connectionStatusLine;
    std::shared_ptr<QXImageButton> hold, resume, transfer;
    std::shared_ptr<platform::Button> cancel, actionMenuButton, addContact;
};

// The strip a call panel shows for its second call (the call placed to the target of an
// attended transfer): who is called and the call's state, hold, resume, transfer and cancel
// buttons, a menu to merge the two calls or separate them, and the dial keys typed on it sent
// to the second call. It mirrors the engine's model of that call and is cleaned up by the panel
// before the panel drops it.
class RelatedConversationViewController : public platform::Object,
                                          public platform::ActionTarget,
                                          public platform::MenuDelegate,
                                          public OVRelatedConversationModelPro,
                                          public OVParticipantPro,
                                          public OVAddressPro {
public:
    RelatedConversationViewController(std::shared_ptr<OVRelatedConversationModel> model,
                                      ConversationViewController* parentController);
    ~RelatedConversationViewController() override;
    RelatedConversationViewController(const RelatedConversationViewController&) = delete;
    RelatedConversationViewController& operator=(const RelatedConversationViewController&) = delete;

    static void registerDefinition();
    static void buildDefinition(platform::InterfaceDefinitionLoad& load);
    bool instantiate();
    void setOutlets(RelatedConversationViewOutlets outlets) { _o = std::move(outlets); }
    void awakeFromNib();

    std::shared_ptr<RelatedConversationView> view() const { return _o.relatedConversationView; }
    const RelatedConversationViewOutlets& outlets() const { return _o; }
    std::shared_ptr<OVRelatedConversationModel> relatedConversationModel() const { return _model; }
    std::shared_ptr<platform::Menu> actionsMenu() const { return _actionsMenu; }

    void initialize();
    void updateCallButtons();
    void updateConnectionMessage();
    void cleanup();

    // Actions.
    void hold(platform::Object* sender);
    void resume(platform::Object* sender);
    void transfer(platform::Object* sender);
    void cancel(platform::Object* sender);
    void contextMergeCalls(platform::Object* sender);
    void contextSeparate(platform::Object* sender);
    void addToContactList(platform::Object* sender);
    void keyPressedOnView(const platform::Event& event);
    void keyReleasedOnView(const platform::Event& event);
    void menuNeedsUpdate(platform::Menu& menu) override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Engine callbacks.
    void ovmdRelatedConversationPropertyChanged(const std::string& propertyName) override;
    void ovadIsContactUpdate(bool isContact) override;
    void ovadAddressUpdate() override;

private:
    void layoutButtons();

    RelatedConversationViewOutlets _o;
    std::shared_ptr<platform::Menu> _actionsMenu;
    std::shared_ptr<OVRelatedConversationModel> _model;
    std::shared_ptr<Participant> _participant;
    std::shared_ptr<OVAddress> _callAddress;
    ConversationViewController* _parentController = nullptr;
    QXViewConstraintLayoutManager _callButtonsLayout;
    // The party's state as last read.
    std::string _address, _addressToDisplay, _displayName, _transferTarget;
    int _connectionStatus = 0, _transferStatus = 0;
    bool _holdingLocally = false, _holdingRemotely = false, _ringbackReceived = false,
         _earlyMediaReceived = false, _inConference = false;
};
