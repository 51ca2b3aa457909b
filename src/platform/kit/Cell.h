#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class ActionTarget;
class Event;
class Image;
class Menu;
class TextView;
class TextViewDelegate;
class View;

// Cell states, as the original numbered them.
using CellStateValue = int;
inline constexpr CellStateValue MixedState = -1;
inline constexpr CellStateValue OffState = 0;
inline constexpr CellStateValue OnState = 1;

enum class CellType : int { Null = 0, Text = 1, Image = 2 };

// Where a button's image goes relative to its title.
enum class CellImagePosition : int {
    NoImage = 0,
    ImageOnly = 1,
    ImageLeft = 2,
    ImageRight = 3,
    ImageBelow = 4,
    ImageAbove = 5,
    ImageOverlaps = 6,
};

enum class ImageScaling : int {
    ProportionallyDown = 0,
    AxesIndependently = 1,
    None = 2,
    ProportionallyUpOrDown = 3,
};

enum class ImageAlignment : int {
    Center = 0,
    Top = 1,
    TopLeft = 2,
    TopRight = 3,
    Left = 4,
    Bottom = 5,
    BottomLeft = 6,
    BottomRight = 7,
    Right = 8,
};

enum class ControlSize : int { Regular = 0, Small = 1, Mini = 2 };
enum class FocusRingType : int { Default = 0, None = 1, Exterior = 2 };

// What hitTestForEvent found under the pointer; bits, as the original numbered them.
using CellHitResult = unsigned;
inline constexpr CellHitResult CellHitNone = 0;
inline constexpr CellHitResult CellHitContentArea = 1;
inline constexpr CellHitResult CellHitEditableTextArea = 2;
inline constexpr CellHitResult CellHitTrackableArea = 4;

// Whether a key-down event is the key equivalent `key` with the modifier mask (an upper-case
// letter implies Shift, as with the original). Only Shift, Control, Option and Command count.
bool keyEquivalentMatchesEvent(std::string_view key, unsigned modifierMask, const Event& event);

// Where an image of `imageSize` is drawn inside `frame` with the scaling and alignment, in
// unflipped terms (top = max y); `flipped` swaps top and bottom.
Rect rectForImageInFrame(Size imageSize, const Rect& frame, ImageScaling scaling,
                         ImageAlignment alignment = ImageAlignment::Center, bool flipped = false);

// The drawing and value part of a control, the original's cell: a light object that a
// control (or a table, one cell for many rows) asks to draw itself in a frame of a view.
// A cell holds its value as a Value (objectValue) or, for formatted text, an attributed
// string; the control view it draws for is a plain pointer set by that view.
class Cell : public Object {
public:
    // A text cell with an empty string (the original's init).
    Cell();
    explicit Cell(std::string text);
    explicit Cell(std::shared_ptr<Image> image);
    ~Cell() override;
    // Copies share the image, menu and represented object; the control view is kept too, as
    // the original's copies did.
    Cell(const Cell& other);
    Cell& operator=(const Cell&) = delete;

    // The overridable set-up of the two-phase creation (make<T>(...)).
    virtual void initialize() {}
    // A copy with the same settings and value; tables draw many rows with copies of one cell.
    virtual std::shared_ptr<Cell> copy() const;

    CellType type() const { return type_; }
    virtual void setType(CellType type);

    // Values. The string of a cell is its object value's string; an attributed value keeps
    // its attributes until the next plain value replaces it.
    const Value& objectValue() const { return objectValue_; }
    virtual void setObjectValue(Value value);
    virtual std::string stringValue() const;
    virtual void setStringValue(std::string value);
    int intValue() const { return objectValue().intValue(); }
    long integerValue() const { return static_cast<long>(objectValue().integerValue()); }
    float floatValue() const { return objectValue().floatValue(); }
    double doubleValue() const { return objectValue().doubleValue(); }
    bool boolValue() const { return objectValue().boolValue(); }
    void setIntValue(int value) { setObjectValue(Value(value)); }
    void setIntegerValue(long value) { setObjectValue(Value(value)); }
    void setFloatValue(float value) { setObjectValue(Value(value)); }
    void setDoubleValue(double value) { setObjectValue(Value(value)); }
    // The value with the cell's font, colour and alignment, or the attributed value as set.
    virtual AttributedString attributedStringValue() const;
    virtual void setAttributedStringValue(AttributedString value);
    bool hasAttributedValue() const { return attributedValue_.has_value(); }
    // Plain cells: the string value. Buttons keep a title of their own.
    virtual std::string title() const { return stringValue(); }
    virtual void setTitle(std::string title) { setStringValue(std::move(title)); }

    const std::shared_ptr<Image>& image() const { return image_; }
    virtual void setImage(std::shared_ptr<Image> image);

    // State: off, on, or mixed when allowed (mixed reads as on otherwise).
    CellStateValue state() const { return state_; }
    virtual void setState(CellStateValue state);
    bool allowsMixedState() const { return allowsMixedState_; }
    void setAllowsMixedState(bool flag) { allowsMixedState_ = flag; }
    // The state a click moves to: off -> on -> (mixed ->) off.
    CellStateValue nextState() const;
    virtual void setNextState() { setState(nextState()); }

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool flag);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool flag);
    // Highlights and redraws the cell in the view right away.
    virtual void highlight(bool flag, const Rect& cellFrame, View* controlView);

    bool isEditable() const { return editable_; }
    virtual void setEditable(bool flag);
    bool isSelectable() const { return selectable_ || editable_; }
    virtual void setSelectable(bool flag);
    bool isBordered() const { return bordered_; }
    virtual void setBordered(bool flag);
    bool isBezeled() const { return bezeled_; }
    virtual void setBezeled(bool flag);
    bool isScrollable() const { return scrollable_; }
    void setScrollable(bool flag) { scrollable_ = flag; }
    bool wraps() const { return wraps_; }
    void setWraps(bool flag) { wraps_ = flag; }
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool flag) { continuous_ = flag; }
    bool sendsActionOnEndEditing() const { return sendsActionOnEndEditing_; }
    void setSendsActionOnEndEditing(bool flag) { sendsActionOnEndEditing_ = flag; }
    bool showsFirstResponder() const { return showsFirstResponder_; }
    void setShowsFirstResponder(bool flag) { showsFirstResponder_ = flag; }
    bool refusesFirstResponder() const { return refusesFirstResponder_; }
    void setRefusesFirstResponder(bool flag) { refusesFirstResponder_ = flag; }
    // Whether a click may make the control first responder (editable or selectable text).
    virtual bool acceptsFirstResponder() const;

    TextAlignment alignment() const { return alignment_; }
    virtual void setAlignment(TextAlignment alignment);
    const Font& font() const { return font_; }
    virtual void setFont(const Font& font);
    LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    virtual void setLineBreakMode(LineBreakMode mode);
    ControlSize controlSize() const { return controlSize_; }
    void setControlSize(ControlSize size) { controlSize_ = size; }
    FocusRingType focusRingType() const { return focusRingType_; }
    void setFocusRingType(FocusRingType type) { focusRingType_ = type; }

    // Target and action belong to action cells; a plain cell answers none and ignores them.
    virtual ActionTarget* target() const { return nullptr; }
    virtual void setTarget(ActionTarget* /*target*/) {}
    virtual const std::string& action() const;
    virtual void setAction(std::string /*action*/) {}
    virtual long tag() const { return -1; }
    virtual void setTag(long /*tag*/) {}

    const Value& representedObject() const { return representedObject_; }
    void setRepresentedObject(Value object) { representedObject_ = std::move(object); }
    const std::shared_ptr<Menu>& menu() const { return menu_; }
    virtual void setMenu(std::shared_ptr<Menu> menu) { menu_ = std::move(menu); }
    // Buttons answer their key equivalent; other cells none.
    virtual std::string keyEquivalent() const { return {}; }

    // The view the cell draws for; not owned.
    View* controlView() const { return controlView_; }
    virtual void setControlView(View* view) { controlView_ = view; }

    // Geometry. cellSize is the size the content needs (text and image plus the borders).
    virtual Size cellSize() const;
    virtual Size cellSizeForBounds(const Rect& bounds) const;
    virtual Rect drawingRectForBounds(const Rect& bounds) const;
    virtual Rect titleRectForBounds(const Rect& bounds) const;
    virtual Rect imageRectForBounds(const Rect& bounds) const;

    // Drawing: the frame (border or bezel) then the interior (text or image).
    virtual void drawWithFrame(const Rect& cellFrame, View* controlView);
    virtual void drawInteriorWithFrame(const Rect& cellFrame, View* controlView);
    virtual CellHitResult hitTestForEvent(const Event& event, const Rect& cellFrame,
                                          View* controlView);

    // Mouse tracking, the original's protocol. trackMouse follows the pointer from a mouse
    // down until the button goes up (or, unless untilMouseUp, until it leaves the frame),
    // keeping the cell highlighted while inside; true when it went up inside.
    virtual bool trackMouse(const Event& event, const Rect& cellFrame, View* controlView,
                            bool untilMouseUp);
    virtual bool startTrackingAt(Point startPoint, View* controlView);
    virtual bool continueTracking(Point lastPoint, Point currentPoint, View* controlView);
    virtual void stopTracking(Point lastPoint, Point stopPoint, View* controlView, bool mouseIsUp);
    // Pointer entering and leaving the cell's area (cells that show a border while inside).
    virtual void mouseEntered(const Event& /*event*/) {}
    virtual void mouseExited(const Event& /*event*/) {}
    // Cursor rectangles of the cell's frame (text cells show the text cursor).
    virtual void resetCursorRect(const Rect& /*cellFrame*/, View* /*controlView*/) {}

    // Text editing through the window's field editor: the editor is set up with the cell's
    // value and attributes and placed over the cell's text in the control view.
    virtual void editWithFrame(const Rect& frame, View* controlView, TextView& editor,
                               TextViewDelegate* delegate, const Event* event);
    virtual void selectWithFrame(const Rect& frame, View* controlView, TextView& editor,
                                 TextViewDelegate* delegate, std::size_t selectionStart,
                                 std::size_t selectionLength);
    virtual void endEditing(TextView& editor);
    // Gives the editor the cell's font, colours and alignment.
    virtual TextView& setUpFieldEditorAttributes(TextView& editor);

protected:
    // Attributes for the cell's text: font, colour by enabled state, alignment, line breaking.
    virtual TextAttributes textAttributes() const;
    void redrawControl();

private:
    CellType type_ = CellType::Text;
    Value objectValue_{std::string()};
    std::optional<AttributedString> attributedValue_;
    std::shared_ptr<Image> image_;
    CellStateValue state_ = OffState;
    bool allowsMixedState_ = false;
    bool enabled_ = true;
    bool highlighted_ = false;
    bool editable_ = false;
    bool selectable_ = false;
    bool bordered_ = false;
    bool bezeled_ = false;
    bool scrollable_ = false;
    bool wraps_ = false;
    bool continuous_ = false;
    bool sendsActionOnEndEditing_ = false;
    bool showsFirstResponder_ = false;
    bool refusesFirstResponder_ = false;
    TextAlignment alignment_ = TextAlignment::Natural;
    Font font_ = Font::systemFontOfSize(0);
    LineBreakMode lineBreakMode_ = LineBreakMode::ByWordWrapping;
    ControlSize controlSize_ = ControlSize::Regular;
    FocusRingType focusRingType_ = FocusRingType::Default;
    Value representedObject_;
    std::shared_ptr<Menu> menu_;
    View* controlView_ = nullptr;
};

} // namespace platform
