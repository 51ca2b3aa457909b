#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/kit/View.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Menu;
class MenuItem;
class TextView;

// How editing ended, as the original numbered it; the end-editing notification carries it in
// its user info under TextMovementKey.
inline constexpr int OtherTextMovement = 0;
inline constexpr int ReturnTextMovement = 0x10;
inline constexpr int TabTextMovement = 0x11;
inline constexpr int BacktabTextMovement = 0x12;
inline constexpr int LeftTextMovement = 0x13;
inline constexpr int RightTextMovement = 0x14;
inline constexpr int UpTextMovement = 0x15;
inline constexpr int DownTextMovement = 0x16;
inline constexpr int CancelTextMovement = 0x17;
inline constexpr std::string_view TextMovementKey = "NSTextMovement";

// Posted with the text view as object.
inline constexpr std::string_view TextDidBeginEditingNotification =
    "NSTextDidBeginEditingNotification";
inline constexpr std::string_view TextDidChangeNotification = "NSTextDidChangeNotification";
inline constexpr std::string_view TextDidEndEditingNotification = "NSTextDidEndEditingNotification";
inline constexpr std::string_view TextViewDidChangeSelectionNotification =
    "NSTextViewDidChangeSelectionNotification";

// What a text view tells its delegate; for a field editor the delegate is the control being
// edited. Every function is optional; the defaults answer as for a delegate that does not
// implement the message.
class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;

    // Asked before the first change of an editing session; false refuses the change.
    virtual bool textShouldBeginEditing(TextView& /*textView*/) { return true; }
    // Asked before editing ends; false keeps the editor where it is.
    virtual bool textShouldEndEditing(TextView& /*textView*/) { return true; }
    virtual void textDidBeginEditing(const Notification& /*notification*/) {}
    virtual void textDidChange(const Notification& /*notification*/) {}
    virtual void textDidEndEditing(const Notification& /*notification*/) {}
    virtual void textViewDidChangeSelection(const Notification& /*notification*/) {}
    // A command the keys asked for ("insertNewline:", "moveUp:", "cancelOperation:" ...);
    // true when the delegate performed it, so the text view does not.
    virtual bool textViewDoCommandBySelector(TextView& /*textView*/,
                                             std::string_view /*selector*/) {
        return false;
    }
    // Whether typed or pasted text may replace `range`; false drops the change.
    virtual bool textViewShouldChangeTextInRange(TextView& /*textView*/, TextRange /*range*/,
                                                 std::string_view /*replacement*/) {
        return true;
    }
};

// Editable text in a view: the platform's text view, and the field editor that windows lend
// their text fields. Text is UTF-8; ranges are byte ranges that every operation keeps on
// whole characters (a selection or deletion never splits a character, nor a base character
// from the combining marks that follow it). Layout is flipped (y downwards from the top of
// the view), lines wrap at the view's width unless wrapping is off, which a single-line
// field editor uses, scrolling sideways to keep the insertion point in sight.
class TextView : public View {
public:
    explicit TextView(const Rect& frame = {});
    ~TextView() override;

    // Text. setString replaces everything without asking the delegate, puts the insertion
    // point at the end and forgets the undo history.
    const std::string& string() const;
    virtual void setString(std::string text);
    const AttributedString& textStorage() const { return text_; }
    // Rich text kept by the view's owner: while its characters are the view's, each run is
    // drawn with its attributes over the view's font and colour. A change of the text drops
    // back to the plain look until the owner sets the runs again.
    void setStyledRuns(AttributedString runs);

    const Font& font() const { return font_; }
    void setFont(const Font& font);
    const Color& textColor() const { return textColor_; }
    void setTextColor(const Color& color);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment);
    const Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const Color& color);
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool flag);
    const Color& insertionPointColor() const { return insertionPointColor_; }
    void setInsertionPointColor(const Color& color) { insertionPointColor_ = color; }
    const Color& selectedTextBackgroundColor() const { return selectionColor_; }
    void setSelectedTextBackgroundColor(const Color& color) { selectionColor_ = color; }
    bool wrapsLines() const { return wrapsLines_; }
    void setWrapsLines(bool flag);
    // Space between the view's edges and the text.
    Size textContainerInset() const { return inset_; }
    void setTextContainerInset(Size inset);

    bool isEditable() const { return editable_; }
    void setEditable(bool flag);
    bool isSelectable() const { return selectable_ || editable_; }
    void setSelectable(bool flag);
    bool isFieldEditor() const { return fieldEditor_; }
    void setFieldEditor(bool flag) { fieldEditor_ = flag; }
    bool allowsUndo() const { return allowsUndo_; }
    void setAllowsUndo(bool flag) { allowsUndo_ = flag; }

    TextViewDelegate* delegate() const { return delegate_; }
    // Not owned; the control being edited sets and clears it.
    void setDelegate(TextViewDelegate* delegate);

    // Selection, snapped outwards to whole characters and clamped to the text.
    TextRange selectedRange() const { return selection_; }
    virtual void setSelectedRange(TextRange range);

    // Editing as the user does it: asks the delegate (textShouldBeginEditing once, then
    // textViewShouldChangeTextInRange), changes the text, records undo, and tells the
    // delegate. insertText replaces the selection; false when the change was refused.
    virtual bool insertText(std::string_view text);
    bool shouldChangeTextInRange(TextRange range, std::string_view replacement);
    void didChangeText();
    // Editing from code: no delegate messages, no undo.
    void replaceCharactersInRange(TextRange range, std::string_view text);

    // Key handling: keyDown turns the key into text (insertText) or a command
    // (doCommandBySelector) as the platform's key bindings do.
    void keyDown(const Event& event) override;
    // The command a key stands for ("deleteBackward:", "moveLeftAndModifySelection:" ...), or
    // nullopt for a key that types its characters.
    static std::optional<std::string> commandForKeyEvent(const Event& event);
    // The delegate first (textViewDoCommandBySelector), then the text view's own command.
    virtual void doCommandBySelector(std::string_view selector);
    // Standard editing shortcuts (Command or Control with A, C, X, V, Z, Y) while this view is
    // its window's first responder.
    bool performKeyEquivalent(const Event& event) override;

    // The commands, by the original's names: moves (moveLeft: moveRight: moveUp: moveDown:
    // moveWordLeft: moveWordRight: moveToBeginningOfLine: moveToEndOfLine:
    // moveToBeginningOfDocument: moveToEndOfDocument:, each also ...AndModifySelection:),
    // deletions (deleteBackward: deleteForward: deleteWordBackward: deleteWordForward:
    // deleteToBeginningOfLine: deleteToEndOfLine:), insertNewline: insertLineBreak:
    // insertNewlineIgnoringFieldEditor: insertTab: insertBacktab: insertTabIgnoringFieldEditor:
    // cancelOperation: selectAll: copy: cut: paste: undo: redo:.
    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;
    std::optional<bool> validateMenuItem(MenuItem& item) override;

    void selectAll(Object* sender);
    virtual void copy(Object* sender);
    virtual void cut(Object* sender);
    virtual void paste(Object* sender);
    bool canUndo() const { return !undoStack_.empty(); }
    bool canRedo() const { return !redoStack_.empty(); }
    void undo(Object* sender);
    void redo(Object* sender);
    // The next change starts an undo step of its own (typing otherwise joins the last one).
    void breakUndoCoalescing() { lastEdit_ = EditKind::Other; }

    // The context menu: "Cut", "Copy", "Paste", a separator and "Select All", with the
    // standard actions.
    virtual std::shared_ptr<Menu> menuForEvent(const Event& event);
    void rightMouseDown(const Event& event) override;

    // Mouse selection: a click places the insertion point (Shift extends), a double click
    // selects a word, a triple click everything; dragging extends.
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

    bool acceptsFirstResponder() const override { return isSelectable(); }
    bool becomeFirstResponder() override;
    // A field editor that is editing asks its delegate (textShouldEndEditing) and, when it
    // may, ends the editing session with OtherTextMovement.
    bool resignFirstResponder() override;
    // A field editor ends its session for a key (Return, Tab, Backtab): asks the delegate,
    // then tells it textDidEndEditing with the movement; false when the delegate refused.
    bool endEditingWithMovement(int movement);

    bool isFlipped() const override { return true; }
    void resetCursorRects() override;
    void drawRect(const Rect& dirtyRect) override;
    void setFrameSize(Size size) override;

    // Geometry in the view's coordinates.
    std::size_t characterIndexForPoint(Point point) const;
    Rect insertionPointRect() const;
    // The rectangle the laid-out text uses (at least one line high), in layout coordinates.
    Rect usedRect() const;
    double horizontalScrollOffset() const { return scrollX_; }

    std::string description() const override;

private:
    // Runs of typing, and runs of single deletions, each undo as one step.
    enum class EditKind { Other, Typing, Deleting };
    struct Snapshot {
        std::string text;
        TextRange selection;
    };
    void rebuildStorage();
    void layoutIfNeeded() const;
    void invalidateLayout();
    void scrollToInsertionPoint();
    Point layoutOrigin() const;
    std::size_t previousBoundary(std::size_t index) const;
    std::size_t nextBoundary(std::size_t index) const;
    std::size_t previousWordBoundary(std::size_t index) const;
    std::size_t nextWordBoundary(std::size_t index) const;
    std::size_t lineStart(std::size_t index) const;
    std::size_t lineEnd(std::size_t index) const;
    std::size_t verticalMove(std::size_t index, int direction) const;
    void moveTo(std::size_t index, bool extend);
    void deleteRange(TextRange range, EditKind kind = EditKind::Other);
    void recordUndo(EditKind kind);
    void postNotification(std::string_view name,
                          void (TextViewDelegate::*message)(const Notification&),
                          Value userInfo = {});
    bool isEditingSession() const;

    std::string plain_;
    AttributedString text_;
    Font font_ = Font::systemFontOfSize(0);
    Color textColor_ = Color::textColor();
    TextAlignment alignment_ = TextAlignment::Natural;
    Color backgroundColor_ = Color::textBackgroundColor();
    bool drawsBackground_ = true;
    Color insertionPointColor_ = Color::blackColor();
    Color selectionColor_ = Color::selectedTextBackgroundColor();
    bool wrapsLines_ = true;
    Size inset_;
    std::optional<AttributedString> styledRuns_;
    bool editable_ = true;
    bool selectable_ = true;
    bool fieldEditor_ = false;
    bool allowsUndo_ = true;
    TextViewDelegate* delegate_ = nullptr;
    TextRange selection_;
    // The fixed end of a selection that keys or drags extend.
    std::size_t anchor_ = 0;
    bool beganEditing_ = false;
    std::vector<Snapshot> undoStack_;
    std::vector<Snapshot> redoStack_;
    EditKind lastEdit_ = EditKind::Other;
    double scrollX_ = 0;
    struct Layout;
    mutable std::unique_ptr<Layout> layout_;
};

} // namespace platform
