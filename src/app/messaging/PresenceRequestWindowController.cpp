#include "app/messaging/PresenceRequestWindowController.h"

#include "app/core/AppController.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr double windowWidth = 440;
constexpr double windowHeight = 280;

std::unique_ptr<PresenceRequestWindowController>& sharedInstance() {
    static std::unique_ptr<PresenceRequestWindowController> controller;
    return controller;
}

std::shared_ptr<platform::TextField> label(const platform::Rect& frame, std::string text = {}) {
    return platform::TextField::labelWithString(std::move(text), frame);
}

std::shared_ptr<platform::Button> button(const platform::Rect& frame, std::string title,
                                         std::string action, platform::ActionTarget* target) {
    return platform::Button::buttonWithTitle(std::move(title), target, std::move(action), frame);
}

} // namespace

PresenceRequestWindowController&
PresenceRequestWindowController::sharedPresenceRequestWindowController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<PresenceRequestWindowController>();
    }
    return *shared;
}

bool PresenceRequestWindowController::sharedPresenceRequestWindowControllerExists() {
    return sharedInstance() != nullptr;
}

void PresenceRequestWindowController::releaseSharedPresenceRequestWindowController() {
    sharedInstance().reset();
}

PresenceRequestWindowController::PresenceRequestWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, windowWidth, windowHeight),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.presence_request.title", "Presence Request"));
    _phoneService = StartupService::instance().phoneService();
    buildWindow();
    const auto features = StartupService::instance().featuresService();
    if (!features || !features->featureAvailable("privacyEnabled")) {
        _blockText->setHidden(true);
        _blockButton->setHidden(true);
    }
    _window->center();
    restoreFrame();
    _window->setDelegate(this);
}

void PresenceRequestWindowController::restoreFrame() {
    const auto saved =
        platform::UserDefaults::standardUserDefaults().stringForKey(frameDefaultsKey);
    if (!saved)
        return;
    std::istringstream in(*saved);
    double x = 0, y = 0, width = 0, height = 0;
    if (in >> x >> y >> width >> height) {
        auto frame = _window->frame();
        frame.origin = platform::Point(x, y);
        _window->setFrame(frame, false);
    }
}

void PresenceRequestWindowController::windowDidMove(platform::Window& /*window*/) {
    const auto frame = _window->frame();
    std::ostringstream out;
    out << frame.origin.x << ' ' << frame.origin.y << ' ' << frame.size.width << ' '
        << frame.size.height;
    platform::UserDefaults::standardUserDefaults().setString(frameDefaultsKey, out.str());
}

PresenceRequestWindowController::~PresenceRequestWindowController() {
    for (const auto& b : {_allowButton, _ignoreButton, _blockButton})
        b->setTarget(nullptr);
    _groups->setTarget(nullptr);
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
}

void PresenceRequestWindowController::buildWindow() {
    auto* content = _window->contentView();
    const double inner = windowWidth - 32;
    _messageText = label(platform::Rect(16, windowHeight - 64, inner, 52));
    _messageText->cell()->setWraps(true);
    _inviteText = label(platform::Rect(16, windowHeight - 112, inner, 40));
    _inviteText->setBordered(true);
    _inviteText->cell()->setWraps(true);
    _displayAsLabel = label(platform::Rect(16, 124, 110, 22),
                            QXLS("msg.presence_request.display_as", "Display as:"));
    _displayAs = platform::make<platform::TextField>(platform::Rect(130, 124, inner - 114, 24));
    _groupLabel =
        label(platform::Rect(16, 92, 110, 22), QXLS("msg.presence_request.group", "Group:"));
    _groups = platform::make<platform::PopUpButton>(platform::Rect(130, 90, inner - 114, 26));
    _groups->setTarget(this);
    _groups->setAction("groupChanged:");
    _blockText = label(platform::Rect(16, 46, inner, 36),
                       QXLS("msg.presence_request.block_text",
                            "Block to refuse this person's requests from now on."));
    _allowButton = button(platform::Rect(windowWidth - 108, 12, 92, 28),
                          QXLS("msg.presence_request.allow", "Allow"), "allow:", this);
    _ignoreButton = button(platform::Rect(windowWidth - 208, 12, 92, 28),
                           QXLS("msg.presence_request.ignore", "Ignore"), "ignore:", this);
    _blockButton = button(platform::Rect(16, 12, 92, 28),
                          QXLS("msg.presence_request.block", "Block"), "block:", this);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _messageText, _inviteText, _displayAsLabel, _displayAs, _groupLabel, _groups,
             _blockText, _allowButton, _ignoreButton, _blockButton})
        content->addSubview(view);
}

std::string PresenceRequestWindowController::messageText() const {
    return _messageText->stringValue();
}

void PresenceRequestWindowController::showPresenceRequest(
    std::shared_ptr<PresenceRequest> request) {
    _request = std::move(request);
    if (!_request) {
        return;
    }
    ++_shownCount;
    setup();
    AppController* controller = AppController::sharedAppController();
    platform::Window* key = platform::Application::sharedApplication().keyWindow();
    if (controller && !controller->shouldOrderWindowFront() && key && key != _window.get()) {
        // Beside the window the user works in, behind it, so that nothing is taken from them.
        auto frame = _window->frame();
        frame.origin.x = key->frame().origin.x + key->frame().size.width - 20;
        _window->setFrame(frame, true);
        _window->orderWindow(platform::WindowOrderingMode::Below, key->windowNumber());
    } else {
        _window->makeKeyAndOrderFront(nullptr);
    }
    _inviteText->setHidden(_request->accountProtocol() == OVAccount::SIPprotocol ||
                           _request->inviteMessage().empty());
}

void PresenceRequestWindowController::setup() {
    _contactManager = _phoneService ? _phoneService->getContactManager() : nullptr;
    _selectedGroupIndex = 0;
    const bool xmpp = _request->accountProtocol() == OVAccount::XMPPprotocol;
    const std::string& name = _request->displayName();
    _messageText->setStringValue(platform::formatString(
        "%@(%@) %@ %@ (%@)", name.empty() ? std::string() : name + " ",
        _request->addressToDisplay(),
        QXLS("msg.presence_request.message",
             "wants to communicate with you and see your online status on account "),
        _request->accountName(), std::string(xmpp ? "XMPP" : "SIP")));
    _displayAs->setStringValue(name);
    _inviteText->setStringValue(_request->inviteMessage());
    updateContent();
}

void PresenceRequestWindowController::updateContent() {
    _groups->removeAllItems();
    _groupItems.clear();
    const auto root = _contactManager ? _contactManager->getVeyraRoot() : nullptr;
    for (const auto& group :
         root ? root->entitiesAll() : std::vector<std::shared_ptr<OVEntity>>{}) {
        if (group->type() != OVEntity::typeGroup || group->isReadOnly())
            continue;
        _groups->addItemWithTitle(group->displayName());
        _groupItems.push_back(group);
    }
    if (_groupItems.empty()) {
        _groups->addItemWithTitle(QXLS("msg.contact.newGroup", "Other"));
        _groupItems.push_back(nullptr);
    }
    _selectedGroupIndex =
        std::clamp<long>(_selectedGroupIndex, 0, static_cast<long>(_groupItems.size()) - 1);
    _groups->selectItemAtIndex(_selectedGroupIndex);

    _contacts.clear();
    if (_contactManager) {
        auto search = _contactManager->getContacts();
        search->start();
        search->stop();
        if (const auto result = search->result())
            for (const auto& contact : result->entities())
                if (!contact->isReadOnly())
                    _contacts.push_back(contact);
        std::stable_sort(_contacts.begin(), _contacts.end(), [](const auto& a, const auto& b) {
            return a->displayName() < b->displayName();
        });
    }
}

std::shared_ptr<OVEntity> PresenceRequestWindowController::selectedGroup() const {
    const auto index = _groups->indexOfSelectedItem();
    if (index < 0 || index >= static_cast<long>(_groupItems.size()))
        return nullptr;
    return _groupItems[static_cast<std::size_t>(index)];
}

void PresenceRequestWindowController::groupChanged(platform::Object* /*sender*/) {
    _selectedGroupIndex = _groups->indexOfSelectedItem();
}

bool PresenceRequestWindowController::processNextPresenceRequest() {
    AppController* controller = AppController::sharedAppController();
    auto next = controller ? controller->nextPresenceRequest() : nullptr;
    if (next) {
        showPresenceRequest(std::move(next));
        return true;
    }
    _request.reset();
    _window->orderOut(nullptr);
    return false;
}

bool PresenceRequestWindowController::windowShouldClose(platform::Window& /*sender*/) {
    if (_request)
        _request->ignore();
    return !processNextPresenceRequest();
}

bool PresenceRequestWindowController::respondsToAction(std::string_view action) const {
    return action == "allow:" || action == "ignore:" || action == "block:" ||
           action == "groupChanged:";
}

bool PresenceRequestWindowController::tryToPerform(std::string_view action,
                                                   platform::Object* sender) {
    if (action == "allow:")
        allow(sender);
    else if (action == "ignore:")
        ignore(sender);
    else if (action == "block:")
        block(sender);
    else if (action == "groupChanged:")
        groupChanged(sender);
    else
        return false;
    return true;
}
