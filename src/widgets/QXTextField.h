#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/TextField.h"
#include "widgets/QXGenericFieldEditor.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>

namespace platform {
class Image;
class Menu;
class PopUpButtonCell;
class TrackingArea;
} // namespace platform
class QXTextField;

// What a QXTextField tells its own delegate. Every message is optional; the key messages
// answer nullopt when the delegate does not take keys at all.
class QXTextFieldDelegate {
public:
    virtual ~QXTextFieldDelegate() = default;

    // The field takes the keyboard (before the platform starts editing in it).
    virtual void textFieldGotFocus(QXTextField& /*field*/) {}
    // The field gives the keyboard up: it resigned itself, or its editing session ended.
    virtual void textFieldLostFocus(QXTextField& /*field*/) {}
    // After the field was cleared (the clear button or Escape).
    virtual void clearPressed() {}
    // The pull-down menu is about to open: the delegate fills `menu`, whose first item is the
    // pull-down's empty title item.
    virtual void dropDownMenuWillShowMenu(QXTextField& /*field*/, platform::Menu& /*menu*/) {}
    // A key-down or key-up in the field's editor; true consumes it.
    virtual std::optional<bool> keyPressed(const platform::Event& /*event*/) {
        return std::nullopt;
    }
    virtual std::optional<bool> keyReleased(const platform::Event& /*event*/) {
        return std::nullopt;
    }
    // The text changed while being edited (the field's value flag is already up to date).
    virtual void textDidChange(const platform::Notification& /*notification*/) {}
    // An editing command ("insertNewline:", "cancelOperation:" ...); true when the delegate
    // performed it, and the field then leaves it to the editor.
    virtual bool controlTextViewDoCommandBySelector(QXTextField& /*field*/,
                                                    platform::TextView& /*textView*/,
                                                    std::string_view /*selector*/) {
        return false;
    }
};

// A text entry field that may draw itself as a rounded field and carries up to two image
// buttons inside its frame, one at each end. Each button has an active image set (used while
// the field holds a value) and an inactive one (while it is empty), each of a normal, a hover
// and a pressed image. By default the right button clears the field while active and opens a
// pull-down menu, filled by the delegate, while inactive. The field also draws its own
// placeholder and an item string (a chosen entry shown in place of typed text), and tells its
// own delegate of focus, keys and edits.
//
// Like the platform's controls it is flipped. Made in code, it is ready after make<>();
// made by an interface definition, awake() turns the definition's cell into a QXTextFieldCell.
class QXTextField : public platform::TextField, public QXGenericFieldEditorDelegate {
public:
    explicit QXTextField(const platform::Rect& frame = {});
    ~QXTextField() override;

    // The class of the cell every QXTextField uses.
    static std::type_index cellClass();

    // Defaults: no images, buttons normal, the default targets and actions, no menu, the
    // placeholder left out and shown while editing, centred, radius 0. The delegate, the item
    // string and the value flag stay as they are.
    void initialize() override;
    void awake() override;

    // Loads an image set: base + "_n", "_h" and "_p" when the "_n" image exists, else the
    // image named `base` alone. The images of the set it replaces leave the name cache.
    void setActiveRightButtonNamed(std::string_view base);
    void setInactiveRightButtonNamed(std::string_view base);
    void setActiveLeftButtonNamed(std::string_view base);
    void setInactiveLeftButtonNamed(std::string_view base);
    // Where the right button's clicks go (not owned); by default the field itself with
    // "clear" while active and "showMenu" while inactive.
    void setActiveRightButtonTarget(platform::ActionTarget* target, std::string action);
    void setInactiveRightButtonTarget(platform::ActionTarget* target, std::string action);

    bool usesMenu() const { return _popUpCell != nullptr; }
    void setUsesMenu(bool flag);
    platform::PopUpButtonCell* popUpCell() const { return _popUpCell.get(); }

    float radius() const { return _radius; }
    void setRadius(float radius);
    const std::optional<platform::AttributedString>& placeholderString() const {
        return _placeholder;
    }
    void setPlaceholderString(std::optional<platform::AttributedString> placeholder);
    const std::optional<platform::AttributedString>& itemString() const { return _itemString; }
    void setItemString(std::optional<platform::AttributedString> itemString);
    bool showActivePlaceholder() const { return _activePlaceholder; }
    void setShowActivePlaceholder(bool flag);
    // 0 centred, 1 right-aligned, anything else left-aligned.
    int placeholderAlignment() const { return _placeholderAlignment; }
    void setPlaceholderAlignment(int alignment);
    bool resignResponderOnCancel() const { return _releaseKeyOnCancel; }
    void setResignResponderOnCancel(bool flag) { _releaseKeyOnCancel = flag; }

    // The field's own delegate (not owned), in place of the control's.
    QXTextFieldDelegate* delegate() const { return _myDelegate; }
    void setDelegate(QXTextFieldDelegate* delegate) { _myDelegate = delegate; }

    void setStringValue(std::string value) override;
    bool hasValue() const { return _hasValue; }

    // Empties the field (item string included), selects it and tells the delegate.
    void clear();
    // Opens the pull-down menu at the field, filled by the delegate; only with a menu.
    void showMenu();
    // Closes the pull-down menu at once.
    void tidyup();

    // Geometry; each rectangle is computed from `frame`, normally the bounds.
    double buttonOffset() const;
    double textSpacing() const;
    // The image to show for the button (a copy, scaled down to the frame's height less 4 when
    // taller), or nullptr.
    std::shared_ptr<platform::Image> getRightImageForFrame(const platform::Rect& frame,
                                                           bool active) const;
    std::shared_ptr<platform::Image> getLeftImageForFrame(const platform::Rect& frame,
                                                          bool active) const;
    platform::Rect rightButtonAreaForFrame(const platform::Rect& frame) const;
    platform::Rect leftButtonAreaForFrame(const platform::Rect& frame) const;
    platform::Rect textAreaForFrame(const platform::Rect& frame) const;
    // The focus ring reaches past the field's left edge and right end.
    void setKeyboardFocusRingNeedsDisplayInRect(const platform::Rect& rect);

    // 0 normal, 1 hover, 2 pressed.
    int rightButtonState() const { return _rightButtonState; }
    int leftButtonState() const { return _leftButtonState; }

    bool isFlipped() const override { return true; }
    void drawRect(const platform::Rect& dirtyRect) override;

    void updateTrackingAreas() override;
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;
    void mouseDown(const platform::Event& event) override;
    void mouseDragged(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;

    // While its editor has the keyboard the field does not take it back itself, so a click on
    // a side button leaves the editing session alone.
    bool acceptsFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;

    // The field editor's messages.
    void textDidChange(const platform::Notification& notification) override;
    void textDidEndEditing(const platform::Notification& notification) override;
    bool textViewDoCommandBySelector(platform::TextView& textView,
                                     std::string_view selector) override;
    std::optional<bool> keyPressed(const platform::Event& event) override;
    std::optional<bool> keyReleased(const platform::Event& event) override;

    // "clear", "showMenu" and "tidyup".
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

protected:
    // Sends the field's action to its target with no sender, when the target answers it.
    void sendActionToTargetIfAnswered();
    // Whether the right button counts as active: a value or an item string.
    bool rightButtonActive() const { return _hasValue || _itemString.has_value(); }

private:
    struct ImageSet {
        std::shared_ptr<platform::Image> normal;
        std::shared_ptr<platform::Image> hover;
        std::shared_ptr<platform::Image> pressed;
    };
    void loadImageSet(std::shared_ptr<platform::Image>& n, std::shared_ptr<platform::Image>& h,
                      std::shared_ptr<platform::Image>& p, std::string_view base);
    std::shared_ptr<platform::Image> chooseImage(const platform::Rect& frame, bool active,
                                                 bool needsBoth, int state,
                                                 const ImageSet& activeSet,
                                                 const ImageSet& inactiveSet) const;
    void drawPlaceholderAndItemString(const platform::Rect& bounds);
    bool pointInArea(const platform::Event& event, const platform::Rect& area) const;

    std::shared_ptr<platform::Image> _rbaN, _rbaH, _rbaP;
    std::shared_ptr<platform::Image> _rbiN, _rbiH, _rbiP;
    int _rightButtonState = 0;
    std::shared_ptr<platform::TrackingArea> _rbTrackingArea;
    platform::ActionTarget* _rbaTarget = nullptr;
    std::string _rbaAction;
    platform::ActionTarget* _rbiTarget = nullptr;
    std::string _rbiAction;
    std::shared_ptr<platform::Image> _lbaN, _lbaH, _lbaP;
    std::shared_ptr<platform::Image> _lbiN, _lbiH, _lbiP;
    int _leftButtonState = 0;
    std::shared_ptr<platform::PopUpButtonCell> _popUpCell;
    bool _releaseKeyOnCancel = false;
    std::optional<platform::AttributedString> _placeholder;
    std::optional<platform::AttributedString> _itemString;
    bool _activePlaceholder = true;
    int _placeholderAlignment = 0;
    float _radius = 0;
    QXTextFieldDelegate* _myDelegate = nullptr;
    bool _hasValue = false;
};
