#include "app/calls/ParticipantViewController.h"

#include "app/calls/ConversationViewController.h"
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactEditorController.h"
#include "app/core/Features.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"
#include "support/MenuExtensions.h"
#include "support/Notifications.h"
#include "support/ValueTransformers.h"

#include <algorithm>
#include <span>

using platform::Rect;

namespace {

constexpr std::string_view kDefinition = "ParticipantView";
// How long a party that failed to connect stays before it is hung up.
constexpr platform::TimeInterval kCallEndDelay = 4.0;

std::shared_ptr<platform::TextField> rowLabel(const Rect& frame, double size, bool bold) {
    auto field = platform::TextField::labelWithString(
        {}, frame,
        bold ? platform::Font::boldSystemFontOfSize(size) : platform::Font::systemFontOfSize(size));
    field->setAutoresizingMask(platform::ViewWidthSizable);
    return field;
}

} // namespace

void ParticipantViewController::registerDefinition() {
    if (!platform::InterfaceDefinition::isRegistered(kDefinition))
        platform::InterfaceDefinition::registerDefinition(
            std::string(kDefinition), &ParticipantViewController::buildDefinition);
}

void ParticipantViewController::buildDefinition(platform::InterfaceDefinitionLoad& load) {
    auto* owner = dynamic_cast<ParticipantViewController*>(load.owner());
    constexpr double width = 330;
    ParticipantViewOutlets o;
    o.participantView = std::make_shared<ParticipantView>(Rect(0, 0, width, 38));
    o.participantView->setAutoresizingMask(platform::ViewWidthSizable);
    o.avatar = std::make_shared<platform::ImageView>(Rect(8, 3, 32, 32));
    o.callerLine = rowLabel(Rect(46, 19, width - 110, 17), 13, true);
    o.numberLine = rowLabel(Rect(46, 3, width - 110, 15), 10, false);
    o.numberLine->setTextColor(platform::Color(0.3, 0.33, 0.4, 1));
    o.addContactButton = std::make_shared<platform::Button>(Rect(width - 60, 8, 24, 22));
    o.addContactButton->setTitle("+");
    o.addContactButton->setAction("addToContactList:");
    o.actionMenuButton = std::make_shared<platform::Button>(Rect(width - 32, 8, 24, 22));
    o.actionMenuButton->setTitle("\u25be");
    for (const auto& button : {o.addContactButton, o.actionMenuButton})
        button->setAutoresizingMask(platform::ViewMinXMargin);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             o.avatar, o.callerLine, o.numberLine, o.addContactButton, o.actionMenuButton})
        o.participantView->addSubview(view);
    load.addTopLevelObject(o.participantView);
    if (owner)
        owner->setOutlets(std::move(o));
}

ParticipantViewController::ParticipantViewController(std::shared_ptr<Participant> participant,
                                                     ConversationViewController* parentController)
    : _participant(std::move(participant)), _parentController(parentController) {
    _participant->setDelegate(this);
}

ParticipantViewController::~ParticipantViewController() {
    if (_observing)
        platform::NotificationCenter::defaultCenter().removeObserver(this);
    stopCallEndTimer();
    if (_callAddress)
        _callAddress->removeDelegate(this);
    if (_participant)
        _participant->removeDelegate(this);
    if (_actionsMenu) {
        _actionsMenu->setDelegate(nullptr);
        OrvantaExtensions::abruptClose(*_actionsMenu);
    }
}

bool ParticipantViewController::instantiate() {
    registerDefinition();
    const auto loaded = platform::InterfaceDefinition::load(kDefinition, this);
    if (!loaded || !_o.participantView)
        return false;
    awakeFromNib();
    return true;
}

void ParticipantViewController::awakeFromNib() {
    for (const auto& button : {_o.addContactButton, _o.actionMenuButton})
        if (button)
            button->setTarget(this);
    _actionsMenu = std::make_shared<platform::Menu>();
    _actionsMenu->setDelegate(this);
    if (_o.actionMenuButton)
        _o.actionMenuButton->setMenu(_actionsMenu);
    if (_o.avatar)
        _o.avatar->setHidden(true);
    initialize();
    platform::NotificationCenter::defaultCenter().addObserver(
        this, ContactChangedNotification, nullptr,
        [this](const platform::Notification&) { initialize(); });
    _observing = true;
}

void ParticipantViewController::initialize() {
    if (!_participant)
        return;
    // 1. The party's texts; the call info and its address are fetched once.
    const std::string displayName = _participant->displayName();
    const std::string address = _participant->addressToDisplay();
    if (!_callInfo)
        _callInfo = _participant->getCallInfo();
    if (!_callAddress && _callInfo) {
        _callAddress = _callInfo->callAddress();
        if (_callAddress)
            _callAddress->setDelegate(this);
    }
    const bool isContact = _callAddress && _callAddress->isContact();
    const bool anonymous = _callInfo && _callInfo->isRemotePartyAnonymous();
    std::string number;
    bool numberHidden = false;
    if (isContact) {
        // 2. A contact's number, labelled by its type; the contact's picture.
        const ContactAddressStringTransformer labels;
        const std::string label =
            labels
                .transformedValue(platform::Value(static_cast<int>(
                    _callInfo ? _callInfo->addressType() : OVAddressType::softphone)))
                .stringValue();
        number = platform::formatString("[%@: %@]", label, address);
        std::shared_ptr<platform::Image> picture;
        if (const auto contact = _callAddress->contact()) {
            if (const auto field = contact->getPrimary(OVField::fieldPrimaryTypeAvatar);
                field && !field->valueStr().empty()) {
                const std::string& bytes = field->valueStr();
                picture = platform::Image::imageWithData(std::span<const std::uint8_t>(
                    reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
            }
        }
        if (!picture)
            picture = platform::Image::imageNamed("AvatarSample");
        if (_o.avatar)
            _o.avatar->setImage(picture);
    } else if (featureOn("contactsEnabled")) {
        // 3. Someone the contacts do not hold.
        number = platform::formatString("[%@: %@]", QXLS("msg.shared.cm.other", "Other"), address);
    } else {
        number = address;
        numberHidden = address == displayName;
    }
    // 4. A withheld identity says so instead.
    if (anonymous) {
        number = QXLS("msg.call.anonymous.display", "Caller has withheld identity");
        numberHidden = false;
    }
    if (_o.numberLine) {
        _o.numberLine->setStringValue(number);
        _o.numberLine->setHidden(numberHidden);
    }
    // 5-8.
    updateDisplayName();
    if (_o.addContactButton)
        _o.addContactButton->setHidden(
            isContact || (_callAddress && _callAddress->matchMultipleContacts()) || anonymous);
    if (_o.avatar)
        _o.avatar->setHidden(!isContact);
    if (_o.actionMenuButton)
        _o.actionMenuButton->setHidden(!_participant->inConference());
}

void ParticipantViewController::updateDisplayName() {
    if (!_participant || !_o.callerLine)
        return;
    const std::string display = _callInfo && !_callInfo->display().empty()
                                    ? _callInfo->display()
                                    : _participant->displayName();
    _o.callerLine->setStringValue(display);
    if (!_participant->audioOnly())
        appendDisplayName(QXLS("msg.call.suffix.withVideo", "- Video"));
    if (_participant->holdingRemotely() && _participant->inConference())
        appendDisplayName(QXLS("msg.call.suffix.withRemoteHold", "- Remote Hold"));
}

void ParticipantViewController::appendDisplayName(const std::string& text) {
    if (!_o.callerLine || text.empty())
        return;
    auto line = _o.callerLine->attributedStringValue();
    if (line.string().find(text) != std::string::npos)
        return;
    // The suffix takes the number line's look; the name keeps its own.
    platform::TextAttributes look;
    if (_o.numberLine) {
        const auto number = _o.numberLine->attributedStringValue();
        if (!number.empty())
            look = number.attributesAtIndex(0);
        if (!look.foregroundColor)
            look.foregroundColor = _o.numberLine->textColor();
        if (!look.font)
            look.font = _o.numberLine->font();
    }
    line.appendAttributedString(platform::AttributedString(text, look));
    _o.callerLine->setAttributedStringValue(std::move(line));
}

void ParticipantViewController::menuNeedsUpdate(platform::Menu& menu) {
    if (&menu != _actionsMenu.get() || !_participant)
        return;
    menu.removeAllItems();
    menu.addItemWithTitle("", "", "");
    auto add = [&](std::string title, std::string action) {
        auto item = menu.addItemWithTitle(std::move(title), std::move(action), "");
        item->setTarget(this);
    };
    if (_participant->canSeparate())
        add(QXLS("msg.menuitem.call_action.separate", "Separate"), "contextSeparate:");
    if (_participant->canIm())
        add(QXLS("msg.menuitem.call_action.im", "Send Instant Message"), "contextSendIM:");
    if (_participant->canSms())
        add(QXLS("msg.menuitem.call_action.sms", "Send Mobile Text Message"), "contextSendSMS:");
    add(QXLS("msg.menuitem.call_action.end", "End Call"), "contextEnd:");
}

void ParticipantViewController::addToContactList(platform::Object*) {
    if (_participant)
        ContactEditorController::addParty(_participant->displayName(), _participant->address(),
                                          OVFieldNames::fieldSoftphone);
}

void ParticipantViewController::contextSeparate(platform::Object*) {
    if (_participant)
        _participant->separate();
}

void ParticipantViewController::contextSendIM(platform::Object*) {
    if (_participant)
        _participant->im();
}

void ParticipantViewController::contextSendSMS(platform::Object*) {
    if (_participant)
        _participant->sms();
}

void ParticipantViewController::contextEnd(platform::Object*) {
    if (!_participant)
        return;
    if (_participant->connectionStatus() == Participant::statusConnecting)
        _participant->cancel();
    else
        _participant->hangUp();
}

void ParticipantViewController::contextStartVideo(platform::Object* sender) {
    auto& window = VideoWindow::sharedVideoWindow();
    if (!window.isVisible())
        window.orderFront(sender);
    if (_participant)
        _participant->startMyVideo();
}

void ParticipantViewController::contextStopVideo(platform::Object*) {
    if (_participant)
        _participant->stopMyVideo();
}

namespace {

using ParticipantViewControllerAction = void (ParticipantViewController::*)(platform::Object*);

// The actions the controller answers, each with its handler.
constexpr std::pair<std::string_view, ParticipantViewControllerAction>
    kParticipantViewControllerActions[] = {
        {"addToContactList:", &ParticipantViewController::addToContactList},
        {"contextSeparate:", &ParticipantViewController::contextSeparate},
        {"contextSendIM:", &ParticipantViewController::contextSendIM},
        {"contextSendSMS:", &ParticipantViewController::contextSendSMS},
        {"contextEnd:", &ParticipantViewController::contextEnd},
        {"contextStartVideo:", &ParticipantViewController::contextStartVideo},
        {"contextStopVideo:", &ParticipantViewController::contextStopVideo},
};

} // namespace

bool ParticipantViewController::respondsToAction(std::string_view action) const {
    return std::any_of(std::begin(kParticipantViewControllerActions),
                       std::end(kParticipantViewControllerActions),
                       [action](const auto& entry) { return entry.first == action; });
}

bool ParticipantViewController::tryToPerform(std::string_view action, platform::Object* sender) {
    for (const auto& [name, handler] : kParticipantViewControllerActions)
        if (name == action) {
            (this->*handler)(sender);
            return true;
        }
    return false;
}

void ParticipantViewController::isConferenceChange(bool inConference) {
    if (_o.actionMenuButton)
        _o.actionMenuButton->setHidden(!inConference);
    initialize();
    updateDisplayName();
}

void ParticipantViewController::transferStatusChanged(const std::shared_ptr<Participant>&,
                                                      int status, const std::string&) {
    if (status == 4)
        initialize();
}

void ParticipantViewController::connectionStatusChanged(const std::shared_ptr<Participant>&,
                                                        int status) {
    switch (status) {
    case Participant::statusRinging:
    case Participant::statusConnected:
        initialize();
        break;
    case Participant::statusFailedToConnect: {
        if (_callEndTimer)
            break;
        // The timer holds the row weakly: a row cleaned up and let go meanwhile is not touched.
        std::weak_ptr<Participant> weakParty = _participant;
        ParticipantViewController* self = this;
        auto alive = std::make_shared<bool>(true);
        _callEndAlive = alive;
        _callEndTimer = platform::Timer::scheduledTimerWithTimeInterval(
            kCallEndDelay, false, [self, alive, weakParty](platform::Timer&) {
                if (!*alive)
                    return;
                self->_callEndTimer.reset();
                if (auto party = weakParty.lock())
                    party->hangUp();
            });
        break;
    }
    case Participant::statusDisconnected:
        cleanup();
        break;
    default:
        break;
    }
}

void ParticipantViewController::isHoldingRemotelyChanged(const std::shared_ptr<Participant>&,
                                                         bool onHold) {
    if (_parentController)
        _parentController->connectionStatusChange(onHold ? 2 : 0);
    updateDisplayName();
}

void ParticipantViewController::audioOnlyUpdate() {
    updateDisplayName();
}

void ParticipantViewController::beingRedirected(const std::shared_ptr<Participant>&,
                                                const std::string&) {
    initialize();
}

void ParticipantViewController::ovadIsContactUpdate(bool) {
    initialize();
}

void ParticipantViewController::ovadAddressUpdate() {
    initialize();
}

void ParticipantViewController::stopCallEndTimer() {
    if (_callEndAlive) {
        *_callEndAlive = false;
        _callEndAlive.reset();
    }
    if (_callEndTimer) {
        _callEndTimer->invalidate();
        _callEndTimer.reset();
    }
}

void ParticipantViewController::cleanup() {
    for (const auto& button : {_o.addContactButton, _o.actionMenuButton})
        if (button)
            button->setEnabled(false);
    if (_observing) {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        _observing = false;
    }
    if (_callAddress)
        _callAddress->removeDelegate(this);
    if (_participant)
        _participant->removeDelegate(this);
    stopCallEndTimer();
}
