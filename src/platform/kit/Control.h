#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Cell.h"
#include "platform/kit/Event.h"
#include "platform/kit/TextView.h"
#include "platform/kit/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Control;
class Menu;

// Posted through the default notification centre with the control as object; the user info
// holds the field editor under FieldEditorKey (and the end's movement under TextMovementKey).
// Some observers listen to every control, so the names are the platform's own.
inline constexpr std::string_view ControlTextDidBeginEditingNotification =
    "NSControlTextDidBeginEditingNotification";
inline constexpr std::string_view ControlTextDidChangeNotification =
    "NSControlTextDidChangeNotification";
inline constexpr std::string_view ControlTextDidEndEditingNotification =
    "NSControlTextDidEndEditingNotification";
inline constexpr std::string_view FieldEditorKey = "NSFieldEditor";

// What a control that edits text tells its delegate. Every function is optional; the
// defaults answer as for a delegate that does not implement the message.
class ControlTextEditingDelegate {
public:
    virtual ~ControlTextEditingDelegate() = default;

    virtual bool controlTextShouldBeginEditing(Control& /*control*/, TextView& /*fieldEditor*/) {
        return true;
    }
    virtual bool controlTextShouldEndEditing(Control& /*control*/, TextView& /*fieldEditor*/) {
        return true;
    }
    virtual void controlTextDidBeginEditing(const Notification& /*notification*/) {}
    virtual void controlTextDidChange(const Notification& /*notification*/) {}
    virtual void controlTextDidEndEditing(const Notification& /*notification*/) {}
    // The original's control:textView:doCommandBySelector:: a key command of the field editor
    // ("insertNewline:", "cancelOperation:", "moveUp:" ...); true when the delegate performed
    // it and the editor must not.
    virtual bool controlTextViewDoCommandBySelector(Control& /*control*/, TextView& /*textView*/,
                                                    std::string_view /*selector*/) {
        return false;
    }
};

// The next mouse or key event a tracking loop waits for, read from the window server's queue
// in `mode`. Under a test's manual clock nothing can arrive while waiting, so it answers only
// what is already queued (nullopt when nothing of the mask is).
std::optional<Event> nextEventForTracking(EventMask mask,
                                          RunLoopMode mode = EventTrackingRunLoopMode,
                                          const std::function<bool()>& giveUp = {});
// A mouse event's location in a view's coordinates, also when the event belongs to another
// window (through the screen).
Point pointInView(const Event& event, const View& view);

// A view that shows a value through its cell and sends an action when the user works it: the
// original's control. The cell holds target, action, tag, value and state; the control draws
// the cell over its bounds, tracks clicks (the cell highlights while the pointer is inside
// and a release inside sends the action) and, for text, lends the window's field editor.
class Control : public View, public TextViewDelegate {
public:
    explicit Control(const Rect& frame = {});
    ~Control() override;

    Cell* cell() const { return cell_.get(); }
    const std::shared_ptr<Cell>& sharedCell() const { return cell_; }
    virtual void setCell(std::shared_ptr<Cell> cell);

    // Target (not owned) and action. Without a target the action travels the responder chain.
    ActionTarget* target() const;
    void setTarget(ActionTarget* target);
    const std::string& action() const;
    void setAction(std::string action);
    // Sends `action` to `target` (or along the chain when null) with this control as sender;
    // false when nobody performed it.
    virtual bool sendAction(std::string_view action, ActionTarget* target);
    // Sends the action repeatedly while the mouse is held (on the down and on every drag).
    bool isContinuous() const;
    void setContinuous(bool flag);

    long tag() const override;
    void setTag(long tag) override;

    // Values, through the cell. While the control's text is being edited, the value is the
    // editor's text.
    virtual Value objectValue() const;
    virtual void setObjectValue(Value value);
    virtual std::string stringValue() const;
    virtual void setStringValue(std::string value);
    int intValue() const { return objectValue().intValue(); }
    long integerValue() const { return static_cast<long>(objectValue().integerValue()); }
    float floatValue() const { return objectValue().floatValue(); }
    double doubleValue() const { return objectValue().doubleValue(); }
    void setIntValue(int value) { setObjectValue(Value(value)); }
    void setIntegerValue(long value) { setObjectValue(Value(value)); }
    void setFloatValue(float value) { setObjectValue(Value(value)); }
    void setDoubleValue(double value) { setObjectValue(Value(value)); }
    virtual AttributedString attributedStringValue() const;
    virtual void setAttributedStringValue(AttributedString value);
    // The original's takeStringValueFrom: and friends: copy the sender's value.
    void takeStringValueFrom(const Control& sender) { setStringValue(sender.stringValue()); }
    void takeObjectValueFrom(const Control& sender) { setObjectValue(sender.objectValue()); }

    bool isEnabled() const;
    virtual void setEnabled(bool flag);
    bool isHighlighted() const;
    void highlight(bool flag);
    const Font& font() const;
    virtual void setFont(const Font& font);
    TextAlignment alignment() const;
    virtual void setAlignment(TextAlignment alignment);
    LineBreakMode lineBreakMode() const;
    void setLineBreakMode(LineBreakMode mode);
    bool ignoresMultiClick() const { return ignoresMultiClick_; }
    void setIgnoresMultiClick(bool flag) { ignoresMultiClick_ = flag; }
    bool refusesFirstResponder() const;
    void setRefusesFirstResponder(bool flag);

    // The context menu of the control (buttons keep one for their pull-downs).
    const std::shared_ptr<Menu>& menu() const { return menu_; }
    virtual void setMenu(std::shared_ptr<Menu> menu) { menu_ = std::move(menu); }

    // Drawing: the cell over the bounds.
    void drawRect(const Rect& dirtyRect) override;
    // Redraws the control for `cell` (the control's own cell).
    virtual void updateCell(Cell* cell);
    void updateCellInside(Cell* cell) { updateCell(cell); }
    // Draws the cell now.
    virtual void drawCell(Cell* cell);
    void setKeyboardFocusRingNeedsDisplayInRect(const Rect& rect);
    // Resizes the frame to the cell's size.
    virtual void sizeToFit();

    // A click: highlight while the pointer is held inside, then on release inside move the
    // cell to its next state and send the action. Disabled controls ignore the mouse.
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;
    // As if the user clicked: highlight, next state, action, unhighlight.
    virtual void performClick(Object* sender);

    // Text editing. The delegate (not owned) hears the editing messages.
    ControlTextEditingDelegate* delegate() const { return delegate_; }
    void setDelegate(ControlTextEditingDelegate* delegate) { delegate_ = delegate; }
    // The field editor while this control's text is being edited, else nullptr.
    TextView* currentEditor() const;
    // Ends editing without taking the editor's text; false when nothing was being edited.
    bool abortEditing();
    // Takes the editor's text into the cell without ending editing.
    void validateEditing();
    // Starts editing with all text selected (or selects all when already editing).
    void selectText(Object* sender);

    bool acceptsFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool acceptsFirstMouse(const Event* event) override;

    // Field-editor delegate messages, turned into the control's own notifications and
    // delegate messages.
    bool textShouldBeginEditing(TextView& textView) override;
    bool textShouldEndEditing(TextView& textView) override;
    void textDidBeginEditing(const Notification& notification) override;
    void textDidChange(const Notification& notification) override;
    void textDidEndEditing(const Notification& notification) override;
    bool textViewDoCommandBySelector(TextView& textView, std::string_view selector) override;

    std::string description() const override;

protected:
    // Whether a mouse down starts editing (editable or selectable text) instead of a click.
    virtual bool mouseDownStartsEditing() const;
    // Starts editing in the window's field editor, passing `event` on to it.
    bool beginEditing(const Event* event, bool selectAll);
    // After the click: next state, then the action.
    virtual void clickEnded(bool inside);
    // Posts one of the control's notifications (and tells the delegate).
    void postControlNotification(std::string_view name,
                                 void (ControlTextEditingDelegate::*message)(const Notification&),
                                 TextView* editor, std::optional<int> movement = std::nullopt);

private:
    enum class Track { UpInside, UpOutside, Pending };
    Track trackClick(const Event& event);
    TextView* editorFromNotification(const Notification& notification) const;

    std::shared_ptr<Cell> cell_;
    std::shared_ptr<Menu> menu_;
    ControlTextEditingDelegate* delegate_ = nullptr;
    bool ignoresMultiClick_ = false;
    // A click whose release the tracking loop could not wait for; mouseUp finishes it.
    bool pendingClick_ = false;
    std::weak_ptr<View> editor_;
};

} // namespace platform
