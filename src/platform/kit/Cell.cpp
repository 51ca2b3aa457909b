#include "platform/kit/Cell.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Control.h"
#include "platform/kit/Event.h"
#include "platform/kit/TextView.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace platform {

namespace {

const std::string& emptyString() {
    static const std::string empty;
    return empty;
}

std::string lowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

} // namespace

bool keyEquivalentMatchesEvent(std::string_view key, unsigned modifierMask, const Event& event) {
    if (key.empty() || event.type() != EventType::KeyDown)
        return false;
    constexpr EventModifierFlags relevant =
        ShiftKeyMask | ControlKeyMask | AlternateKeyMask | CommandKeyMask;
    EventModifierFlags expected = modifierMask & relevant;
    if (key.size() == 1 && std::isupper(static_cast<unsigned char>(key[0])))
        expected |= ShiftKeyMask;
    std::string typed = event.charactersIgnoringModifiers();
    if (typed.empty())
        typed = event.characters();
    EventModifierFlags flags = event.modifierFlags() & relevant;
    if (typed.size() == 1 && std::isupper(static_cast<unsigned char>(typed[0])))
        flags |= ShiftKeyMask;
    return flags == expected && lowerAscii(typed) == lowerAscii(key);
}

Rect rectForImageInFrame(Size imageSize, const Rect& frame, ImageScaling scaling,
                         ImageAlignment alignment, bool flipped) {
    Size size = imageSize;
    if (imageSize.width <= 0 || imageSize.height <= 0)
        return {frame.origin, ZeroSize};
    const double fit = std::min(frame.width() / imageSize.width, frame.height() / imageSize.height);
    switch (scaling) {
    case ImageScaling::AxesIndependently:
        size = frame.size;
        break;
    case ImageScaling::ProportionallyUpOrDown:
        size = {imageSize.width * fit, imageSize.height * fit};
        break;
    case ImageScaling::ProportionallyDown:
        if (fit < 1)
            size = {imageSize.width * fit, imageSize.height * fit};
        break;
    case ImageScaling::None:
        break;
    }
    double x = frame.minX() + (frame.width() - size.width) / 2;
    double y = frame.minY() + (frame.height() - size.height) / 2;
    const double top = flipped ? frame.minY() : frame.maxY() - size.height;
    const double bottom = flipped ? frame.maxY() - size.height : frame.minY();
    switch (alignment) {
    case ImageAlignment::Center:
        break;
    case ImageAlignment::Top:
        y = top;
        break;
    case ImageAlignment::TopLeft:
        y = top;
        x = frame.minX();
        break;
    case ImageAlignment::TopRight:
        y = top;
        x = frame.maxX() - size.width;
        break;
    case ImageAlignment::Left:
        x = frame.minX();
        break;
    case ImageAlignment::Bottom:
        y = bottom;
        break;
    case ImageAlignment::BottomLeft:
        y = bottom;
        x = frame.minX();
        break;
    case ImageAlignment::BottomRight:
        y = bottom;
        x = frame.maxX() - size.width;
        break;
    case ImageAlignment::Right:
        x = frame.maxX() - size.width;
        break;
    }
    return {x, y, size.width, size.height};
}

Cell::Cell() = default;

Cell::Cell(std::string text) : objectValue_(std::move(text)) {}

Cell::Cell(std::shared_ptr<Image> image) : type_(CellType::Image), image_(std::move(image)) {}

Cell::~Cell() = default;

Cell::Cell(const Cell& other) = default;

std::shared_ptr<Cell> Cell::copy() const {
    return std::make_shared<Cell>(*this);
}

void Cell::redrawControl() {
    if (controlView_)
        controlView_->setNeedsDisplay(true);
}

void Cell::setType(CellType type) {
    if (type_ == type)
        return;
    type_ = type;
    if (type == CellType::Text && objectValue_.isNull())
        objectValue_ = Value(std::string());
    redrawControl();
}

void Cell::setObjectValue(Value value) {
    objectValue_ = std::move(value);
    attributedValue_.reset();
    redrawControl();
}

std::string Cell::stringValue() const {
    if (attributedValue_)
        return attributedValue_->string();
    return objectValue_.stringValue();
}

void Cell::setStringValue(std::string value) {
    setObjectValue(Value(std::move(value)));
}

TextAttributes Cell::textAttributes() const {
    TextAttributes attributes;
    attributes.font = font_;
    attributes.foregroundColor =
        enabled_ ? Color::controlTextColor() : Color::disabledControlTextColor();
    ParagraphStyle style;
    style.alignment = alignment_;
    style.lineBreakMode = lineBreakMode_;
    // A cell that does not wrap keeps its text on one line.
    if (!wraps_ && (lineBreakMode_ == LineBreakMode::ByWordWrapping ||
                    lineBreakMode_ == LineBreakMode::ByCharWrapping))
        style.lineBreakMode = LineBreakMode::ByClipping;
    attributes.paragraphStyle = style;
    return attributes;
}

AttributedString Cell::attributedStringValue() const {
    if (attributedValue_)
        return *attributedValue_;
    return AttributedString(stringValue(), textAttributes());
}

void Cell::setAttributedStringValue(AttributedString value) {
    objectValue_ = Value(value.string());
    attributedValue_ = std::move(value);
    redrawControl();
}

void Cell::setImage(std::shared_ptr<Image> image) {
    image_ = std::move(image);
    redrawControl();
}

void Cell::setState(CellStateValue state) {
    if (state == MixedState && !allowsMixedState_)
        state = OnState;
    else if (state != MixedState && state != OffState)
        state = OnState;
    if (state_ == state)
        return;
    state_ = state;
    redrawControl();
}

CellStateValue Cell::nextState() const {
    if (state_ == OffState)
        return OnState;
    if (state_ == OnState && allowsMixedState_)
        return MixedState;
    return OffState;
}

void Cell::setEnabled(bool flag) {
    if (enabled_ == flag)
        return;
    enabled_ = flag;
    redrawControl();
}

void Cell::setHighlighted(bool flag) {
    if (highlighted_ == flag)
        return;
    highlighted_ = flag;
    redrawControl();
}

void Cell::highlight(bool flag, const Rect& /*cellFrame*/, View* controlView) {
    setHighlighted(flag);
    if (controlView)
        controlView->setNeedsDisplay(true);
}

void Cell::setEditable(bool flag) {
    editable_ = flag;
    redrawControl();
}

void Cell::setSelectable(bool flag) {
    selectable_ = flag;
    redrawControl();
}

void Cell::setBordered(bool flag) {
    bordered_ = flag;
    if (flag)
        bezeled_ = false;
    redrawControl();
}

void Cell::setBezeled(bool flag) {
    bezeled_ = flag;
    if (flag)
        bordered_ = false;
    redrawControl();
}

bool Cell::acceptsFirstResponder() const {
    return !refusesFirstResponder_ && enabled_ && isSelectable();
}

void Cell::setAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    redrawControl();
}

void Cell::setFont(const Font& font) {
    font_ = font;
    redrawControl();
}

void Cell::setLineBreakMode(LineBreakMode mode) {
    lineBreakMode_ = mode;
    redrawControl();
}

const std::string& Cell::action() const {
    return emptyString();
}

Rect Cell::drawingRectForBounds(const Rect& bounds) const {
    if (bezeled_)
        return bounds.insetBy(2, 2);
    if (bordered_)
        return bounds.insetBy(1, 1);
    return bounds;
}

Rect Cell::titleRectForBounds(const Rect& bounds) const {
    const Rect drawing = drawingRectForBounds(bounds);
    return type_ == CellType::Text ? drawing.insetBy(2, 0) : drawing;
}

Rect Cell::imageRectForBounds(const Rect& bounds) const {
    const Rect drawing = drawingRectForBounds(bounds);
    if (!image_)
        return drawing;
    return rectForImageInFrame(image_->size(), drawing, ImageScaling::ProportionallyDown);
}

Size Cell::cellSize() const {
    return cellSizeForBounds({0, 0, 1e4, 1e4});
}

Size Cell::cellSizeForBounds(const Rect& bounds) const {
    Size content;
    if (type_ == CellType::Image) {
        if (image_)
            content = image_->size();
    } else if (type_ == CellType::Text) {
        const AttributedString text = attributedStringValue();
        if (wraps_) {
            const Rect used = text.boundingRectWithSize({bounds.width() - 4, 0});
            content = {std::ceil(used.width()) + 4, std::ceil(used.height())};
        } else {
            const Size size = text.size();
            content = {std::ceil(size.width) + 4, std::ceil(size.height)};
        }
        if (text.empty())
            content.height = std::ceil(font_.defaultLineHeightForFont());
    }
    const double border = bezeled_ ? 2 : bordered_ ? 1 : 0;
    return {content.width + 2 * border, content.height + 2 * border};
}

void Cell::drawWithFrame(const Rect& cellFrame, View* controlView) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (context && (bezeled_ || bordered_)) {
        GraphicsStateSaver saver;
        context->setFillColor(bezeled_ ? Color::colorWithCalibratedWhite(0.55, 1)
                                       : Color::blackColor());
        FrameRect(cellFrame);
    }
    drawInteriorWithFrame(cellFrame, controlView);
}

void Cell::drawInteriorWithFrame(const Rect& cellFrame, View* controlView) {
    if (type_ == CellType::Image) {
        if (!image_)
            return;
        const bool flipped = controlView && controlView->isFlipped();
        const Rect r =
            rectForImageInFrame(image_->size(), drawingRectForBounds(cellFrame),
                                ImageScaling::ProportionallyDown, ImageAlignment::Center, flipped);
        image_->drawInRect(r, ZeroRect, CompositingOperation::SourceOver, enabled_ ? 1.0 : 0.5,
                           true);
        return;
    }
    if (type_ != CellType::Text)
        return;
    // While a field editor shows the text, the cell leaves it to the editor.
    if (auto* control = dynamic_cast<Control*>(controlView); control && control->currentEditor())
        return;
    attributedStringValue().drawInRect(titleRectForBounds(cellFrame));
}

CellHitResult Cell::hitTestForEvent(const Event& event, const Rect& cellFrame, View* controlView) {
    if (!controlView)
        return CellHitNone;
    const Point p = controlView->convertPointFromView(event.locationInWindow(), nullptr);
    if (!controlView->mouseInRect(p, cellFrame))
        return CellHitNone;
    CellHitResult result = CellHitContentArea;
    if (isEditable() || isSelectable())
        result |= CellHitEditableTextArea;
    return result;
}

bool Cell::startTrackingAt(Point /*startPoint*/, View* /*controlView*/) {
    return true;
}

bool Cell::continueTracking(Point /*lastPoint*/, Point /*currentPoint*/, View* /*controlView*/) {
    return true;
}

void Cell::stopTracking(Point /*lastPoint*/, Point /*stopPoint*/, View* /*controlView*/,
                        bool /*mouseIsUp*/) {}

bool Cell::trackMouse(const Event& event, const Rect& cellFrame, View* controlView,
                      bool untilMouseUp) {
    if (!controlView)
        return false;
    auto keep = controlView->weak_from_this().lock();
    Point last = pointInView(event, *controlView);
    if (!startTrackingAt(last, controlView))
        return false;
    for (;;) {
        auto next = nextEventForTracking(LeftMouseUpMask | LeftMouseDraggedMask);
        if (!next)
            return false;
        const Point p = pointInView(*next, *controlView);
        const bool inside = controlView->mouseInRect(p, cellFrame);
        if (next->type() == EventType::LeftMouseUp) {
            stopTracking(last, p, controlView, true);
            return inside;
        }
        if (!inside && !untilMouseUp) {
            stopTracking(last, p, controlView, false);
            return false;
        }
        highlight(inside, cellFrame, controlView);
        if (!continueTracking(last, p, controlView)) {
            stopTracking(last, p, controlView, false);
            return false;
        }
        last = p;
    }
}

TextView& Cell::setUpFieldEditorAttributes(TextView& editor) {
    editor.setFont(font_);
    editor.setAlignment(alignment_);
    editor.setTextColor(enabled_ ? Color::textColor() : Color::disabledControlTextColor());
    editor.setDrawsBackground(false);
    editor.setWrapsLines(wraps_);
    editor.setEditable(isEditable());
    editor.setSelectable(isSelectable());
    editor.setTextContainerInset({0, 0});
    return editor;
}

void Cell::editWithFrame(const Rect& frame, View* controlView, TextView& editor,
                         TextViewDelegate* delegate, const Event* event) {
    selectWithFrame(frame, controlView, editor, delegate, stringValue().size(), 0);
    if (event && event->type() == EventType::LeftMouseDown)
        editor.mouseDown(*event);
}

void Cell::selectWithFrame(const Rect& frame, View* controlView, TextView& editor,
                           TextViewDelegate* delegate, std::size_t selectionStart,
                           std::size_t selectionLength) {
    if (!controlView)
        return;
    setUpFieldEditorAttributes(editor);
    editor.setString(stringValue());
    editor.setFieldEditor(true);
    editor.setFrame(titleRectForBounds(frame));
    editor.setAutoresizingMask(ViewWidthSizable | ViewHeightSizable);
    if (editor.superview() != controlView) {
        editor.removeFromSuperview();
        if (auto shared = std::static_pointer_cast<View>(editor.shared_from_this()))
            controlView->addSubview(shared);
    }
    editor.setDelegate(delegate);
    editor.setSelectedRange({selectionStart, selectionLength});
    if (Window* window = controlView->window())
        window->makeFirstResponder(&editor);
    controlView->setNeedsDisplay(true);
}

void Cell::endEditing(TextView& editor) {
    auto keep = editor.weak_from_this().lock();
    View* controlView = editor.superview();
    editor.setDelegate(nullptr);
    editor.removeFromSuperview();
    editor.setString({});
    if (controlView)
        controlView->setNeedsDisplay(true);
}

} // namespace platform
