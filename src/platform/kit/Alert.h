#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Button;
class Image;
class Panel;
class TextField;
class View;
class Window;

// Alert styles, as the original numbered them.
enum class AlertStyle : int { Warning = 0, Informational = 1, Critical = 2 };

// A message for the user with up to a few buttons, shown as an application-modal panel
// (runModal) or as a sheet on a window. The buttons answer 1000, 1001, 1002 ... in the order
// they were added; the first is the default (Return), one titled "Cancel" answers Escape. A
// sheet ended from outside (WindowServer::endSheet) answers RunStoppedResponse, a modal
// session aborted RunAbortedResponse. The panel is real: its texts and buttons are drawn and
// a click on a button ends the alert.
//
// Alerts are shared objects (Alert::alert()); a sheet keeps its alert alive until it ends.
class Alert : public Object, public ActionTarget, public std::enable_shared_from_this<Alert> {
public:
    using CompletionHandler = std::function<void(int returnCode)>;

    static std::shared_ptr<Alert> alert();
    Alert();
    ~Alert() override;
    Alert(const Alert&) = delete;
    Alert& operator=(const Alert&) = delete;

    const std::string& messageText() const { return messageText_; }
    void setMessageText(std::string text);
    const std::string& informativeText() const { return informativeText_; }
    void setInformativeText(std::string text);
    AlertStyle alertStyle() const { return style_; }
    void setAlertStyle(AlertStyle style);
    // The picture at the left; without one the alert draws a sign for its style.
    const std::shared_ptr<Image>& icon() const { return icon_; }
    void setIcon(std::shared_ptr<Image> icon);
    // A view shown below the texts; not owned beyond the alert's panel. A wrapping text
    // field is sized to the text column and to its whole text.
    const std::shared_ptr<View>& accessoryView() const { return accessoryView_; }
    void setAccessoryView(std::shared_ptr<View> view);

    // Adds a button answering 1000 + the number of buttons before it.
    std::shared_ptr<Button> addButtonWithTitle(std::string title);
    const std::vector<std::shared_ptr<Button>>& buttons() const { return buttons_; }

    // The panel, laid out for the current texts and buttons.
    Panel* window();
    void layout();

    // Shows the alert application-modally and answers the code of the button pressed. An
    // alert without buttons gets an "OK" button.
    int runModal();
    // Shows the alert as a sheet on `window`; the completion hears the code, then the sheet
    // leaves the screen.
    void beginSheetModalForWindow(Window& window, CompletionHandler completion = {});
    bool isShowing() const { return showing_; }

    // Tests: called once the alert is on the screen (for runModal inside the modal session),
    // so that a test can press a button.
    using PresentationHook = std::function<void(Alert&)>;
    static void setPresentationHook(PresentationHook hook);
    // Presses button `index` (0 for the first) the way a user does: a mouse down and up on
    // its centre go through the window server to the panel.
    void pressButtonForTesting(std::size_t index);

    // The buttons' action ("alertButtonPressed:").
    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    std::string description() const override;

private:
    void ensureButtons();
    void buildPanel();

    std::string messageText_;
    std::string informativeText_;
    AlertStyle style_ = AlertStyle::Warning;
    std::shared_ptr<Image> icon_;
    std::shared_ptr<View> accessoryView_;
    std::vector<std::shared_ptr<Button>> buttons_;
    std::shared_ptr<Panel> panel_;
    std::shared_ptr<View> iconView_;
    std::shared_ptr<TextField> messageField_;
    std::shared_ptr<TextField> informativeField_;
    bool needsLayout_ = true;
    bool showing_ = false;
    bool asSheet_ = false;
};

} // namespace platform
