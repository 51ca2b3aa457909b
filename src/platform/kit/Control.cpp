#include "platform/kit/Control.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ActionCell.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <cmath>

namespace platform {

namespace {

// Windows lend their text fields a plain text view; the factory goes in when a window has
// none to give (nobody registered one, or a test cleared it).
TextView* fieldEditorOf(Window& window, Object* client) {
    if (auto* editor = dynamic_cast<TextView*>(window.fieldEditor(true, client)))
        return editor;
    Window::setFieldEditorFactory([] {
        auto editor = std::make_shared<TextView>();
        editor->setFieldEditor(true);
        return std::static_pointer_cast<View>(editor);
    });
    return dynamic_cast<TextView*>(window.fieldEditor(true, client));
}

} // namespace

std::optional<Event> nextEventForTracking(EventMask mask, RunLoopMode mode,
                                          const std::function<bool()>& giveUp) {
    RunLoop& loop = RunLoop::main();
    // A year is as good as forever for a user holding a mouse button.
    const TimeInterval until = loop.manualClock() ? loop.now() : loop.now() + 365.0 * 86400;
    return WindowServer::shared().nextEventMatchingMask(mask, until, mode, true, giveUp);
}

Point pointInView(const Event& event, const View& view) {
    Point base = event.locationInWindow();
    Window* own = view.window();
    Window* from = event.window();
    // An event without a window was handed to the view's window directly.
    if (own && from && from != own)
        base = own->convertScreenToBase(from->convertBaseToScreen(base));
    return view.convertPointFromView(base, nullptr);
}

Control::Control(const Rect& frame) : View(frame) {
    setCell(std::make_shared<ActionCell>());
}

Control::~Control() {
    if (auto editor = std::dynamic_pointer_cast<TextView>(editor_.lock()))
        if (editor->delegate() == this)
            editor->setDelegate(nullptr);
    if (cell_ && cell_->controlView() == this)
        cell_->setControlView(nullptr);
}

void Control::setCell(std::shared_ptr<Cell> cell) {
    if (cell_ && cell_->controlView() == this)
        cell_->setControlView(nullptr);
    cell_ = std::move(cell);
    if (!cell_)
        cell_ = std::make_shared<ActionCell>();
    cell_->setControlView(this);
    setNeedsDisplay(true);
}

ActionTarget* Control::target() const {
    return cell_->target();
}
void Control::setTarget(ActionTarget* target) {
    cell_->setTarget(target);
}
const std::string& Control::action() const {
    return cell_->action();
}
void Control::setAction(std::string action) {
    cell_->setAction(std::move(action));
}

bool Control::sendAction(std::string_view action, ActionTarget* target) {
    if (action.empty())
        return false;
    auto keep = weak_from_this().lock();
    return WindowServer::shared().sendAction(action, target, this);
}

bool Control::isContinuous() const {
    return cell_->isContinuous();
}
void Control::setContinuous(bool flag) {
    cell_->setContinuous(flag);
}

long Control::tag() const {
    return cell_->tag();
}
void Control::setTag(long tag) {
    cell_->setTag(tag);
}

Value Control::objectValue() const {
    if (TextView* editor = currentEditor())
        return Value(editor->string());
    return cell_->objectValue();
}

void Control::setObjectValue(Value value) {
    abortEditing();
    cell_->setObjectValue(std::move(value));
    setNeedsDisplay(true);
}

std::string Control::stringValue() const {
    if (TextView* editor = currentEditor())
        return editor->string();
    return cell_->stringValue();
}

void Control::setStringValue(std::string value) {
    // Setting the value while editing replaces the editor's text, as the original did.
    if (TextView* editor = currentEditor()) {
        cell_->setStringValue(value);
        editor->setString(std::move(value));
        return;
    }
    cell_->setStringValue(std::move(value));
    setNeedsDisplay(true);
}

AttributedString Control::attributedStringValue() const {
    if (TextView* editor = currentEditor())
        return AttributedString(editor->string(), {});
    return cell_->attributedStringValue();
}

void Control::setAttributedStringValue(AttributedString value) {
    abortEditing();
    cell_->setAttributedStringValue(std::move(value));
    setNeedsDisplay(true);
}

bool Control::isEnabled() const {
    return cell_->isEnabled();
}

void Control::setEnabled(bool flag) {
    if (!flag)
        abortEditing();
    cell_->setEnabled(flag);
    setNeedsDisplay(true);
}

bool Control::isHighlighted() const {
    return cell_->isHighlighted();
}

void Control::highlight(bool flag) {
    cell_->highlight(flag, bounds(), this);
}

const Font& Control::font() const {
    return cell_->font();
}

void Control::setFont(const Font& font) {
    cell_->setFont(font);
    if (TextView* editor = currentEditor())
        editor->setFont(font);
}

TextAlignment Control::alignment() const {
    return cell_->alignment();
}

void Control::setAlignment(TextAlignment alignment) {
    cell_->setAlignment(alignment);
    if (TextView* editor = currentEditor())
        editor->setAlignment(alignment);
}

LineBreakMode Control::lineBreakMode() const {
    return cell_->lineBreakMode();
}
void Control::setLineBreakMode(LineBreakMode mode) {
    cell_->setLineBreakMode(mode);
}

bool Control::refusesFirstResponder() const {
    return cell_->refusesFirstResponder();
}
void Control::setRefusesFirstResponder(bool flag) {
    cell_->setRefusesFirstResponder(flag);
}

void Control::drawRect(const Rect& /*dirtyRect*/) {
    cell_->drawWithFrame(bounds(), this);
}

void Control::updateCell(Cell* /*cell*/) {
    setNeedsDisplay(true);
}

void Control::drawCell(Cell* cell) {
    if (cell == cell_.get())
        displayIfNeeded();
    setNeedsDisplay(true);
}

void Control::setKeyboardFocusRingNeedsDisplayInRect(const Rect& rect) {
    setNeedsDisplayInRect(rect.insetBy(-3, -3));
}

void Control::sizeToFit() {
    const Size size = cell_->cellSize();
    setFrameSize({std::ceil(size.width), std::ceil(size.height)});
}

bool Control::mouseDownStartsEditing() const {
    return cell_->isSelectable();
}

Control::Track Control::trackClick(const Event& event) {
    Point last = pointInView(event, *this);
    if (!cell_->startTrackingAt(last, this))
        return Track::UpOutside;
    for (;;) {
        auto next = nextEventForTracking(LeftMouseUpMask | LeftMouseDraggedMask);
        if (!next)
            return Track::Pending;
        const Point p = pointInView(*next, *this);
        const bool inside = mouseInRect(p, bounds());
        if (next->type() == EventType::LeftMouseUp) {
            cell_->stopTracking(last, p, this, true);
            return inside ? Track::UpInside : Track::UpOutside;
        }
        cell_->highlight(inside, bounds(), this);
        if (inside && isContinuous())
            sendAction(action(), target());
        cell_->continueTracking(last, p, this);
        last = p;
    }
}

void Control::mouseDown(const Event& event) {
    auto keep = weak_from_this().lock();
    if (!isEnabled())
        return;
    if (mouseDownStartsEditing()) {
        if (!currentEditor() && window())
            window()->makeFirstResponder(this);
        if (TextView* editor = currentEditor())
            editor->mouseDown(event);
        return;
    }
    if (ignoresMultiClick_ && event.clickCount() > 1)
        return;
    pendingClick_ = false;
    cell_->highlight(true, bounds(), this);
    if (isContinuous())
        sendAction(action(), target());
    switch (trackClick(event)) {
    case Track::Pending:
        pendingClick_ = true;
        return;
    case Track::UpInside:
        clickEnded(true);
        return;
    case Track::UpOutside:
        clickEnded(false);
        return;
    }
}

void Control::mouseDragged(const Event& event) {
    if (TextView* editor = currentEditor()) {
        editor->mouseDragged(event);
        return;
    }
    if (!pendingClick_)
        return;
    const bool inside = mouseInRect(pointInView(event, *this), bounds());
    cell_->highlight(inside, bounds(), this);
    if (inside && isContinuous())
        sendAction(action(), target());
}

void Control::mouseUp(const Event& event) {
    if (TextView* editor = currentEditor()) {
        editor->mouseUp(event);
        return;
    }
    if (!pendingClick_)
        return;
    pendingClick_ = false;
    auto keep = weak_from_this().lock();
    clickEnded(mouseInRect(pointInView(event, *this), bounds()));
}

void Control::clickEnded(bool inside) {
    auto keep = weak_from_this().lock();
    cell_->highlight(false, bounds(), this);
    if (!inside)
        return;
    cell_->setNextState();
    sendAction(action(), target());
}

void Control::performClick(Object* /*sender*/) {
    if (!isEnabled())
        return;
    auto keep = weak_from_this().lock();
    cell_->highlight(true, bounds(), this);
    cell_->setNextState();
    sendAction(action(), target());
    cell_->highlight(false, bounds(), this);
}

TextView* Control::currentEditor() const {
    auto editor = std::dynamic_pointer_cast<TextView>(editor_.lock());
    if (!editor || editor->delegate() != this || editor->superview() != this)
        return nullptr;
    return editor.get();
}

bool Control::abortEditing() {
    TextView* editor = currentEditor();
    if (!editor)
        return false;
    auto keep = editor->weak_from_this().lock();
    cell_->endEditing(*editor);
    editor_.reset();
    return true;
}

void Control::validateEditing() {
    if (TextView* editor = currentEditor())
        cell_->setStringValue(editor->string());
}

bool Control::beginEditing(const Event* event, bool selectAll) {
    Window* window = this->window();
    if (!window || !cell_->isSelectable())
        return false;
    TextView* editor = fieldEditorOf(*window, this);
    if (!editor)
        return false;
    auto keep = editor->weak_from_this().lock();
    // An editor still lent to another control comes back from it first.
    if (auto* other = dynamic_cast<Control*>(editor->delegate()); other && other != this)
        other->abortEditing();
    editor_ = keep;
    if (selectAll || !event)
        cell_->selectWithFrame(bounds(), this, *editor, this, 0, cell_->stringValue().size());
    else
        cell_->editWithFrame(bounds(), this, *editor, this, event);
    return true;
}

void Control::selectText(Object* /*sender*/) {
    if (TextView* editor = currentEditor()) {
        editor->selectAll(this);
        return;
    }
    if (Window* window = this->window())
        window->makeFirstResponder(this);
}

bool Control::acceptsFirstResponder() const {
    return cell_->acceptsFirstResponder();
}

bool Control::becomeFirstResponder() {
    if (cell_->isSelectable() && !currentEditor())
        beginEditing(nullptr, true);
    return true;
}

bool Control::acceptsFirstMouse(const Event* /*event*/) {
    return false;
}

TextView* Control::editorFromNotification(const Notification& notification) const {
    return dynamic_cast<TextView*>(notification.object);
}

void Control::postControlNotification(
    std::string_view name, void (ControlTextEditingDelegate::*message)(const Notification&),
    TextView* editor, std::optional<int> movement) {
    Value info;
    if (editor)
        if (auto shared = editor->weak_from_this().lock())
            info.setObject(FieldEditorKey, Value(std::static_pointer_cast<Object>(shared)));
    if (movement)
        info.setObject(TextMovementKey, Value(*movement));
    const Notification notification{std::string(name), this, std::move(info)};
    if (delegate_)
        (delegate_->*message)(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

bool Control::textShouldBeginEditing(TextView& textView) {
    if (!cell_->isEditable() || !cell_->isEnabled())
        return false;
    return !delegate_ || delegate_->controlTextShouldBeginEditing(*this, textView);
}

bool Control::textShouldEndEditing(TextView& textView) {
    return !delegate_ || delegate_->controlTextShouldEndEditing(*this, textView);
}

void Control::textDidBeginEditing(const Notification& notification) {
    postControlNotification(ControlTextDidBeginEditingNotification,
                            &ControlTextEditingDelegate::controlTextDidBeginEditing,
                            editorFromNotification(notification));
}

void Control::textDidChange(const Notification& notification) {
    postControlNotification(ControlTextDidChangeNotification,
                            &ControlTextEditingDelegate::controlTextDidChange,
                            editorFromNotification(notification));
}

void Control::textDidEndEditing(const Notification& notification) {
    auto keep = weak_from_this().lock();
    TextView* editor = editorFromNotification(notification);
    const int movement = notification.userInfo[TextMovementKey].intValue();
    std::shared_ptr<View> keepEditor = editor ? editor->weak_from_this().lock() : nullptr;
    if (editor) {
        cell_->setStringValue(editor->string());
        cell_->endEditing(*editor);
    }
    editor_.reset();
    setNeedsDisplay(true);
    postControlNotification(ControlTextDidEndEditingNotification,
                            &ControlTextEditingDelegate::controlTextDidEndEditing, editor,
                            movement);
    if (movement == ReturnTextMovement || cell_->sendsActionOnEndEditing())
        sendAction(action(), target());
    Window* window = this->window();
    if (!window)
        return;
    const auto stayHere = [&] {
        // Nobody took the keyboard (no next key view): editing goes on here.
        Responder* first = window->firstResponder();
        if (first == window || (first == editor && editor && !editor->delegate()))
            selectText(this);
    };
    switch (movement) {
    case TabTextMovement:
        window->selectKeyViewFollowingView(this);
        stayHere();
        break;
    case BacktabTextMovement:
        window->selectKeyViewPrecedingView(this);
        stayHere();
        break;
    case ReturnTextMovement:
        stayHere();
        break;
    default:
        break;
    }
}

bool Control::textViewDoCommandBySelector(TextView& textView, std::string_view selector) {
    return delegate_ && delegate_->controlTextViewDoCommandBySelector(*this, textView, selector);
}

std::string Control::description() const {
    return View::description() + " \"" + cell_->stringValue() + "\"";
}

} // namespace platform
