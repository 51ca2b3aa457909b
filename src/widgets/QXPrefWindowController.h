#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Toolbar.h"
#include "platform/kit/Window.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Image;
class ToolbarItem;
class View;
} // namespace platform
class QXPrefWindowController;

// A pane of a QXPrefWindowController: a view controller with the view the window shows for
// it. Everything but view() is optional; the controller sends each message around showing and
// hiding the view.
class QXPrefPane : public platform::Object {
public:
    virtual std::shared_ptr<platform::View> view() = 0;
    // Before the view leaves the window: a chance to take the edits of a field being typed in.
    virtual void commitEditing() {}
    virtual void viewWillShow(QXPrefWindowController& /*controller*/) {}
    virtual void viewDidShow(QXPrefWindowController& /*controller*/) {}
    virtual void viewWillHide(QXPrefWindowController& /*controller*/) {}
    virtual void viewDidHide(QXPrefWindowController& /*controller*/) {}

    // The pane's toolbar item, kept here by the controller that registered the pane.
    const std::shared_ptr<platform::ToolbarItem>& representedObject() const { return _item; }
    void setRepresentedObject(std::shared_ptr<platform::ToolbarItem> item) {
        _item = std::move(item);
    }

private:
    std::shared_ptr<platform::ToolbarItem> _item;
};

// Registers the interface definition "Preferences": a titled, closable window titled
// "Preferences" that becomes the window of the controller loading it. Registering twice
// replaces the builder.
void registerPreferencesInterfaceDefinition();

// The window controller of every window that switches between panes from its toolbar. Each
// pane is registered under an identifier with a label and an image; choosing its toolbar item
// hides the pane shown (letting it commit its edits), shows the chosen one and fits the
// window's height to it while the window's top edge stays where it is.
//
// The window comes from the interface definition named by windowNibName() the first time it
// is needed; the controller is then its delegate and its toolbar's delegate.
class QXPrefWindowController : public platform::Object,
                               public platform::WindowDelegate,
                               public platform::ToolbarDelegate,
                               public platform::ActionTarget {
public:
    // The identifier of the toolbar the controller makes.
    static constexpr std::string_view toolbarIdentifier = "PreferencesToolbar";

    // The name of the window's interface definition; subclasses answer their own through
    // windowNibName().
    static std::string_view nibName() { return "Preferences"; }
    virtual std::string windowNibName() const { return std::string(nibName()); }

    // The original's initWithWindow:; without a window, it is loaded when first needed.
    explicit QXPrefWindowController(std::shared_ptr<platform::Window> window = nullptr);
    ~QXPrefWindowController() override;
    QXPrefWindowController(const QXPrefWindowController&) = delete;
    QXPrefWindowController& operator=(const QXPrefWindowController&) = delete;

    // The window, loading it first when needed; nullptr when its definition cannot be loaded.
    platform::Window* window();
    bool isWindowLoaded() const { return _window != nullptr; }
    // The outlet an interface definition sets.
    void setWindow(std::shared_ptr<platform::Window> window);
    virtual void windowDidLoad();

    // Subclasses register their panes here; showWindow calls it each time with empty
    // registers, so the panes may depend on the feature switches of the moment.
    virtual void setupToolbar() {}
    void addViewController(std::shared_ptr<QXPrefPane> controller, const std::string& identifier,
                           const std::string& label, std::shared_ptr<platform::Image> image);
    // With the application's image named like the identifier.
    void addViewController(std::shared_ptr<QXPrefPane> controller, const std::string& identifier,
                           const std::string& label);

    void switchToolbarItem(platform::ToolbarItem* item);
    virtual void showWindow(platform::Object* sender);
    void displayViewWithIdentifier(const std::string& identifier, bool animate);
    void hideCurrentView();

    bool animate() const { return _animate; }
    void setAnimate(bool flag) { _animate = flag; }
    bool horizontalResize() const { return _hResize; }
    void setHorizontalResize(bool flag) { _hResize = flag; }
    bool verticalResize() const { return _vResize; }
    void setVerticalResize(bool flag) { _vResize = flag; }
    const std::optional<std::string>& currentIdentifier() const { return _currentIdentifier; }
    void setCurrentIdentifier(std::optional<std::string> identifier) {
        _currentIdentifier = std::move(identifier);
    }
    const std::vector<std::string>& prefIdentifiers() const { return _prefIdentifiers; }
    std::shared_ptr<QXPrefPane> paneWithIdentifier(const std::string& identifier) const;

    // Window delegate.
    void windowWillClose(platform::Window& window) override;

    // Toolbar delegate: the registered panes, in the order they were registered.
    std::vector<std::string> toolbarDefaultItemIdentifiers(platform::Toolbar& toolbar) override;
    std::vector<std::string> toolbarAllowedItemIdentifiers(platform::Toolbar& toolbar) override;
    std::vector<std::string> toolbarSelectableItemIdentifiers(platform::Toolbar& toolbar) override;
    std::shared_ptr<platform::ToolbarItem>
    toolbarItemForItemIdentifier(platform::Toolbar& toolbar, const std::string& identifier,
                                 bool willBeInserted) override;

    // "switchToolbarItem:" from the toolbar items; "cancelOperation:" and "performClose:"
    // (Escape and Ctrl+W in the window) close the window.
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    void makeToolbar();
    void endAttachedSheet();

    bool _animate = true;
    bool _hResize = false;
    bool _vResize = true;
    std::string _origTitle;
    std::optional<std::string> _currentIdentifier;
    std::map<std::string, std::shared_ptr<QXPrefPane>> _prefItems;
    std::vector<std::string> _prefIdentifiers;
    std::shared_ptr<platform::Window> _window;
    // The pane whose view is in the window: the one hidden next, even when the registers have
    // been filled again since it was shown.
    std::shared_ptr<QXPrefPane> _currentPane;
    bool _loading = false;
};
