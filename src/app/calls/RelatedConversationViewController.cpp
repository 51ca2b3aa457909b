#include "app/calls/RelatedConversationViewController.h"

#include "app/calls/ConversationViewController.h"
#include "app/calls/RelatedConversationView.h"
#include "app/contacts/ContactEditorController.h"
#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "engine/OVContactManager.h"
#include "engine/OVConversationModel.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Box.h"
#include "platform/kit/Button.h"
#include "platform/kit/Event.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/Localization.h"
#include "support/MenuExtensions.h"
#include "widgets/QXImageButton.h"

#include <cmath>
#include <span>

using platform::Rect;

namespace {

constexpr std::string_view kDefinition = "RelatedConversationView";
using Model = OVRelatedConversationModel;

std::shared_ptr<platform::TextField> stripLabel(const Rect& frame, double size, bool bold) {
    auto field = platform::TextField::labelWithString(
        {}, frame,
        bold ? platform::Font::boldSystemFontOfSize(size) : platform::Font::systemFontOfSize(size));
    field->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    return field;
}

// The plain word for the address type of the number line.
std::string addressTypeWord(OVAddressType type) {
    switch (type) {
    case OVAddressType::softphone:
        return "Softphone";
    case OVAddressType::jid:
        return "Jid";
    case OVAddressType::home:
        return "Home";
    case OVAddressType::work:
        return "Work";
    case OVAddressType::mobile:
        return "Mobile";
    case OVAddressType::fax:
        return "Fax";
    case OVAddressType::other:
        return "Other";
    default:
        return {};
    }
}

} // namespace

void RelatedConversationViewController::registerDefinition() {
    if (!platform::InterfaceDefinition::isRegistered(kDefinition))
        platform::InterfaceDefinition::registerDefinition(
            std::string(kDefinition), &RelatedConversationViewController::buildDefinition);
}

void RelatedConversationViewController::buildDefinition(platform::InterfaceDefinitionLoad& load) {
    auto* owner = dynamic_cast<RelatedConversationViewController*>(load.owner());
    constexpr double width = 330;
    constexpr double height = 76;
    RelatedConversationViewOutlets o;
    o.relatedConversationView =
        std::make_shared<RelatedConversationView>(Rect(0, 0, width, height));
    o.relatedConversationView->setAutoresizingMask(platform::ViewWidthSizable);
    auto& strip = *o.relatedConversationView;
    o.box = std::make_shared<platform::Box>(Rect(4, 2, width - 8, height - 4));
    o.box->setBoxType(platform::BoxType::Custom);
    o.box->setTitlePosition(platform::TitlePosition::NoTitle);
    o.box->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    strip.addSubview(o.box);
    strip.setBox(o.box);
    o.avatar = std::make_shared<platform::ImageView>(Rect(10, 36, 32, 32));
    o.numberLine = stripLabel(Rect(48, 52, width - 64, 17), 12, true);
    o.connectionStatusLine = stripLabel(Rect(48, 36, width - 64, 15), 10, false);
    o.connectionStatusLine->setTextColor(platform::Color(0.3, 0.33, 0.4, 1));
    auto button = [&](std::string title, std::string action, double w) {
        auto b = platform::make<QXImageButton>(Rect(0, 0, w, 24));
        b->setTitle(std::move(title));
        b->setButtonToggles(false);
        b->setAction(std::move(action));
        strip.addSubview(b);
        return b;
    };
    o.hold = button(QXLS("msg.call.button.hold", "Hold"), "hold:", 52);
    o.resume = button(QXLS("msg.call.button.resume", "Resume"), "resume:", 64);
    o.transfer = button(QXLS("msg.call.button.transfer", "Transfer"), "transfer:", 68);
    auto plain = [&](std::string title, std::string action, double w) {
        auto b = std::make_shared<platform::Button>(Rect(0, 0, w, 24));
        b->setTitle(std::move(title));
        b->setAction(std::move(action));
        strip.addSubview(b);
        return b;
    };
    o.cancel = plain(QXLS("msg.call.button.cancel", "Cancel"), "cancel:", 60);
    o.actionMenuButton = plain("\u25be", "", 24);
    o.addContact = plain("+", "addToContactList:", 24);
    o.addContact->setFrame(Rect(width - 34, 44, 24, 22));
    o.addContact->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMinYMargin);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             o.avatar, o.numberLine, o.connectionStatusLine})
        strip.addSubview(view);
    load.addTopLevelObject(o.relatedConversationView);
    if (owner)
        owner->setOutlets(std::move(o));
}

RelatedConversationViewController::RelatedConversationViewController(
    std::shared_ptr<OVRelatedConversationModel> model, ConversationViewController* parentController)
    : _model(std::move(model)), _parentController(parentController) {
    _model->setDelegate(this);
    if (!_model->getParticipants().empty()) {
        _participant = _model->getParticipants().front()->getSpaceParticipant();
        _participant->setDelegate(this);
    }
}

RelatedConversationViewController::~RelatedConversationViewController() {
    cleanup();
    if (_actionsMenu) {
        _actionsMenu->setDelegate(nullptr);
        OrvantaExtensions::abruptClose(*_actionsMenu);
    }
}

bool RelatedConversationViewController::instantiate() {
    registerDefinition();
    const auto loaded = platform::InterfaceDefinition::load(kDefinition, this);
    if (!loaded || !_o.relatedConversationView)
        return false;
    awakeFromNib();
    return true;
}

void RelatedConversationViewController::awakeFromNib() {
    // 1. The call buttons' look.
    static const platform::Value empty;
    auto* app = AppController::sharedAppController();
    const platform::Value& brand = app ? app->brandDict()["ConversationView"] : empty;
    for (const auto& b : {_o.hold, _o.resume, _o.transfer}) {
        if (!b)
            continue;
        if (brand["ButtonShape"].isArray())
            b->setShape(brand["ButtonShape"]);
        for (const char* key : {"Geometry", "Gradient"})
            if (const auto* text = brand["CallPanelButtons"][key].string())
                b->setProperties(*text);
        b->setState(platform::OffState);
        // A title longer than the brand's width gives the button more room, never two lines.
        if (auto* cell = b->imageCell(); cell && !b->title().empty()) {
            const QXMargin& m = cell->margins();
            const double needed = std::ceil(b->attributedTitle().size().width) + m.left + m.right +
                                  2 * cell->borderWidth() + 4;
            if (b->frame().width() < needed)
                b->setFrameSize({needed, b->frame().height()});
        }
    }
    for (const auto& b : std::initializer_list<std::shared_ptr<platform::Button>>{
             _o.hold, _o.resume, _o.transfer, _o.cancel, _o.addContact})
        if (b)
            b->setTarget(this);
    _actionsMenu = std::make_shared<platform::Menu>();
    _actionsMenu->setDelegate(this);
    if (_o.actionMenuButton)
        _o.actionMenuButton->setMenu(_actionsMenu);
    // 2.
    if (_o.avatar)
        _o.avatar->setHidden(true);
    if (_o.connectionStatusLine)
        _o.connectionStatusLine->setStringValue(
            QXLS("msg.participant.connection_status.connecting", "Calling"));
    // 3. The buttons sit on the strip's foot: hold, resume and transfer from the left, the
    // menu and cancel from the right.
    using C = QXViewConstraint;
    const std::shared_ptr<platform::View> strip = _o.relatedConversationView;
    auto add = [&](const std::shared_ptr<platform::View>& view, C::Attribute attr,
                   const std::shared_ptr<platform::View>& source, C::Attribute sourceAttr,
                   double offset) {
        if (view && source)
            _callButtonsLayout.addConstraint(C(attr, source, sourceAttr, offset), view);
    };
    add(_o.hold, C::MinX, strip, C::MinX, 8);
    add(_o.resume, C::MinX, _o.hold, C::MaxX, 2);
    add(_o.transfer, C::MinX, _o.resume, C::MaxX, 3);
    add(_o.cancel, C::MaxX, strip, C::MaxX, -8);
    add(_o.actionMenuButton, C::MaxX, _o.cancel, C::MinX, -3);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _o.hold, _o.resume, _o.transfer, _o.actionMenuButton, _o.cancel})
        add(view, C::MinY, strip, C::MinY, 8);
    // 4.
    initialize();
    layoutButtons();
    if (_o.actionMenuButton)
        _o.actionMenuButton->setHidden(true);
    _o.relatedConversationView->setController(this);
}

void RelatedConversationViewController::layoutButtons() {
    _callButtonsLayout.layout();
}

void RelatedConversationViewController::initialize() {
    if (!_participant)
        return;
    // 1. The party's state.
    _address = _participant->address();
    _addressToDisplay = _participant->addressToDisplay();
    _displayName = _participant->displayName();
    _connectionStatus = _participant->connectionStatus();
    _transferStatus = _participant->transferStatus();
    _transferTarget = _participant->transferTarget();
    _holdingLocally = _participant->holdingLocally();
    _holdingRemotely = _participant->holdingRemotely();
    _ringbackReceived = _participant->ringbackReceived();
    _earlyMediaReceived = _participant->earlyMediaReceived();
    _inConference = _participant->inConference();
    const auto info = _participant->getCallInfo();
    if (!_callAddress && info) {
        _callAddress = info->callAddress();
        if (_callAddress)
            _callAddress->setDelegate(this);
    }
    const bool isContact = _callAddress && _callAddress->isContact();
    const bool anonymous = info && info->isRemotePartyAnonymous();
    // 2-3. The number line.
    std::string line;
    if (isContact) {
        line = platform::formatString(
            "%@ [%@: %@]", _displayName,
            addressTypeWord(info ? info->addressType() : OVAddressType::softphone),
            _addressToDisplay);
        std::shared_ptr<platform::Image> picture;
        if (const auto contact = _callAddress->contact())
            if (const auto field = contact->getPrimary(OVField::fieldPrimaryTypeAvatar);
                field && !field->valueStr().empty()) {
                const std::string& bytes = field->valueStr();
                picture = platform::Image::imageWithData(std::span<const std::uint8_t>(
                    reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
            }
        if (_o.avatar)
            _o.avatar->setImage(picture ? picture : platform::Image::imageNamed("AvatarSample"));
    } else if (_addressToDisplay == _displayName || _displayName == _address) {
        line = _addressToDisplay;
    } else {
        line = platform::formatString("%@ [%@]", _displayName, _addressToDisplay);
    }
    if (_o.numberLine)
        _o.numberLine->setStringValue(line);
    // 4.
    if (_o.addContact)
        _o.addContact->setHidden(
            isContact || (_callAddress && _callAddress->matchMultipleContacts()) || anonymous);
    if (_o.avatar)
        _o.avatar->setHidden(!isContact);
    updateCallButtons();
}

void RelatedConversationViewController::updateCallButtons() {
    if (!_model)
        return;
    const std::string_view state = _model->getVisualStateName();
    bool resumeShown = _model->canResume();
    bool holdShown = _model->canHold();
    bool transferShown = _model->canAttendedTransfer();
    if (state == Model::holdingLocallyVisualState) {
        resumeShown = true;
        holdShown = false;
    } else if (state == Model::failedToConnectVisualState || state == Model::endedVisualState ||
               state == Model::connectingVisualState || state == Model::preCallingVisualState) {
        resumeShown = holdShown = transferShown = false;
    } else if (state == Model::connectedVisualState) {
        if (auto* w = _o.relatedConversationView ? _o.relatedConversationView->window() : nullptr)
            w->makeFirstResponder(_o.relatedConversationView.get());
    }
    if (_o.resume) {
        _o.resume->setHidden(!resumeShown);
        _o.resume->setEnabled(_model->canResume());
    }
    if (_o.hold) {
        _o.hold->setHidden(!holdShown);
        _o.hold->setEnabled(_model->canHold());
    }
    if (_o.transfer)
        _o.transfer->setHidden(!transferShown);
    if (_o.cancel) {
        _o.cancel->setHidden(!_model->canEnd());
        _o.cancel->setEnabled(true);
    }
    if (_o.actionMenuButton)
        _o.actionMenuButton->setHidden(true);
    if (_o.relatedConversationView)
        _o.relatedConversationView->setHold(_model->isHoldingLocally());
    layoutButtons();
}

void RelatedConversationViewController::updateConnectionMessage() {
    if (!_model || !_o.connectionStatusLine)
        return;
    const std::string_view state = _model->getVisualStateName();
    std::string text;
    if (state == Model::holdingLocallyVisualState)
        text = QXLS("msg.participant.connection_status.onhold", "Call on Hold");
    else if (state == Model::holdingRemotelyVisualState)
        text = QXLS("msg.call.connection_status.holding", "Placed on hold by other party");
    else if (state == Model::failedToConnectVisualState)
        text = QXLS("msg.call.connection_status.fialed", "Call failed to connect");
    else if (state == Model::endedVisualState)
        text = QXLS("msg.call.connection_status.end", "Call ended");
    else if (state == Model::connectingVisualState || state == Model::preCallingVisualState)
        text = QXLS("msg.participant.connection_status.connecting", "Calling");
    else if (state == Model::connectedVisualState)
        text = QXLS("msg.participant.connection_status.connected", "Call Established");
    _o.connectionStatusLine->setStringValue(text);
}

void RelatedConversationViewController::hold(platform::Object*) {
    if (auto call = _model ? _model->getSpaceRelatedConversation() : nullptr)
        call->hold();
    layoutButtons();
}

void RelatedConversationViewController::resume(platform::Object*) {
    if (auto call = _model ? _model->getSpaceRelatedConversation() : nullptr)
        call->resume();
    layoutButtons();
    if (auto* w = _o.relatedConversationView ? _o.relatedConversationView->window() : nullptr)
        w->makeFirstResponder(_o.relatedConversationView.get());
}

void RelatedConversationViewController::transfer(platform::Object*) {
    if (auto call = _model ? _model->getSpaceRelatedConversation() : nullptr)
        call->attendedTransfer();
}

void RelatedConversationViewController::cancel(platform::Object*) {
    if (auto call = _model ? _model->getSpaceRelatedConversation() : nullptr)
        call->end();
}

void RelatedConversationViewController::contextMergeCalls(platform::Object*) {
    if (_model)
        _model->merge();
}

void RelatedConversationViewController::contextSeparate(platform::Object*) {
    if (_model)
        _model->split();
}

void RelatedConversationViewController::addToContactList(platform::Object*) {
    if (_participant)
        ContactEditorController::addParty(_participant->displayName(), _participant->address(),
                                          OVFieldNames::fieldSoftphone);
}

void RelatedConversationViewController::keyPressedOnView(const platform::Event& event) {
    const std::string characters = event.characters();
    if (_model && !characters.empty())
        _model->keyIsPressed(static_cast<unsigned char>(characters.front()));
}

void RelatedConversationViewController::keyReleasedOnView(const platform::Event& event) {
    const std::string characters = event.charactersIgnoringModifiers();
    if (_model && !characters.empty())
        _model->keyIsReleased(static_cast<unsigned char>(characters.front()));
}

void RelatedConversationViewController::menuNeedsUpdate(platform::Menu& menu) {
    if (&menu != _actionsMenu.get() || !_model)
        return;
    menu.removeAllItems();
    menu.addItemWithTitle("", "", "");
    if (_model->canMerge() && featureOn("conferencingEnabled"))
        menu.addItemWithTitle(QXLS("msg.menuitem.call_action.merge_calls", "Merge Calls"),
                              "contextMergeCalls:", "")
            ->setTarget(this);
    if (_model->canSplit())
        menu.addItemWithTitle(QXLS("msg.menuitem.call_action.separate", "Separate"),
                              "contextSeparate:", "")
            ->setTarget(this);
}

bool RelatedConversationViewController::respondsToAction(std::string_view action) const {
    return action == "hold:" || action == "resume:" || action == "transfer:" ||
           action == "cancel:" || action == "contextMergeCalls:" || action == "contextSeparate:" ||
           action == "addToContactList:";
}

bool RelatedConversationViewController::tryToPerform(std::string_view action,
                                                     platform::Object* sender) {
    using Handler = void (RelatedConversationViewController::*)(platform::Object*);
    static const std::pair<std::string_view, Handler> handlers[] = {
        {"hold:", &RelatedConversationViewController::hold},
        {"resume:", &RelatedConversationViewController::resume},
        {"transfer:", &RelatedConversationViewController::transfer},
        {"cancel:", &RelatedConversationViewController::cancel},
        {"contextMergeCalls:", &RelatedConversationViewController::contextMergeCalls},
        {"contextSeparate:", &RelatedConversationViewController::contextSeparate},
        {"addToContactList:", &RelatedConversationViewController::addToContactList},
    };
    for (const auto& [name, handler] : handlers)
        if (name == action) {
            (this->*handler)(sender);
            return true;
        }
    return false;
}

void RelatedConversationViewController::ovmdRelatedConversationPropertyChanged(
    const std::string& name) {
    if (name == Model::visualStateNameProperty) {
        updateCallButtons();
        updateConnectionMessage();
    } else if (name == OVConversationModel::connectionStatusDisplayProperty ||
               name == OVConversationModel::myRelatedConversationModelProperty ||
               name == OVConversationModel::callDurationInSecondsProperty) {
        updateConnectionMessage();
    }
}

void RelatedConversationViewController::ovadIsContactUpdate(bool) {
    initialize();
}

void RelatedConversationViewController::ovadAddressUpdate() {
    initialize();
}

void RelatedConversationViewController::cleanup() {
    if (_model)
        _model->removeDelegate(this);
    if (_participant)
        _participant->removeDelegate(this);
    if (_callAddress)
        _callAddress->removeDelegate(this);
    for (const auto& b : std::initializer_list<std::shared_ptr<platform::Button>>{
             _o.hold, _o.resume, _o.transfer, _o.cancel, _o.addContact})
        if (b && b->target() == this)
            b->setTarget(nullptr);
    if (_o.relatedConversationView)
        _o.relatedConversationView->setController(nullptr);
}
