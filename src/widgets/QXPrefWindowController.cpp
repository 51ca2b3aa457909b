#include "widgets/QXPrefWindowController.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/ToolbarItem.h"
#include "platform/kit/View.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>

using platform::Rect;
using platform::Window;

namespace {

constexpr std::string_view kSwitchAction = "switchToolbarItem:";
// What the window asks of its delegate for Escape and Ctrl+W: both close the window.
constexpr std::string_view kCancelAction = "cancelOperation:";
constexpr std::string_view kCloseAction = "performClose:";

// The height the toolbar's strip takes from the top of the window's content: the kit lays
// the strip over the content view instead of adding it to the window's frame.
double toolbarStripHeight(const Window& window) {
    const auto& toolbar = window.toolbar();
    if (!toolbar || !toolbar->isVisible())
        return 0;
    const platform::View* strip = toolbar->toolbarView();
    return strip && strip->superview() ? strip->frame().height() : 0;
}

} // namespace

void registerPreferencesInterfaceDefinition() {
    platform::InterfaceDefinition::registerDefinition(
        std::string(QXPrefWindowController::nibName()),
        [](platform::InterfaceDefinitionLoad& load) {
            auto window = platform::make<Window>(
                Rect(0, 0, 480, 300), platform::TitledWindowMask | platform::ClosableWindowMask |
                                          platform::MiniaturizableWindowMask);
            window->setTitle("Preferences");
            window->setReleasedWhenClosed(false);
            load.addTopLevelObject(window);
            if (auto* owner = dynamic_cast<QXPrefWindowController*>(load.owner()))
                owner->setWindow(window);
        });
}

QXPrefWindowController::QXPrefWindowController(std::shared_ptr<Window> window)
    : _window(std::move(window)) {}

QXPrefWindowController::~QXPrefWindowController() {
    for (auto& [identifier, pane] : _prefItems)
        if (pane->representedObject() && pane->representedObject()->target() == this)
            pane->representedObject()->setTarget(nullptr);
    if (!_window)
        return;
    if (const auto& toolbar = _window->toolbar()) {
        if (toolbar->delegate() == this)
            toolbar->setDelegate(nullptr);
        for (const auto& item : toolbar->items())
            if (item->target() == this)
                item->setTarget(nullptr);
    }
    if (_window->delegate() == this)
        _window->setDelegate(nullptr);
}

Window* QXPrefWindowController::window() {
    if (!_window && !_loading) {
        const std::string name = windowNibName();
        if (name == nibName() && !platform::InterfaceDefinition::isRegistered(name))
            registerPreferencesInterfaceDefinition();
        _loading = true;
        platform::InterfaceDefinition::load(name, this);
        _loading = false;
        if (_window)
            windowDidLoad();
    }
    return _window.get();
}

void QXPrefWindowController::setWindow(std::shared_ptr<Window> window) {
    _window = std::move(window);
}

// The pane decides the window's height, so the window shows no resize affordances, and the
// content keeps its top edge when the window grows or shrinks below it.
void QXPrefWindowController::windowDidLoad() {
    _window->setShowsResizeIndicator(false);
    _window->setShowsToolbarButton(false);
    if (platform::View* content = _window->contentView()) {
        content->setAutoresizesSubviews(true);
        content->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMaxYMargin);
    }
    _origTitle = _window->title();
    _window->setDelegate(this);
}

void QXPrefWindowController::addViewController(std::shared_ptr<QXPrefPane> controller,
                                               const std::string& identifier,
                                               const std::string& label,
                                               std::shared_ptr<platform::Image> image) {
    if (!controller || identifier.empty())
        return;
    auto item = std::make_shared<platform::ToolbarItem>(identifier);
    item->setLabel(label);
    item->setPaletteLabel(label);
    item->setImage(std::move(image));
    item->setTarget(this);
    item->setAction(std::string(kSwitchAction));
    controller->setRepresentedObject(item);
    _prefItems[identifier] = std::move(controller);
    _prefIdentifiers.push_back(identifier);
}

void QXPrefWindowController::addViewController(std::shared_ptr<QXPrefPane> controller,
                                               const std::string& identifier,
                                               const std::string& label) {
    addViewController(std::move(controller), identifier, label,
                      platform::Image::imageNamed(identifier));
}

std::shared_ptr<QXPrefPane>
QXPrefWindowController::paneWithIdentifier(const std::string& identifier) const {
    auto it = _prefItems.find(identifier);
    return it == _prefItems.end() ? nullptr : it->second;
}

void QXPrefWindowController::switchToolbarItem(platform::ToolbarItem* item) {
    if (item)
        displayViewWithIdentifier(item->itemIdentifier(), _animate);
}

bool QXPrefWindowController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == kCancelAction || action == kCloseAction) {
        if (_window)
            _window->performClose(this);
        return true;
    }
    if (action != kSwitchAction)
        return false;
    switchToolbarItem(dynamic_cast<platform::ToolbarItem*>(sender));
    return true;
}

bool QXPrefWindowController::respondsToAction(std::string_view action) const {
    return action == kSwitchAction || action == kCancelAction || action == kCloseAction;
}

void QXPrefWindowController::makeToolbar() {
    auto toolbar = platform::make<platform::Toolbar>(std::string(toolbarIdentifier));
    toolbar->setAllowsUserCustomization(false);
    toolbar->setAutosavesConfiguration(false);
    toolbar->setSizeMode(platform::ToolbarSizeMode::Default);
    toolbar->setDisplayMode(platform::ToolbarDisplayMode::IconAndLabel);
    toolbar->setDelegate(this);
    _window->setToolbar(toolbar);
    if (!_hResize)
        return;
    // Wider until every item shows, but never past the window's own limit.
    for (;;) {
        const Rect content = _window->contentRectForFrameRect(_window->frame());
        if (toolbar->visibleItems().size() >= toolbar->items().size() ||
            _window->maxSize().width <= content.width())
            break;
        _window->setContentSize({content.width() + 10, content.height()});
    }
}

// A window shown with no pane registered (every feature behind its panes switched off) shows
// empty rather than pick the first of no panes.
void QXPrefWindowController::showWindow(platform::Object* /*sender*/) {
    Window* window = this->window();
    if (!window)
        return;
    _prefItems.clear();
    _prefIdentifiers.clear();
    setupToolbar();
    if (!window->toolbar())
        makeToolbar();
    window->center();
    window->makeKeyAndOrderFront(this);

    if (_prefIdentifiers.empty()) {
        platform::Logf("%@: no pane to show", windowNibName());
    } else {
        std::string identifier = _prefIdentifiers.front();
        if (_currentIdentifier && _prefItems.count(*_currentIdentifier))
            identifier = *_currentIdentifier;
        displayViewWithIdentifier(identifier, false);
    }
    window->makeKeyAndOrderFront(this);
}

void QXPrefWindowController::endAttachedSheet() {
    if (_window && _window->attachedSheet())
        platform::WindowServer::shared().endSheet(*_window->attachedSheet(), 0);
}

void QXPrefWindowController::displayViewWithIdentifier(const std::string& identifier,
                                                       bool animate) {
    auto it = _prefItems.find(identifier);
    if (it == _prefItems.end())
        return;
    if (_currentIdentifier == identifier)
        return;
    Window* window = this->window();
    if (!window)
        return;
    endAttachedSheet();
    hideCurrentView();
    _currentIdentifier = identifier;

    std::shared_ptr<QXPrefPane> pane = it->second;
    _currentPane = pane;
    pane->viewWillShow(*this);
    std::shared_ptr<platform::View> view = pane->view();
    if (view && window->contentView())
        window->contentView()->addSubview(view);
    if (const auto& toolbar = window->toolbar())
        toolbar->setSelectedItemIdentifier(identifier);

    Rect frame = window->frame();
    const double top = frame.maxY();
    const Rect content = window->contentRectForFrameRect(frame);
    const double paneArea = content.height() - toolbarStripHeight(*window);
    const double chrome = frame.height() - paneArea;
    if (view) {
        view->setFrameSize({content.width(), view->frame().height()});
        const platform::AutoresizingMask mask = view->autoresizingMask();
        if ((mask & platform::ViewMinYMargin) && !(mask & platform::ViewMaxYMargin))
            view->setFrameOrigin({0, paneArea - view->frame().height()});
        if (_vResize)
            frame.size.height = view->frame().height() + chrome;
    }
    frame.origin.y = top - frame.height();

    const auto& item = pane->representedObject();
    window->setTitle(_origTitle + " - " + (item ? item->label() : std::string()));
    window->setFrame(frame, true, animate);
    pane->viewDidShow(*this);
}

void QXPrefWindowController::hideCurrentView() {
    if (_currentIdentifier && _currentPane) {
        auto pane = _currentPane;
        pane->viewWillHide(*this);
        pane->commitEditing();
        if (auto view = pane->view())
            view->removeFromSuperview();
        pane->viewDidHide(*this);
    }
    _currentPane.reset();
    _currentIdentifier.reset();
}

void QXPrefWindowController::windowWillClose(Window& /*window*/) {
    endAttachedSheet();
    hideCurrentView();
}

std::vector<std::string>
QXPrefWindowController::toolbarDefaultItemIdentifiers(platform::Toolbar& /*toolbar*/) {
    return _prefIdentifiers;
}

std::vector<std::string>
QXPrefWindowController::toolbarAllowedItemIdentifiers(platform::Toolbar& /*toolbar*/) {
    return _prefIdentifiers;
}

std::vector<std::string>
QXPrefWindowController::toolbarSelectableItemIdentifiers(platform::Toolbar& /*toolbar*/) {
    return _prefIdentifiers;
}

std::shared_ptr<platform::ToolbarItem> QXPrefWindowController::toolbarItemForItemIdentifier(
    platform::Toolbar& /*toolbar*/, const std::string& identifier, bool /*willBeInserted*/) {
    auto pane = paneWithIdentifier(identifier);
    return pane ? pane->representedObject() : nullptr;
}
