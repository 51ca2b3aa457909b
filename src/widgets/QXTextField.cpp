#include "widgets/QXTextField.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Control.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButtonCell.h"
#include "platform/kit/TrackingArea.h"
#include "platform/kit/Window.h"
#include "support/MenuExtensions.h"
#include "support/TextExtensions.h"
#include "widgets/QXTextFieldCell.h"

#include <algorithm>
#include <cmath>
#include <string>

using platform::AttributedString;
using platform::Color;
using platform::Image;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

constexpr int kNormal = 0;
constexpr int kHover = 1;
constexpr int kPressed = 2;

// The size an image of `size` is drawn at in a frame `height` high: images taller than the
// frame less 4 points shrink to that height, keeping their proportions.
Size cappedSize(Size size, double height) {
    const double limit = std::max(0.0, height - 4);
    if (size.height <= limit || size.height <= 0)
        return size;
    return {size.width * limit / size.height, limit};
}

// Takes an image out of the name cache, as the button sets do with images they let go of.
void unregister(std::shared_ptr<Image>& image) {
    if (image && !image->name().empty())
        image->setName("");
    image.reset();
}

bool isRoundedBezel(const platform::TextFieldCell* cell) {
    return cell && cell->bezelStyle() == platform::TextFieldBezelStyle::Rounded;
}

} // namespace

QXTextField::QXTextField(const Rect& frame) : TextField(frame) {
    // The cell of every field of this class, set up as the platform field's own.
    auto cell = std::make_shared<QXTextFieldCell>();
    cell->setEditable(true);
    cell->setSelectable(true);
    cell->setBezeled(true);
    cell->setDrawsBackground(true);
    setCell(std::move(cell));
    _rbaTarget = this;
    _rbaAction = "clear";
    _rbiTarget = this;
    _rbiAction = "showMenu";
}

QXTextField::~QXTextField() {
    for (auto* image : {&_rbaN, &_rbaH, &_rbaP, &_rbiN, &_rbiH, &_rbiP, &_lbaN, &_lbaH, &_lbaP,
                        &_lbiN, &_lbiH, &_lbiP})
        unregister(*image);
    if (_rbTrackingArea)
        removeTrackingArea(_rbTrackingArea.get());
    _rbTrackingArea.reset();
    _placeholder.reset();
    _popUpCell.reset();
}

std::type_index QXTextField::cellClass() {
    return typeid(QXTextFieldCell);
}

void QXTextField::initialize() {
    TextField::initialize();
    _rbaN = _rbaH = _rbaP = _rbiN = _rbiH = _rbiP = nullptr;
    _lbaN = _lbaH = _lbaP = _lbiN = _lbiH = _lbiP = nullptr;
    _rightButtonState = kNormal;
    _leftButtonState = kNormal;
    if (_rbTrackingArea)
        removeTrackingArea(_rbTrackingArea.get());
    _rbTrackingArea.reset();
    _rbaTarget = this;
    _rbaAction = "clear";
    _rbiTarget = this;
    _rbiAction = "showMenu";
    _releaseKeyOnCancel = false;
    _placeholder.reset();
    _popUpCell.reset();
    _activePlaceholder = true;
    _placeholderAlignment = 0;
    _radius = 0;
}

void QXTextField::awake() {
    TextField::awake();
    initialize();
    // The definition made a plain cell; ours takes over the settings that matter.
    const std::shared_ptr<platform::Cell> old = sharedCell();
    auto cell = std::make_shared<QXTextFieldCell>(old->stringValue());
    cell->setType(platform::CellType::Text);
    cell->setEnabled(old->isEnabled());
    cell->setEditable(old->isEditable());
    cell->setBezeled(old->isBezeled());
    cell->setSelectable(old->isSelectable());
    cell->setLineBreakMode(old->lineBreakMode());
    cell->setAlignment(old->alignment());
    cell->setSendsActionOnEndEditing(old->sendsActionOnEndEditing());
    cell->setScrollable(old->isScrollable());
    cell->setState(old->state());
    cell->setTarget(old->target());
    cell->setAction(old->action());
    cell->setFont(old->font());
    // The platform keeps a control's tag in its cell; a new cell must not lose it.
    cell->setTag(old->tag());
    std::string placeholderText;
    if (const auto* oldText = dynamic_cast<const platform::TextFieldCell*>(old.get())) {
        cell->setBezelStyle(oldText->bezelStyle());
        cell->setBackgroundColor(oldText->backgroundColor());
        cell->setDrawsBackground(oldText->drawsBackground());
        placeholderText = oldText->placeholderString();
    }
    setCell(std::move(cell));
    _hasValue = false;
    platform::TextAttributes attributes;
    attributes.font = font().fontWithItalic(true);
    attributes.foregroundColor = Color::grayColor();
    _placeholder = AttributedString(std::move(placeholderText), attributes);
}

void QXTextField::loadImageSet(std::shared_ptr<Image>& n, std::shared_ptr<Image>& h,
                               std::shared_ptr<Image>& p, std::string_view base) {
    unregister(n);
    unregister(h);
    unregister(p);
    const std::string name(base);
    n = Image::imageNamed(name + "_n");
    if (n) {
        h = Image::imageNamed(name + "_h");
        p = Image::imageNamed(name + "_p");
    } else {
        n = Image::imageNamed(name);
    }
    setNeedsDisplay(true);
}

void QXTextField::setActiveRightButtonNamed(std::string_view base) {
    loadImageSet(_rbaN, _rbaH, _rbaP, base);
    updateTrackingAreas();
}

void QXTextField::setInactiveRightButtonNamed(std::string_view base) {
    loadImageSet(_rbiN, _rbiH, _rbiP, base);
    updateTrackingAreas();
}

void QXTextField::setActiveLeftButtonNamed(std::string_view base) {
    loadImageSet(_lbaN, _lbaH, _lbaP, base);
}

void QXTextField::setInactiveLeftButtonNamed(std::string_view base) {
    loadImageSet(_lbiN, _lbiH, _lbiP, base);
}

void QXTextField::setActiveRightButtonTarget(platform::ActionTarget* target, std::string action) {
    _rbaTarget = target;
    _rbaAction = std::move(action);
}

void QXTextField::setInactiveRightButtonTarget(platform::ActionTarget* target, std::string action) {
    _rbiTarget = target;
    _rbiAction = std::move(action);
}

void QXTextField::setUsesMenu(bool flag) {
    if (!flag) {
        _popUpCell.reset();
        return;
    }
    if (_popUpCell)
        return;
    _popUpCell = std::make_shared<platform::PopUpButtonCell>(std::string(), true);
    _popUpCell->setPreferredEdge(platform::RectEdge::MaxY);
}

void QXTextField::setRadius(float radius) {
    _radius = radius;
    setNeedsDisplay(true);
}

void QXTextField::setPlaceholderString(std::optional<AttributedString> placeholder) {
    _placeholder = std::move(placeholder);
    setNeedsDisplay(true);
}

void QXTextField::setItemString(std::optional<AttributedString> itemString) {
    _itemString = std::move(itemString);
    setNeedsDisplay(true);
}

void QXTextField::setShowActivePlaceholder(bool flag) {
    _activePlaceholder = flag;
    setNeedsDisplay(true);
}

void QXTextField::setPlaceholderAlignment(int alignment) {
    _placeholderAlignment = alignment;
    setNeedsDisplay(true);
}

void QXTextField::setStringValue(std::string value) {
    _hasValue = !value.empty();
    TextField::setStringValue(std::move(value));
    setNeedsDisplay(true);
}

void QXTextField::clear() {
    auto keep = weak_from_this().lock();
    _itemString.reset();
    setStringValue(std::string());
    selectText(this);
    if (_myDelegate)
        _myDelegate->clearPressed();
    _hasValue = false;
    setNeedsDisplay(true);
}

void QXTextField::showMenu() {
    if (!_popUpCell)
        return;
    auto keep = weak_from_this().lock();
    auto cell = _popUpCell;
    auto menu = std::make_shared<platform::Menu>();
    // A pull-down's first item is its title, which the menu does not show.
    menu->addItem(
        std::make_shared<platform::MenuItem>(std::string(), std::string(), std::string()));
    if (_myDelegate)
        _myDelegate->dropDownMenuWillShowMenu(*this, *menu);
    cell->setMenu(menu);
    cell->performClickWithFrame(bounds(), this);
    setNeedsDisplay(true);
}

void QXTextField::tidyup() {
    if (_popUpCell && _popUpCell->menu())
        OrvantaExtensions::abruptClose(*_popUpCell->menu());
}

double QXTextField::buttonOffset() const {
    if (!cell()->isBezeled())
        return 1;
    return isRoundedBezel(textFieldCell()) ? 3 : 2;
}

double QXTextField::textSpacing() const {
    if (!cell()->isBezeled())
        return 2;
    return isRoundedBezel(textFieldCell()) ? -6 : 2;
}

std::shared_ptr<Image> QXTextField::chooseImage(const Rect& frame, bool active, bool needsBoth,
                                                int state, const ImageSet& activeSet,
                                                const ImageSet& inactiveSet) const {
    if (needsBoth && (!activeSet.normal || !inactiveSet.normal))
        return nullptr;
    std::shared_ptr<Image> chosen = active ? activeSet.normal : inactiveSet.normal;
    if (!chosen)
        return nullptr;
    const auto variant = [&](const std::shared_ptr<Image>& fromActive,
                             const std::shared_ptr<Image>& fromInactive) {
        if (active && fromActive)
            return fromActive;
        return fromInactive ? fromInactive : chosen;
    };
    if (state == kHover)
        chosen = variant(activeSet.hover, inactiveSet.hover);
    else if (state == kPressed)
        chosen = variant(activeSet.pressed, inactiveSet.pressed);
    // The stored image is never resized: the caller gets its own copy.
    auto copy = chosen->copy();
    const Size size = copy->size();
    const Size capped = cappedSize(size, frame.height());
    if (capped != size)
        copy->setSize(capped);
    return copy;
}

std::shared_ptr<Image> QXTextField::getRightImageForFrame(const Rect& frame, bool active) const {
    return chooseImage(frame, active, true, _rightButtonState, {_rbaN, _rbaH, _rbaP},
                       {_rbiN, _rbiH, _rbiP});
}

std::shared_ptr<Image> QXTextField::getLeftImageForFrame(const Rect& frame, bool active) const {
    return chooseImage(frame, active, false, _leftButtonState, {_lbaN, _lbaH, _lbaP},
                       {_lbiN, _lbiH, _lbiP});
}

Rect QXTextField::rightButtonAreaForFrame(const Rect& frame) const {
    auto image = getRightImageForFrame(frame, true);
    if (!image)
        image = getRightImageForFrame(frame, false);
    if (!image)
        return {};
    const Size s = image->size();
    return {frame.minX() + frame.width() - s.width - buttonOffset(),
            frame.minY() + std::ceil((frame.height() - s.height) * 0.5), s.width, s.height};
}

Rect QXTextField::leftButtonAreaForFrame(const Rect& frame) const {
    const auto image = getLeftImageForFrame(frame, _hasValue);
    if (!image)
        return {};
    const Size s = image->size();
    return {buttonOffset(), frame.minY() + std::ceil((frame.height() - s.height) * 0.5), s.width,
            s.height};
}

Rect QXTextField::textAreaForFrame(const Rect& frame) const {
    Rect area = frame;
    const double spacing = textSpacing();
    auto right = getRightImageForFrame(frame, true);
    if (!right)
        right = getRightImageForFrame(frame, false);
    if (right)
        area.size.width -= right->size().width + spacing;
    auto left = getLeftImageForFrame(frame, true);
    if (!left)
        left = getLeftImageForFrame(frame, false);
    if (left) {
        area.size.width -= left->size().width + spacing;
        area.origin.x += left->size().width + spacing;
    }
    if (_radius > 0) {
        area.size.width -= _radius;
        area.origin.x += _radius;
    }
    return area;
}

void QXTextField::setKeyboardFocusRingNeedsDisplayInRect(const Rect& rect) {
    Rect wider = rect;
    wider.origin.x = 0;
    wider.size.width += 30;
    setNeedsDisplayInRect(wider);
}

void QXTextField::drawRect(const Rect& dirtyRect) {
    const Rect b = bounds();
    const double r = _radius;
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    platform::TextView* editor = currentEditor();
    const bool appActive = platform::Application::sharedApplication().isActive();
    if (r <= 0) {
        TextField::drawRect(dirtyRect);
    } else if (context) {
        const bool lit = appActive && isEnabled();
        const double a = lit ? 0.5 : 0.7;
        const double bLevel = lit ? 0.6 : 0.8;
        const auto border = platform::BezierPath::bezierPathWithRoundedRect(
            Rect(0, 0, b.width(), b.height()), r + 1, r + 1);
        platform::Gradient(Color::colorWithCalibratedWhite(a, 1),
                           Color::colorWithCalibratedWhite(bLevel, 1))
            .drawInBezierPath(border, 90);
        context->setFillColor(Color::colorWithCalibratedWhite(0.88, 1));
        context->fillPath(platform::BezierPath::bezierPathWithRoundedRect(
            Rect(1.2, 1.2, b.width() - 2, 10), r, r));
        context->setFillColor(Color::whiteColor());
        context->fillPath(platform::BezierPath::bezierPathWithRoundedRect(
            Rect(1, 2, b.width() - 2, b.height() - 3), r, r));
        platform::Window* window = this->window();
        if (editor && window && window->firstResponder() == editor && appActive) {
            // A view draws only inside its bounds here, so the ring goes just inside the edge.
            platform::GraphicsStateSaver saver;
            platform::DrawFocusRing(platform::BezierPath::bezierPathWithRoundedRect(
                Rect(0, 0, b.width(), b.height()).insetBy(3, 3), std::max(0.0, r - 2),
                std::max(0.0, r - 2)));
        } else if (!editor) {
            // While editing, the editor shows the text; drawing it here too would double it.
            const Rect t = textAreaForFrame(b);
            attributedStringValue().drawInRect(Rect(t.minX() + 3.5, 3, t.width() - 5, t.height()));
        }
    }
    if (auto right = getRightImageForFrame(b, rightButtonActive()))
        right->drawInRect(rightButtonAreaForFrame(b), Rect(),
                          platform::CompositingOperation::SourceAtop, 1.0, true);
    if (auto left = getLeftImageForFrame(b, _hasValue)) {
        left->setFlipped(isFlipped());
        left->drawInRect(leftButtonAreaForFrame(b), Rect(),
                         platform::CompositingOperation::SourceAtop, 1.0);
    }
    drawPlaceholderAndItemString(b);
}

void QXTextField::drawPlaceholderAndItemString(const Rect& b) {
    const Rect right = rightButtonAreaForFrame(b);
    const Rect left = leftButtonAreaForFrame(b);
    const Rect text = textAreaForFrame(b);
    const double x0 = left.minX() + left.width() + 2;
    // Without a right button the space runs to the field's own right end.
    const double width =
        right.isEmpty() ? b.width() - buttonOffset() - x0 : right.minX() - right.width() - x0;
    // Centred on the placeholder; an item string shown without one is centred on itself.
    const AttributedString* centred =
        _placeholder ? &*_placeholder : (_itemString ? &*_itemString : nullptr);
    const double height = centred ? centred->size().height : 0;
    const double y = (text.height() - height) * 0.5 + 1;
    if (!_itemString) {
        if (_placeholder && !_hasValue && (!currentEditor() || _activePlaceholder)) {
            const double w = _placeholder->size().width;
            double x = x0;
            if (_placeholderAlignment == 1)
                x = x0 + width - w;
            else if (_placeholderAlignment == 0)
                x = x0 + (width - w) * 0.5;
            _placeholder->drawAtPoint(Point(x, y));
        }
        return;
    }
    if (!_hasValue) {
        const AttributedString shown =
            OrvantaExtensions::truncateForWidth(*_itemString, static_cast<int>(width));
        shown.drawInRect(Rect(x0 + 12, y, width, text.height()));
    }
}

bool QXTextField::pointInArea(const platform::Event& event, const Rect& area) const {
    return !area.isEmpty() && mouseInRect(platform::pointInView(event, *this), area);
}

void QXTextField::updateTrackingAreas() {
    TextField::updateTrackingAreas();
    if (_rbTrackingArea) {
        removeTrackingArea(_rbTrackingArea.get());
        _rbTrackingArea.reset();
    }
    const Rect b = bounds();
    if (!getRightImageForFrame(b, true) && !getRightImageForFrame(b, false))
        return;
    _rbTrackingArea = std::make_shared<platform::TrackingArea>(
        rightButtonAreaForFrame(b),
        platform::TrackingMouseEnteredAndExited | platform::TrackingActiveInActiveApp, this);
    addTrackingArea(_rbTrackingArea);
}

void QXTextField::mouseEntered(const platform::Event& event) {
    const Point p = platform::pointInView(event, *this);
    if (p.x < bounds().width() / 2)
        _leftButtonState = kHover;
    else
        _rightButtonState = kHover;
    setNeedsDisplay(true);
}

void QXTextField::mouseExited(const platform::Event& event) {
    const Point p = platform::pointInView(event, *this);
    int& state = p.x < bounds().width() / 2 ? _leftButtonState : _rightButtonState;
    if (state != kPressed)
        state = kNormal;
    setNeedsDisplay(true);
}

void QXTextField::mouseDown(const platform::Event& event) {
    const Rect b = bounds();
    if (pointInArea(event, rightButtonAreaForFrame(b)))
        _rightButtonState = kPressed;
    else if (pointInArea(event, leftButtonAreaForFrame(b)))
        _leftButtonState = kPressed;
    else
        return;
    setNeedsDisplay(true);
}

void QXTextField::mouseDragged(const platform::Event& /*event*/) {
    // Presses go to the buttons, never to the editor, so neither do the drags that follow.
}

void QXTextField::mouseUp(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    if (isEnabled()) {
        _rightButtonState = kNormal;
        _leftButtonState = kNormal;
        const Rect b = bounds();
        if (pointInArea(event, rightButtonAreaForFrame(b))) {
            _rightButtonState = kHover;
            const bool showsActive = !stringValue().empty() || _itemString.has_value();
            if (getRightImageForFrame(b, showsActive)) {
                const bool active = rightButtonActive();
                platform::ActionTarget* target = active ? _rbaTarget : _rbiTarget;
                const std::string action = active ? _rbaAction : _rbiAction;
                if (target && target->respondsToAction(action))
                    target->tryToPerform(action, nullptr);
            }
        } else if (pointInArea(event, leftButtonAreaForFrame(b))) {
            _leftButtonState = kHover;
        }
    }
    setNeedsDisplay(true);
}

bool QXTextField::acceptsFirstResponder() const {
    if (currentEditor())
        return false;
    return TextField::acceptsFirstResponder();
}

bool QXTextField::becomeFirstResponder() {
    auto keep = weak_from_this().lock();
    if (_myDelegate)
        _myDelegate->textFieldGotFocus(*this);
    return TextField::becomeFirstResponder();
}

bool QXTextField::resignFirstResponder() {
    if (_myDelegate)
        _myDelegate->textFieldLostFocus(*this);
    return TextField::resignFirstResponder();
}

void QXTextField::textDidChange(const platform::Notification& notification) {
    _hasValue = !stringValue().empty();
    // The side buttons switch between their active and inactive images.
    setNeedsDisplay(true);
    if (_myDelegate)
        _myDelegate->textDidChange(notification);
}

void QXTextField::textDidEndEditing(const platform::Notification& notification) {
    auto keep = weak_from_this().lock();
    // The editor stood in for the field while it had the keyboard; its session ending is the
    // field losing the focus.
    if (_myDelegate)
        _myDelegate->textFieldLostFocus(*this);
    TextField::textDidEndEditing(notification);
}

void QXTextField::sendActionToTargetIfAnswered() {
    platform::ActionTarget* target = this->target();
    const std::string act = action();
    if (target && !act.empty() && target->respondsToAction(act))
        target->tryToPerform(act, nullptr);
}

bool QXTextField::textViewDoCommandBySelector(platform::TextView& textView,
                                              std::string_view selector) {
    auto keep = weak_from_this().lock();
    // A delegate that performed the command has done it: the editor must not do it again.
    if (_myDelegate && _myDelegate->controlTextViewDoCommandBySelector(*this, textView, selector))
        return true;
    if (selector == "insertNewline:" || selector == "insertLineBreak:") {
        sendActionToTargetIfAnswered();
        return true;
    }
    if (selector == "cancelOperation:") {
        clear();
        if (_releaseKeyOnCancel)
            if (platform::Window* window = this->window())
                if (!window->makeFirstResponder(superview()))
                    window->makeFirstResponder(nullptr);
        return true;
    }
    return false;
}

std::optional<bool> QXTextField::keyPressed(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    if (_itemString) {
        _itemString.reset();
        setNeedsDisplay(true);
    }
    if (!_myDelegate)
        return false;
    return _myDelegate->keyPressed(event).value_or(false);
}

std::optional<bool> QXTextField::keyReleased(const platform::Event& event) {
    if (!_myDelegate)
        return false;
    return _myDelegate->keyReleased(event).value_or(false);
}

bool QXTextField::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "clear") {
        clear();
        return true;
    }
    if (action == "showMenu") {
        showMenu();
        return true;
    }
    if (action == "tidyup") {
        tidyup();
        return true;
    }
    return TextField::tryToPerform(action, sender);
}

bool QXTextField::respondsToAction(std::string_view action) const {
    return action == "clear" || action == "showMenu" || action == "tidyup" ||
           TextField::respondsToAction(action);
}
