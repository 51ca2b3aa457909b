#include "platform/kit/TextView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Decodes the code point starting at `i` (a lone or broken byte reads as itself).
char32_t codePointAt(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t end = characterEnd(s, i);
    if (b < 0x80 || end - i == 1)
        return b;
    char32_t c = b & (b >= 0xF0 ? 0x07 : b >= 0xE0 ? 0x0F : 0x1F);
    for (std::size_t k = i + 1; k < end; ++k)
        c = (c << 6) | (static_cast<unsigned char>(s[k]) & 0x3F);
    return c;
}

// Marks that belong to the character before them: combining marks of the common scripts,
// variation selectors, emoji skin tones, and the zero-width joiner (which also pulls in the
// character after it).
bool isExtending(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) ||
           (c >= 0x0591 && c <= 0x05C7 && c != 0x05BE && c != 0x05C0 && c != 0x05C3 &&
            c != 0x05C6) ||
           (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) || c == 0x0670 ||
           (c >= 0x0900 && c <= 0x0903) || (c >= 0x093A && c <= 0x094F && c != 0x093D) ||
           (c >= 0x0951 && c <= 0x0957) || (c >= 0x0962 && c <= 0x0963) || c == 0x0E31 ||
           (c >= 0x0E34 && c <= 0x0E3A) || (c >= 0x0E47 && c <= 0x0E4E) ||
           (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) || c == 0x200C ||
           c == 0x200D || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0x3099 && c <= 0x309A) ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) ||
           (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0020 && c <= 0xE007F) ||
           (c >= 0xE0100 && c <= 0xE01EF);
}

bool isRegionalIndicator(char32_t c) {
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

// The end of the user-perceived character that starts at `i`.
std::size_t clusterEnd(std::string_view s, std::size_t i) {
    const std::size_t n = s.size();
    if (i >= n)
        return n;
    const char32_t first = codePointAt(s, i);
    std::size_t j = characterEnd(s, i);
    if (first == '\r' && j < n && s[j] == '\n')
        return j + 1;
    if (isRegionalIndicator(first) && j < n && isRegionalIndicator(codePointAt(s, j)))
        j = characterEnd(s, j);
    while (j < n) {
        const char32_t c = codePointAt(s, j);
        if (!isExtending(c))
            break;
        j = characterEnd(s, j);
        if (c == 0x200D && j < n)
            j = characterEnd(s, j);
    }
    return j;
}

bool isWordCharacter(char32_t c) {
    if (c < 0x80)
        return std::isalnum(static_cast<int>(c)) || c == '_' || c == '\'';
    const bool space = c == 0xA0 || (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) ||
                       (c >= 0xFF00 && c <= 0xFF0F);
    return !space;
}

// Whether a key's characters are text to insert rather than a control or function key.
bool isTypedText(std::string_view characters) {
    if (characters.empty())
        return false;
    for (std::size_t i = 0; i < characters.size(); i = characterEnd(characters, i)) {
        const char32_t c = codePointAt(characters, i);
        if (c < 0x20 || c == 0x7F || (c >= 0xF700 && c <= 0xF8FF))
            return false;
    }
    return true;
}

constexpr EventModifierFlags kShift = ShiftKeyMask;
constexpr EventModifierFlags kCommandOrControl = CommandKeyMask | ControlKeyMask;

// Accents and other marks that backspace takes off one at a time, leaving the letter.
bool isCombiningMark(char32_t c) {
    return isExtending(c) && c != 0x200C && c != 0x200D && !(c >= 0xFE00 && c <= 0xFE0F) &&
           !(c >= 0x1F3FB && c <= 0x1F3FF) && c < 0xE0000;
}

} // namespace

struct TextView::Layout {
    TextLayout text;
    bool valid = false;
};

TextView::TextView(const Rect& frame) : View(frame), layout_(std::make_unique<Layout>()) {
    rebuildStorage();
}

TextView::~TextView() = default;

const std::string& TextView::string() const {
    return plain_;
}

void TextView::setString(std::string text) {
    plain_ = std::move(text);
    rebuildStorage();
    selection_ = {plain_.size(), 0};
    anchor_ = plain_.size();
    undoStack_.clear();
    redoStack_.clear();
    lastEdit_ = EditKind::Other;
    scrollX_ = 0;
    scrollToInsertionPoint();
}

void TextView::rebuildStorage() {
    TextAttributes attributes;
    attributes.font = font_;
    attributes.foregroundColor = textColor_;
    ParagraphStyle style;
    style.alignment = alignment_;
    style.lineBreakMode = wrapsLines_ ? LineBreakMode::ByWordWrapping : LineBreakMode::ByClipping;
    attributes.paragraphStyle = style;
    text_ = AttributedString(plain_, attributes);
    if (styledRuns_ && styledRuns_->string() == plain_) {
        for (const auto& run : styledRuns_->runs())
            text_.addAttributes(run.attributes, run.range);
    }
    invalidateLayout();
}

void TextView::setStyledRuns(AttributedString runs) {
    styledRuns_ = std::move(runs);
    rebuildStorage();
}

void TextView::invalidateLayout() {
    layout_->valid = false;
    setNeedsDisplay(true);
}

void TextView::layoutIfNeeded() const {
    if (layout_->valid)
        return;
    const double width = wrapsLines_ ? std::max(1.0, bounds().width() - 2 * inset_.width) : 0;
    layout_->text = TextLayout(text_, width);
    layout_->valid = true;
}

void TextView::setFont(const Font& font) {
    font_ = font;
    rebuildStorage();
}

void TextView::setTextColor(const Color& color) {
    textColor_ = color;
    rebuildStorage();
}

void TextView::setAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    rebuildStorage();
}

void TextView::setBackgroundColor(const Color& color) {
    backgroundColor_ = color;
    setNeedsDisplay(true);
}

void TextView::setDrawsBackground(bool flag) {
    drawsBackground_ = flag;
    setNeedsDisplay(true);
}

void TextView::setWrapsLines(bool flag) {
    if (wrapsLines_ == flag)
        return;
    wrapsLines_ = flag;
    scrollX_ = 0;
    rebuildStorage();
}

void TextView::setTextContainerInset(Size inset) {
    inset_ = inset;
    invalidateLayout();
}

void TextView::setEditable(bool flag) {
    editable_ = flag;
    setNeedsDisplay(true);
}

void TextView::setSelectable(bool flag) {
    selectable_ = flag;
    setNeedsDisplay(true);
}

void TextView::setDelegate(TextViewDelegate* delegate) {
    delegate_ = delegate;
    // Each editing session asks textShouldBeginEditing again at its first change.
    beganEditing_ = false;
}

void TextView::setFrameSize(Size size) {
    View::setFrameSize(size);
    invalidateLayout();
    scrollToInsertionPoint();
}

// Character boundaries: walk clusters from the start, which is cheap at the sizes a text
// field or a small text view holds and never lands inside a character.
std::size_t TextView::previousBoundary(std::size_t index) const {
    std::size_t last = 0;
    for (std::size_t i = 0; i < index && i < plain_.size();) {
        last = i;
        i = clusterEnd(plain_, i);
        if (i >= index)
            break;
    }
    return index == 0 ? 0 : last;
}

std::size_t TextView::nextBoundary(std::size_t index) const {
    std::size_t i = 0;
    while (i < plain_.size() && i <= index) {
        const std::size_t next = clusterEnd(plain_, i);
        if (next > index)
            return next;
        i = next;
    }
    return plain_.size();
}

std::size_t TextView::previousWordBoundary(std::size_t index) const {
    std::size_t i = index;
    while (i > 0) {
        const std::size_t p = previousBoundary(i);
        if (isWordCharacter(codePointAt(plain_, p)))
            break;
        i = p;
    }
    while (i > 0) {
        const std::size_t p = previousBoundary(i);
        if (!isWordCharacter(codePointAt(plain_, p)))
            break;
        i = p;
    }
    return i;
}

std::size_t TextView::nextWordBoundary(std::size_t index) const {
    std::size_t i = index;
    while (i < plain_.size() && !isWordCharacter(codePointAt(plain_, i)))
        i = clusterEnd(plain_, i);
    while (i < plain_.size() && isWordCharacter(codePointAt(plain_, i)))
        i = clusterEnd(plain_, i);
    return i;
}

std::size_t TextView::lineStart(std::size_t index) const {
    std::size_t start = plain_.rfind('\n', index == 0 ? 0 : index - 1);
    start = (start == std::string::npos || index == 0) ? 0 : start + 1;
    if (wrapsLines_ && !plain_.empty()) {
        layoutIfNeeded();
        const Rect caret = layout_->text.caretRectForIndex(index);
        const std::size_t visual = layout_->text.characterIndexForPoint({-1e6, caret.midY()});
        start = std::max(start, std::min(visual, index));
    }
    return start;
}

std::size_t TextView::lineEnd(std::size_t index) const {
    std::size_t end = plain_.find('\n', index);
    if (end == std::string::npos)
        end = plain_.size();
    if (wrapsLines_ && !plain_.empty()) {
        layoutIfNeeded();
        const Rect caret = layout_->text.caretRectForIndex(index);
        std::size_t visual = layout_->text.characterIndexForPoint({1e6, caret.midY()});
        // A wrapped line ends before the blank that broke it.
        if (visual < end && visual > index && plain_[visual - 1] == ' ')
            --visual;
        if (visual >= index)
            end = std::min(end, visual);
    }
    return end;
}

std::size_t TextView::verticalMove(std::size_t index, int direction) const {
    if (!wrapsLines_ || plain_.empty())
        return direction < 0 ? 0 : plain_.size();
    layoutIfNeeded();
    const Rect caret = layout_->text.caretRectForIndex(index);
    const double y = direction < 0 ? caret.minY() - 1 : caret.maxY() + 1;
    const Rect used = layout_->text.usedRect();
    if (y < used.minY())
        return 0;
    if (y >= used.maxY())
        return plain_.size();
    return previousBoundary(nextBoundary(layout_->text.characterIndexForPoint({caret.minX(), y})));
}

void TextView::setSelectedRange(TextRange range) {
    std::size_t start = std::min(range.location, plain_.size());
    std::size_t end = std::min(range.end(), plain_.size());
    // Outwards to whole characters.
    if (start > 0 && start < plain_.size() && previousBoundary(nextBoundary(start)) != start)
        start = previousBoundary(start);
    if (end > 0 && end < plain_.size() && previousBoundary(nextBoundary(end)) != end)
        end = nextBoundary(end);
    const TextRange snapped{start, end - start};
    const bool changed = snapped != selection_;
    selection_ = snapped;
    anchor_ = start;
    scrollToInsertionPoint();
    setNeedsDisplay(true);
    if (changed)
        postNotification(TextViewDidChangeSelectionNotification,
                         &TextViewDelegate::textViewDidChangeSelection);
}

void TextView::moveTo(std::size_t index, bool extend) {
    lastEdit_ = EditKind::Other;
    index = std::min(index, plain_.size());
    if (!extend) {
        setSelectedRange({index, 0});
        return;
    }
    const std::size_t anchor = anchor_;
    const TextRange range{std::min(anchor, index),
                          std::max(anchor, index) - std::min(anchor, index)};
    setSelectedRange(range);
    anchor_ = anchor;
}

bool TextView::isEditingSession() const {
    return isFieldEditor() && delegate_ != nullptr;
}

bool TextView::shouldChangeTextInRange(TextRange range, std::string_view replacement) {
    if (!editable_)
        return false;
    if (!beganEditing_ && delegate_ && !delegate_->textShouldBeginEditing(*this))
        return false;
    if (delegate_ && !delegate_->textViewShouldChangeTextInRange(*this, range, replacement))
        return false;
    if (!beganEditing_) {
        beganEditing_ = true;
        postNotification(TextDidBeginEditingNotification, &TextViewDelegate::textDidBeginEditing);
    }
    return true;
}

void TextView::didChangeText() {
    postNotification(TextDidChangeNotification, &TextViewDelegate::textDidChange);
}

void TextView::replaceCharactersInRange(TextRange range, std::string_view text) {
    const std::size_t start = std::min(range.location, plain_.size());
    const std::size_t end = std::min(range.end(), plain_.size());
    plain_.replace(start, end - start, text);
    rebuildStorage();
    const std::size_t caret = start + text.size();
    selection_ = {caret, 0};
    anchor_ = caret;
    scrollToInsertionPoint();
}

void TextView::recordUndo(EditKind kind) {
    if (!allowsUndo_)
        return;
    if (kind == EditKind::Other || kind != lastEdit_) {
        undoStack_.push_back({plain_, selection_});
        // A long editing session keeps the last hundred steps.
        if (undoStack_.size() > 100)
            undoStack_.erase(undoStack_.begin());
    }
    redoStack_.clear();
    lastEdit_ = kind;
}

bool TextView::insertText(std::string_view text) {
    auto keep = weak_from_this().lock();
    const TextRange range = selection_;
    if (!shouldChangeTextInRange(range, text))
        return false;
    const bool typing = range.length == 0 && text.find('\n') == std::string_view::npos;
    recordUndo(typing ? EditKind::Typing : EditKind::Other);
    replaceCharactersInRange(range, text);
    didChangeText();
    return true;
}

void TextView::deleteRange(TextRange range, EditKind kind) {
    if (range.length == 0)
        return;
    auto keep = weak_from_this().lock();
    if (!shouldChangeTextInRange(range, {}))
        return;
    recordUndo(kind);
    replaceCharactersInRange(range, {});
    didChangeText();
}

void TextView::postNotification(std::string_view name,
                                void (TextViewDelegate::*message)(const Notification&),
                                Value userInfo) {
    const Notification notification{std::string(name), this, std::move(userInfo)};
    if (delegate_)
        (delegate_->*message)(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

std::optional<std::string> TextView::commandForKeyEvent(const Event& event) {
    const EventModifierFlags flags = event.modifierFlags();
    const bool shift = flags & kShift;
    const bool option = flags & AlternateKeyMask;
    const bool command = flags & CommandKeyMask;
    const char32_t c = firstCodePoint(event.charactersIgnoringModifiers().empty()
                                          ? event.characters()
                                          : event.charactersIgnoringModifiers());
    const auto select = [shift](std::string base) {
        return shift ? base + "AndModifySelection:" : base + ":";
    };
    switch (c) {
    case LeftArrowFunctionKey:
        return select(command ? "moveToBeginningOfLine" : option ? "moveWordLeft" : "moveLeft");
    case RightArrowFunctionKey:
        return select(command ? "moveToEndOfLine" : option ? "moveWordRight" : "moveRight");
    case UpArrowFunctionKey:
        return select(command ? "moveToBeginningOfDocument" : "moveUp");
    case DownArrowFunctionKey:
        return select(command ? "moveToEndOfDocument" : "moveDown");
    case HomeFunctionKey:
        return select(command ? "moveToBeginningOfDocument" : "moveToBeginningOfLine");
    case EndFunctionKey:
        return select(command ? "moveToEndOfDocument" : "moveToEndOfLine");
    case PageUpFunctionKey:
        return std::string(shift ? "pageUpAndModifySelection:" : "pageUp:");
    case PageDownFunctionKey:
        return std::string(shift ? "pageDownAndModifySelection:" : "pageDown:");
    case DeleteCharacter:
    case BackspaceCharacter:
        return std::string(command  ? "deleteToBeginningOfLine:"
                           : option ? "deleteWordBackward:"
                                    : "deleteBackward:");
    case DeleteFunctionKey:
        return std::string(option ? "deleteWordForward:" : "deleteForward:");
    case CarriageReturnCharacter:
    case NewlineCharacter:
    case EnterCharacter:
        if (option)
            return std::string("insertNewlineIgnoringFieldEditor:");
        if (flags & ControlKeyMask)
            return std::string("insertLineBreak:");
        return std::string("insertNewline:");
    case TabCharacter:
        if (option)
            return std::string("insertTabIgnoringFieldEditor:");
        return std::string(shift ? "insertBacktab:" : "insertTab:");
    case BackTabCharacter:
        return std::string("insertBacktab:");
    case EscapeCharacter:
        return std::string("cancelOperation:");
    default:
        break;
    }
    if (c >= 0xF700 && c <= 0xF8FF)
        return std::string("noop:");
    return std::nullopt;
}

void TextView::keyDown(const Event& event) {
    auto keep = weak_from_this().lock();
    if (auto command = commandForKeyEvent(event)) {
        doCommandBySelector(*command);
        return;
    }
    if ((event.modifierFlags() & kCommandOrControl) || !isTypedText(event.characters())) {
        View::keyDown(event);
        return;
    }
    insertText(event.characters());
}

void TextView::doCommandBySelector(std::string_view selector) {
    auto keep = weak_from_this().lock();
    if (delegate_ && delegate_->textViewDoCommandBySelector(*this, selector))
        return;
    tryToPerform(selector, this);
}

bool TextView::performKeyEquivalent(const Event& event) {
    if (event.type() != EventType::KeyDown || !window() || window()->firstResponder() != this)
        return View::performKeyEquivalent(event);
    const EventModifierFlags flags = event.modifierFlags();
    if (!(flags & kCommandOrControl) || (flags & AlternateKeyMask))
        return false;
    const std::string& keys = event.charactersIgnoringModifiers();
    if (keys.size() != 1)
        return false;
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(keys[0])));
    const bool shift = (flags & kShift) || std::isupper(static_cast<unsigned char>(keys[0]));
    std::string_view action;
    switch (key) {
    case 'a':
        action = "selectAll:";
        break;
    case 'c':
        action = "copy:";
        break;
    case 'x':
        action = "cut:";
        break;
    case 'v':
        action = "paste:";
        break;
    case 'z':
        action = shift ? "redo:" : "undo:";
        break;
    case 'y':
        action = "redo:";
        break;
    default:
        return false;
    }
    tryToPerform(action, this);
    return true;
}

bool TextView::tryToPerform(std::string_view action, Object* sender) {
    auto& view = *this;
    const std::size_t caret = selection_.length
                                  ? (action.find("Left") != std::string_view::npos ||
                                             action.find("Backward") != std::string_view::npos ||
                                             action.find("Up") != std::string_view::npos
                                         ? selection_.location
                                         : selection_.end())
                                  : selection_.location;
    // The moving end of a selection being extended.
    const std::size_t head =
        selection_.location == anchor_ ? selection_.end() : selection_.location;
    const auto move = [&](std::size_t to) { view.moveTo(to, false); };
    const auto extend = [&](std::size_t to) { view.moveTo(to, true); };

    if (action == "moveLeft:")
        move(selection_.length ? selection_.location : previousBoundary(caret));
    else if (action == "moveRight:")
        move(selection_.length ? selection_.end() : nextBoundary(caret));
    else if (action == "moveLeftAndModifySelection:" || action == "moveBackwardAndModifySelection:")
        extend(previousBoundary(head));
    else if (action == "moveRightAndModifySelection:" || action == "moveForwardAndModifySelection:")
        extend(nextBoundary(head));
    else if (action == "moveBackward:")
        move(selection_.length ? selection_.location : previousBoundary(caret));
    else if (action == "moveForward:")
        move(selection_.length ? selection_.end() : nextBoundary(caret));
    else if (action == "moveWordLeft:" || action == "moveWordBackward:")
        move(previousWordBoundary(caret));
    else if (action == "moveWordRight:" || action == "moveWordForward:")
        move(nextWordBoundary(caret));
    else if (action == "moveWordLeftAndModifySelection:")
        extend(previousWordBoundary(head));
    else if (action == "moveWordRightAndModifySelection:")
        extend(nextWordBoundary(head));
    else if (action == "moveUp:")
        move(verticalMove(caret, -1));
    else if (action == "moveDown:")
        move(verticalMove(caret, 1));
    else if (action == "moveUpAndModifySelection:")
        extend(verticalMove(head, -1));
    else if (action == "moveDownAndModifySelection:")
        extend(verticalMove(head, 1));
    else if (action == "moveToBeginningOfLine:" || action == "moveToBeginningOfParagraph:")
        move(lineStart(caret));
    else if (action == "moveToEndOfLine:" || action == "moveToEndOfParagraph:")
        move(lineEnd(caret));
    else if (action == "moveToBeginningOfLineAndModifySelection:")
        extend(lineStart(head));
    else if (action == "moveToEndOfLineAndModifySelection:")
        extend(lineEnd(head));
    else if (action == "moveToBeginningOfDocument:" || action == "pageUp:")
        move(0);
    else if (action == "moveToEndOfDocument:" || action == "pageDown:")
        move(plain_.size());
    else if (action == "moveToBeginningOfDocumentAndModifySelection:" ||
             action == "pageUpAndModifySelection:")
        extend(0);
    else if (action == "moveToEndOfDocumentAndModifySelection:" ||
             action == "pageDownAndModifySelection:")
        extend(plain_.size());
    else if (action == "deleteBackward:") {
        if (selection_.length)
            deleteRange(selection_);
        else if (caret > 0) {
            std::size_t from = previousBoundary(caret);
            const std::size_t last = characterStart(plain_, caret - 1);
            if (last > from && isCombiningMark(codePointAt(plain_, last)))
                from = last;
            deleteRange({from, caret - from}, EditKind::Deleting);
        }
    } else if (action == "deleteForward:") {
        if (selection_.length)
            deleteRange(selection_);
        else
            deleteRange({caret, nextBoundary(caret) - caret});
    } else if (action == "deleteWordBackward:") {
        if (selection_.length)
            deleteRange(selection_);
        else {
            const std::size_t from = previousWordBoundary(caret);
            deleteRange({from, caret - from});
        }
    } else if (action == "deleteWordForward:") {
        if (selection_.length)
            deleteRange(selection_);
        else
            deleteRange({caret, nextWordBoundary(caret) - caret});
    } else if (action == "deleteToBeginningOfLine:") {
        if (selection_.length)
            deleteRange(selection_);
        else {
            const std::size_t from = lineStart(caret);
            deleteRange({from, caret - from});
        }
    } else if (action == "deleteToEndOfLine:" || action == "deleteToEndOfParagraph:") {
        const std::size_t to = lineEnd(caret);
        if (selection_.length)
            deleteRange(selection_);
        else
            deleteRange({caret, (to == caret ? nextBoundary(caret) : to) - caret});
    } else if (action == "insertNewline:") {
        if (isFieldEditor())
            endEditingWithMovement(ReturnTextMovement);
        else
            insertText("\n");
    } else if (action == "insertLineBreak:") {
        if (isFieldEditor())
            endEditingWithMovement(ReturnTextMovement);
        else
            insertText("\n");
    } else if (action == "insertTab:") {
        if (isFieldEditor())
            endEditingWithMovement(TabTextMovement);
        else
            insertText("\t");
    } else if (action == "insertBacktab:") {
        if (isFieldEditor())
            endEditingWithMovement(BacktabTextMovement);
    } else if (action == "insertNewlineIgnoringFieldEditor:") {
        insertText("\n");
    } else if (action == "insertTabIgnoringFieldEditor:") {
        insertText("\t");
    } else if (action == "cancelOperation:" || action == "noop:") {
        // Nothing to complete or cancel in a plain text view.
    } else if (action == "selectAll:") {
        selectAll(sender);
    } else if (action == "copy:") {
        copy(sender);
    } else if (action == "cut:") {
        cut(sender);
    } else if (action == "paste:") {
        paste(sender);
    } else if (action == "undo:") {
        undo(sender);
    } else if (action == "redo:") {
        redo(sender);
    } else {
        return false;
    }
    return true;
}

bool TextView::respondsToAction(std::string_view action) const {
    static constexpr std::string_view known[] = {"moveLeft:",
                                                 "moveRight:",
                                                 "moveUp:",
                                                 "moveDown:",
                                                 "moveBackward:",
                                                 "moveForward:",
                                                 "moveWordLeft:",
                                                 "moveWordRight:",
                                                 "moveWordBackward:",
                                                 "moveWordForward:",
                                                 "moveLeftAndModifySelection:",
                                                 "moveRightAndModifySelection:",
                                                 "moveUpAndModifySelection:",
                                                 "moveDownAndModifySelection:",
                                                 "moveBackwardAndModifySelection:",
                                                 "moveForwardAndModifySelection:",
                                                 "moveWordLeftAndModifySelection:",
                                                 "moveWordRightAndModifySelection:",
                                                 "moveToBeginningOfLine:",
                                                 "moveToEndOfLine:",
                                                 "moveToBeginningOfParagraph:",
                                                 "moveToEndOfParagraph:",
                                                 "moveToBeginningOfLineAndModifySelection:",
                                                 "moveToEndOfLineAndModifySelection:",
                                                 "moveToBeginningOfDocument:",
                                                 "moveToEndOfDocument:",
                                                 "moveToBeginningOfDocumentAndModifySelection:",
                                                 "moveToEndOfDocumentAndModifySelection:",
                                                 "pageUp:",
                                                 "pageDown:",
                                                 "pageUpAndModifySelection:",
                                                 "pageDownAndModifySelection:",
                                                 "deleteBackward:",
                                                 "deleteForward:",
                                                 "deleteWordBackward:",
                                                 "deleteWordForward:",
                                                 "deleteToBeginningOfLine:",
                                                 "deleteToEndOfLine:",
                                                 "deleteToEndOfParagraph:",
                                                 "insertNewline:",
                                                 "insertLineBreak:",
                                                 "insertTab:",
                                                 "insertBacktab:",
                                                 "insertNewlineIgnoringFieldEditor:",
                                                 "insertTabIgnoringFieldEditor:",
                                                 "cancelOperation:",
                                                 "noop:",
                                                 "selectAll:",
                                                 "copy:",
                                                 "cut:",
                                                 "paste:",
                                                 "undo:",
                                                 "redo:"};
    return std::find(std::begin(known), std::end(known), action) != std::end(known);
}

std::optional<bool> TextView::validateMenuItem(MenuItem& item) {
    const std::string& action = item.action();
    if (action == "copy:")
        return selection_.length > 0;
    if (action == "cut:")
        return selection_.length > 0 && editable_;
    if (action == "paste:")
        return editable_ && Pasteboard::generalPasteboard().availableTypeFromArray(
                                {std::string(PasteboardTypeString)}) != std::nullopt;
    if (action == "undo:")
        return editable_ && canUndo();
    if (action == "redo:")
        return editable_ && canRedo();
    if (action == "selectAll:")
        return isSelectable() && !plain_.empty();
    return std::nullopt;
}

void TextView::selectAll(Object* /*sender*/) {
    if (!isSelectable())
        return;
    lastEdit_ = EditKind::Other;
    setSelectedRange({0, plain_.size()});
}

void TextView::copy(Object* /*sender*/) {
    if (selection_.length == 0)
        return;
    Pasteboard::generalPasteboard().writeString(
        std::string_view(plain_).substr(selection_.location, selection_.length));
}

void TextView::cut(Object* sender) {
    if (selection_.length == 0 || !editable_)
        return;
    const TextRange range = selection_;
    copy(sender);
    deleteRange(range);
}

void TextView::paste(Object* /*sender*/) {
    if (!editable_)
        return;
    auto text = Pasteboard::generalPasteboard().stringForType(PasteboardTypeString);
    if (!text)
        return;
    // A field holds one line: pasted line breaks become blanks.
    if (isFieldEditor() && !wrapsLines_)
        std::replace_if(
            text->begin(), text->end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    lastEdit_ = EditKind::Other;
    insertText(*text);
    lastEdit_ = EditKind::Other;
}

void TextView::undo(Object* /*sender*/) {
    if (undoStack_.empty() || !editable_)
        return;
    auto keep = weak_from_this().lock();
    redoStack_.push_back({plain_, selection_});
    const Snapshot snapshot = std::move(undoStack_.back());
    undoStack_.pop_back();
    plain_ = snapshot.text;
    rebuildStorage();
    lastEdit_ = EditKind::Other;
    setSelectedRange(snapshot.selection);
    didChangeText();
}

void TextView::redo(Object* /*sender*/) {
    if (redoStack_.empty() || !editable_)
        return;
    auto keep = weak_from_this().lock();
    undoStack_.push_back({plain_, selection_});
    const Snapshot snapshot = std::move(redoStack_.back());
    redoStack_.pop_back();
    plain_ = snapshot.text;
    rebuildStorage();
    lastEdit_ = EditKind::Other;
    setSelectedRange({snapshot.selection.end(), 0});
    didChangeText();
}

std::shared_ptr<Menu> TextView::menuForEvent(const Event& /*event*/) {
    auto menu = std::make_shared<Menu>("Text");
    menu->addItemWithTitle("Cut", "cut:", "");
    menu->addItemWithTitle("Copy", "copy:", "");
    menu->addItemWithTitle("Paste", "paste:", "");
    menu->addItem(MenuItem::separatorItem());
    menu->addItemWithTitle("Select All", "selectAll:", "");
    for (const auto& item : menu->itemArray())
        if (!item->isSeparatorItem())
            item->setTarget(this);
    return menu;
}

void TextView::rightMouseDown(const Event& event) {
    auto keep = weak_from_this().lock();
    if (auto menu = menuForEvent(event))
        Menu::popUpContextMenu(menu, event, this);
}

Point TextView::layoutOrigin() const {
    return {inset_.width - scrollX_, inset_.height};
}

std::size_t TextView::characterIndexForPoint(Point point) const {
    if (plain_.empty())
        return 0;
    layoutIfNeeded();
    const Point origin = layoutOrigin();
    const Rect used = layout_->text.usedRect();
    const double y = std::clamp(point.y - origin.y, used.minY() + 0.5, used.maxY() - 0.5);
    const std::size_t index = layout_->text.characterIndexForPoint({point.x - origin.x, y});
    // Round to the nearer edge of the cluster the point is in.
    const std::size_t before = previousBoundary(nextBoundary(index));
    return before == index ? index : nextBoundary(before) == index ? index : before;
}

Rect TextView::insertionPointRect() const {
    layoutIfNeeded();
    const Point origin = layoutOrigin();
    const double lineHeight = std::ceil(font_.defaultLineHeightForFont());
    Rect caret;
    if (plain_.empty()) {
        const double width = bounds().width() - 2 * inset_.width;
        double x = 0;
        if (alignment_ == TextAlignment::Center)
            x = std::floor(width / 2);
        else if (alignment_ == TextAlignment::Right)
            x = width - 1;
        caret = {x, 0, 1, lineHeight};
    } else {
        caret = layout_->text.caretRectForIndex(selection_.location == anchor_ && selection_.length
                                                    ? selection_.end()
                                                    : selection_.location);
        caret.size.width = 1;
        if (caret.height() <= 0)
            caret.size.height = lineHeight;
    }
    return caret.offsetBy(origin.x, origin.y);
}

Rect TextView::usedRect() const {
    layoutIfNeeded();
    Rect used = layout_->text.usedRect();
    const double lineHeight = font_.defaultLineHeightForFont();
    if (used.height() < lineHeight)
        used.size.height = lineHeight;
    return used;
}

void TextView::scrollToInsertionPoint() {
    if (wrapsLines_) {
        scrollX_ = 0;
        return;
    }
    layoutIfNeeded();
    const double visible = bounds().width() - 2 * inset_.width;
    if (visible <= 0)
        return;
    const double textWidth = plain_.empty() ? 0 : layout_->text.usedRect().maxX();
    const Rect caret = insertionPointRect().offsetBy(scrollX_ - inset_.width, 0);
    if (caret.minX() - scrollX_ > visible - 1)
        scrollX_ = caret.minX() - visible + 1;
    else if (caret.minX() < scrollX_)
        scrollX_ = caret.minX();
    scrollX_ = std::clamp(scrollX_, 0.0, std::max(0.0, textWidth + 1 - visible));
    setNeedsDisplay(true);
}

void TextView::mouseDown(const Event& event) {
    if (!isSelectable())
        return;
    auto keep = weak_from_this().lock();
    if (window() && window()->firstResponder() != this && acceptsFirstResponder())
        window()->makeFirstResponder(this);
    lastEdit_ = EditKind::Other;
    const Point p = convertPointFromView(event.locationInWindow(), nullptr);
    const std::size_t index = characterIndexForPoint(p);
    if (event.clickCount() >= 3) {
        setSelectedRange({lineStart(index), lineEnd(index) - lineStart(index)});
        return;
    }
    if (event.clickCount() == 2) {
        std::size_t start = index;
        std::size_t end = index;
        if (index < plain_.size() && isWordCharacter(codePointAt(plain_, index))) {
            start = previousWordBoundary(nextBoundary(index));
            end = nextWordBoundary(index);
        } else if (index < plain_.size()) {
            end = nextBoundary(index);
        }
        setSelectedRange({start, end - start});
        return;
    }
    moveTo(index, (event.modifierFlags() & kShift) != 0);
}

void TextView::mouseDragged(const Event& event) {
    if (!isSelectable())
        return;
    const Point p = convertPointFromView(event.locationInWindow(), nullptr);
    moveTo(characterIndexForPoint(p), true);
}

void TextView::mouseUp(const Event& /*event*/) {}

bool TextView::becomeFirstResponder() {
    setNeedsDisplay(true);
    return true;
}

bool TextView::resignFirstResponder() {
    auto keep = weak_from_this().lock();
    if (isEditingSession()) {
        if (!delegate_->textShouldEndEditing(*this))
            return false;
        Value info;
        info.setObject(TextMovementKey, Value(OtherTextMovement));
        postNotification(TextDidEndEditingNotification, &TextViewDelegate::textDidEndEditing,
                         std::move(info));
    }
    lastEdit_ = EditKind::Other;
    setNeedsDisplay(true);
    return true;
}

bool TextView::endEditingWithMovement(int movement) {
    auto keep = weak_from_this().lock();
    if (!isEditingSession())
        return false;
    if (!delegate_->textShouldEndEditing(*this))
        return false;
    Value info;
    info.setObject(TextMovementKey, Value(movement));
    postNotification(TextDidEndEditingNotification, &TextViewDelegate::textDidEndEditing,
                     std::move(info));
    return true;
}

void TextView::resetCursorRects() {
    if (isSelectable())
        addCursorRect(bounds(), Cursor::IBeamCursor());
}

void TextView::drawRect(const Rect& /*dirtyRect*/) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    if (drawsBackground_) {
        context->setFillColor(backgroundColor_);
        context->fillRect(bounds());
    }
    layoutIfNeeded();
    const Point origin = layoutOrigin();
    GraphicsStateSaver saver;
    context->clipToRect(bounds().insetBy(inset_.width, 0));
    const bool focused = window() && window()->firstResponder() == this;
    if (selection_.length > 0 && isSelectable()) {
        context->setFillColor(focused ? selectionColor_ : Color::secondarySelectedControlColor());
        for (std::size_t i = selection_.location; i < selection_.end();
             i = characterEnd(plain_, i)) {
            Rect box = layout_->text.rectForCharacterAtIndex(i);
            if (plain_[i] == '\n')
                box.size.width = 4;
            context->fillRect(box.offsetBy(origin.x, origin.y));
        }
    }
    layout_->text.drawAtTopLeft(origin);
    if (focused && selection_.length == 0 && editable_) {
        context->setFillColor(insertionPointColor_);
        context->fillRect(insertionPointRect());
    }
}

std::string TextView::description() const {
    return View::description() + " \"" + plain_ + "\"";
}

} // namespace platform
