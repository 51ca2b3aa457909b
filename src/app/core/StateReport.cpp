#include "app/core/StateReport.h"

#include "app/core/AppController.h"
#include "app/core/SecureTextField.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuBarView.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Screen.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextField.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Window.h"
#include "platform/web/HTMLDocument.h"
#include "platform/web/WebView.h"
#include "widgets/QXTextField.h"

namespace state_report {

namespace {

using platform::Value;

// A rectangle of the window's base coordinates on the X server's screen.
Value screenFrame(const platform::Window& window, const platform::Rect& base) {
    const platform::Screen* screen = platform::Screen::mainScreen();
    const double screenHeight = screen ? screen->frame().height() : 0;
    const platform::Rect frame = window.frame();
    Value result(Value::Dictionary{});
    result.setObject("x", frame.minX() + base.minX());
    result.setObject("y", screenHeight - (frame.minY() + base.minY() + base.height()));
    result.setObject("width", base.width());
    result.setObject("height", base.height());
    return result;
}

// The view's kind and what it shows; nullopt for views that only hold others.
std::optional<Value> describe(const platform::View& view) {
    Value entry(Value::Dictionary{});
    if (const auto* popUp = dynamic_cast<const platform::PopUpButton*>(&view)) {
        entry.setObject("kind", "popUpButton");
        entry.setObject("text", popUp->titleOfSelectedItem());
    } else if (const auto* button = dynamic_cast<const platform::Button*>(&view)) {
        entry.setObject("kind", "button");
        entry.setObject("text", button->title());
        entry.setObject("state", static_cast<int>(button->state()));
    } else if (const auto* secure = dynamic_cast<const SecureTextField*>(&view)) {
        // A password shows as dots; so does the report.
        entry.setObject("kind", "secureField");
        entry.setObject("text", std::string(secure->stringValue().empty() ? 0 : 8, '*'));
        entry.setObject("placeholder", secure->placeholderString());
    } else if (const auto* field = dynamic_cast<const platform::TextField*>(&view)) {
        entry.setObject("kind", field->isEditable() ? "textField" : "label");
        entry.setObject("text", field->stringValue());
        // The widgets' own text fields keep a styled placeholder of their own.
        const auto* own = dynamic_cast<const QXTextField*>(field);
        const auto styled = own ? own->placeholderString() : field->placeholderAttributedString();
        entry.setObject("placeholder", styled ? styled->string() : field->placeholderString());
    } else if (const auto* text = dynamic_cast<const platform::TextView*>(&view)) {
        entry.setObject("kind", "textView");
        entry.setObject("text", text->string());
        // A text view takes the keys itself, being its window's first responder.
        const platform::Window* window = view.window();
        entry.setObject("focused",
                        window && window->isKeyWindow() && window->firstResponder() == &view);
    } else if (const auto* web = dynamic_cast<const platform::WebView*>(&view)) {
        entry.setObject("kind", "webView");
        const platform::DOMElement body = web->mainFrameDocument().body();
        entry.setObject("text", body ? body.textContent() : std::string());
    } else if (const auto* table = dynamic_cast<const platform::TableView*>(&view)) {
        entry.setObject("kind", "table");
        entry.setObject("rows", table->numberOfRows());
    } else {
        return std::nullopt;
    }
    if (const auto* control = dynamic_cast<const platform::Control*>(&view)) {
        entry.setObject("enabled", control->isEnabled());
        // A field being typed into has the window's field editor.
        const platform::Window* window = view.window();
        const bool typing = control->currentEditor() && window && window->isKeyWindow() &&
                            window->firstResponder() == control->currentEditor();
        entry.setObject("focused", typing);
    }
    return entry;
}

// The menu bar's titles, its icon ("icon") and its chevron ("overflow") as views of their own.
void collectMenuBar(const platform::Window& window, const platform::MenuBarView& bar,
                    Value::Array& into) {
    for (const auto& slot : bar.slots()) {
        Value entry(Value::Dictionary{});
        entry.setObject("kind", "menuTitle");
        switch (slot.kind) {
        case platform::MenuBarView::SlotKind::Icon:
            entry.setObject("text", "icon");
            break;
        case platform::MenuBarView::SlotKind::Overflow:
            entry.setObject("text", "overflow");
            break;
        case platform::MenuBarView::SlotKind::Title:
            entry.setObject("text", slot.item ? slot.item->title() : std::string());
            break;
        }
        entry.setObject("frame", screenFrame(window, bar.convertRectToView(slot.frame, nullptr)));
        into.push_back(std::move(entry));
    }
}

void collect(const platform::Window& window, const platform::View& view, Value::Array& into) {
    if (view.isHidden())
        return;
    if (const auto* bar = dynamic_cast<const platform::MenuBarView*>(&view))
        collectMenuBar(window, *bar, into);
    if (auto entry = describe(view)) {
        entry->setObject("frame",
                         screenFrame(window, view.convertRectToView(view.bounds(), nullptr)));
        into.push_back(std::move(*entry));
    }
    for (const auto& subview : view.subviews())
        collect(window, *subview, into);
}

Value menuRows(const platform::Menu& menu) {
    Value::Array rows;
    const platform::Window* window = menu.trackingWindow();
    for (long index = 0; window && index < menu.numberOfItems(); ++index) {
        const platform::MenuItem* item = menu.itemAtIndex(index);
        const auto frame = menu.frameOfItemAtIndex(index);
        if (!item || !frame || item->isSeparatorItem())
            continue;
        Value row(Value::Dictionary{});
        row.setObject("text", item->title());
        row.setObject("enabled", item->isEnabled());
        row.setObject("frame", screenFrame(*window, *frame));
        rows.push_back(std::move(row));
    }
    return Value(std::move(rows));
}

} // namespace

platform::Value currentState() {
    Value state(Value::Dictionary{});
    const AppController* controller = AppController::sharedAppController();
    const MainAppWindow* main = controller ? controller->mainWindow() : nullptr;
    state.setObject("view", main ? main->currentViewName() : std::string());

    Value::Array windows;
    const platform::Window* key = platform::Application::sharedApplication().keyWindow();
    for (const platform::Window* window : platform::Application::sharedApplication().windows()) {
        if (!window->isVisible())
            continue;
        Value entry(Value::Dictionary{});
        entry.setObject("title", window->title());
        entry.setObject("key", window == key);
        entry.setObject("frame", screenFrame(*window, platform::Rect{0, 0, window->frame().width(),
                                                                     window->frame().height()}));
        Value::Array views;
        if (const platform::View* root = window->rootView())
            collect(*window, *root, views);
        entry.setObject("views", Value(std::move(views)));
        windows.push_back(std::move(entry));
    }
    state.setObject("windows", Value(std::move(windows)));

    Value::Array menus;
    for (const platform::Menu* menu : platform::Menu::trackingMenus())
        menus.push_back(menuRows(*menu));
    state.setObject("menus", Value(std::move(menus)));
    return state;
}

} // namespace state_report
