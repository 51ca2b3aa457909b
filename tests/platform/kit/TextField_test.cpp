#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/TextField.h"
#include "platform/kit/TextView.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::ActionTarget;
using platform::Control;
using platform::Notification;
using platform::Object;
using platform::Pasteboard;
using platform::TextField;
using platform::TextRange;
using platform::TextView;

class Recorder : public platform::ControlTextEditingDelegate, public ActionTarget {
public:
    std::vector<std::string> calls;
    std::vector<std::string> consume; // commands the delegate performs itself
    bool allowEnd = true;

    void controlTextDidBeginEditing(const Notification&) override { calls.push_back("begin"); }
    void controlTextDidChange(const Notification& n) override {
        calls.push_back("change:" + static_cast<Control*>(n.object)->stringValue());
    }
    void controlTextDidEndEditing(const Notification& n) override {
        calls.push_back("end:" + std::to_string(n.userInfo[platform::TextMovementKey].intValue()));
    }
    bool controlTextShouldEndEditing(Control&, TextView&) override { return allowEnd; }
    bool controlTextViewDoCommandBySelector(Control&, TextView&, std::string_view s) override {
        calls.push_back("command:" + std::string(s));
        return std::find(consume.begin(), consume.end(), s) != consume.end();
    }
    bool tryToPerform(std::string_view action, Object* sender) override {
        if (action != "fieldAction:")
            return false;
        calls.push_back("action:" + static_cast<Control*>(sender)->stringValue());
        return true;
    }
    bool respondsToAction(std::string_view action) const override {
        return action == "fieldAction:";
    }
};

class TextFieldTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        Pasteboard::resetAll();
        window = makeWindow({100, 100, 300, 200});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 200}));
        field = std::make_shared<TextField>(Rect{20, 150, 200, 24});
        field->setDelegate(&recorder);
        field->setTarget(&recorder);
        field->setAction("fieldAction:");
        other = std::make_shared<TextField>(Rect{20, 100, 200, 24});
        window->contentView()->addSubview(field);
        window->contentView()->addSubview(other);
        field->setNextKeyView(other.get());
        other->setNextKeyView(field.get());
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        field->setDelegate(nullptr);
        window.reset();
        Pasteboard::resetAll();
        KitTest::TearDown();
    }
    TextView* editor() const { return field->currentEditor(); }
    void type(std::string_view text) {
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t end = platform::characterEnd(text, i);
            key(text.substr(i, end - i));
            i = end;
        }
    }
    static void press(char32_t function, EventModifierFlags flags = 0) {
        key(platform::utf8FromCodePoint(function), flags);
    }

    Recorder recorder;
    std::shared_ptr<Window> window;
    std::shared_ptr<TextField> field;
    std::shared_ptr<TextField> other;
};

TEST_F(TextFieldTest, ClickStartsEditingWithTheFieldEditorOverTheField) {
    mouse(EventType::LeftMouseDown, *window, {100, 160});
    mouse(EventType::LeftMouseUp, *window, {100, 160});
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(window->firstResponder(), editor());
    EXPECT_EQ(editor()->superview(), field.get());
    EXPECT_TRUE(editor()->isFieldEditor());
    EXPECT_EQ(editor(), window->fieldEditor(false, field.get()));
}

TEST_F(TextFieldTest, TypedKeysReachTheFieldIncludingNonAscii) {
    window->makeFirstResponder(field.get());
    type("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(field->stringValue(), "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80");
    ASSERT_GE(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0], "begin");
    EXPECT_EQ(recorder.calls[1], "change:G");
    // Deleting backwards takes whole characters, never a part of one.
    key("\x7f");
    EXPECT_EQ(field->stringValue(), "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC ");
    press(platform::LeftArrowFunctionKey);
    press(platform::LeftArrowFunctionKey);
    key("\x7f");
    EXPECT_EQ(field->stringValue(), "Gr\xC3\xBC\xC3\x9F\x65\xE2\x82\xAC ");
}

TEST_F(TextFieldTest, CombiningMarksStayWithTheirLetter) {
    window->makeFirstResponder(field.get());
    // "e" with a combining acute accent, then "x".
    field->setStringValue("e\xCC\x81x");
    editor()->setSelectedRange({3, 0});
    press(platform::LeftArrowFunctionKey);
    EXPECT_EQ(editor()->selectedRange(), (TextRange{0, 0}));
    press(platform::RightArrowFunctionKey, platform::ShiftKeyMask);
    EXPECT_EQ(editor()->selectedRange(), (TextRange{0, 3}));
    // A selection asked for inside the cluster grows to the whole of it.
    editor()->setSelectedRange({1, 1});
    EXPECT_EQ(editor()->selectedRange(), (TextRange{0, 3}));
    // Backspace after a letter with an accent takes the accent first.
    editor()->setSelectedRange({3, 0});
    key("\x7f");
    EXPECT_EQ(field->stringValue(), "ex");
}

TEST_F(TextFieldTest, SelectionWithShiftArrowsAndReplacingIt) {
    window->makeFirstResponder(field.get());
    type("hello world");
    press(platform::LeftArrowFunctionKey, platform::ShiftKeyMask);
    press(platform::LeftArrowFunctionKey, platform::ShiftKeyMask);
    EXPECT_EQ(editor()->selectedRange(), (TextRange{9, 2}));
    press(platform::LeftArrowFunctionKey, platform::ShiftKeyMask | platform::AlternateKeyMask);
    EXPECT_EQ(editor()->selectedRange(), (TextRange{6, 5}));
    type("there");
    EXPECT_EQ(field->stringValue(), "hello there");
    press(platform::HomeFunctionKey);
    press(platform::DeleteFunctionKey);
    EXPECT_EQ(field->stringValue(), "ello there");
}

TEST_F(TextFieldTest, MouseSelectsAndPlacesTheCaret) {
    field->setStringValue("alpha beta gamma");
    window->makeFirstResponder(field.get());
    TextView* fe = editor();
    const Rect caretAtEnd = fe->insertionPointRect();
    // A click at the left end of the text puts the caret at the start.
    const Point fieldLeft = field->convertPointToView(fe->frame().origin, nullptr);
    mouse(EventType::LeftMouseDown, *window, {fieldLeft.x + 1, 162});
    mouse(EventType::LeftMouseUp, *window, {fieldLeft.x + 1, 162});
    EXPECT_EQ(fe->selectedRange(), (TextRange{0, 0}));
    EXPECT_LT(fe->insertionPointRect().minX(), caretAtEnd.minX());
    // A double click selects the word under the pointer.
    const Point wordBeta = field->convertPointToView(
        fe->convertPointToView(
            {fe->textStorage().attributedSubstringFromRange({0, 7}).size().width, 5}, field.get()),
        nullptr);
    mouse(EventType::LeftMouseDown, *window, wordBeta, 2);
    mouse(EventType::LeftMouseUp, *window, wordBeta, 2);
    EXPECT_EQ(fe->selectedRange(), (TextRange{6, 4}));
}

TEST_F(TextFieldTest, ReturnSendsTheActionAndKeepsEditing) {
    window->makeFirstResponder(field.get());
    type("abc");
    key("\r");
    ASSERT_GE(recorder.calls.size(), 3u);
    const std::vector<std::string> tail(recorder.calls.end() - 3, recorder.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"command:insertNewline:", "end:16", "action:abc"}));
    EXPECT_EQ(field->cell()->stringValue(), "abc");
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->selectedRange(), (TextRange{0, 3}));
}

TEST_F(TextFieldTest, TabMovesToTheNextKeyViewWithoutAction) {
    window->makeFirstResponder(field.get());
    type("x");
    key("\t");
    EXPECT_EQ(field->currentEditor(), nullptr);
    ASSERT_NE(other->currentEditor(), nullptr);
    EXPECT_EQ(window->firstResponder(), other->currentEditor());
    EXPECT_EQ(recorder.calls.back(), "end:17");
    EXPECT_EQ(field->stringValue(), "x");
    // Ending by a click elsewhere sends the action only when asked to.
    field->setSendsActionOnEndEditing(true);
    window->makeFirstResponder(field.get());
    window->makeFirstResponder(nullptr);
    EXPECT_EQ(recorder.calls.back(), "action:x");
}

TEST_F(TextFieldTest, DelegateTakesCommandsAndCanRefuseTheEnd) {
    recorder.consume = {"insertNewline:", "cancelOperation:", "moveUp:"};
    window->makeFirstResponder(field.get());
    type("a");
    key("\r");
    key("\x1b");
    press(platform::UpArrowFunctionKey);
    EXPECT_NE(editor(), nullptr);
    EXPECT_EQ(std::count(recorder.calls.begin(), recorder.calls.end(), std::string("action:a")), 0);
    EXPECT_EQ(recorder.calls.back(), "command:moveUp:");

    recorder.allowEnd = false;
    EXPECT_FALSE(window->makeFirstResponder(other.get()));
    EXPECT_EQ(window->firstResponder(), editor());
    recorder.allowEnd = true;
    EXPECT_TRUE(window->makeFirstResponder(other.get()));
}

TEST_F(TextFieldTest, ChangeNotificationReachesObserversOfAnyObject) {
    std::vector<const Object*> senders;
    platform::NotificationCenter::defaultCenter().addObserver(
        this, "NSControlTextDidChangeNotification", nullptr,
        [&](const Notification& n) { senders.push_back(n.object); });
    window->makeFirstResponder(other.get());
    type("q");
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], other.get());
}

TEST_F(TextFieldTest, CopyCutPasteAndUndoThroughThePasteboard) {
    window->makeFirstResponder(field.get());
    type("one two");
    press(platform::LeftArrowFunctionKey, platform::ShiftKeyMask | platform::AlternateKeyMask);
    key("c", platform::ControlKeyMask);
    EXPECT_EQ(Pasteboard::generalPasteboard().stringForType(platform::PasteboardTypeString),
              std::optional<std::string>("two"));
    key("x", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "one ");
    press(platform::HomeFunctionKey);
    key("v", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "twoone ");
    // Pasted line breaks become blanks in a one-line field.
    Pasteboard::generalPasteboard().writeString("a\nb");
    key("v", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "twoa bone ");
    key("z", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "twoone ");
    key("z", platform::CommandKeyMask);
    key("z", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "one two");
    key("z", platform::CommandKeyMask | platform::ShiftKeyMask);
    EXPECT_EQ(field->stringValue(), "one ");
}

TEST_F(TextFieldTest, TypingUndoesAsOneStep) {
    window->makeFirstResponder(field.get());
    type("abc");
    key("\x7f");
    key("\x7f");
    type("xy");
    key("z", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "a");
    key("z", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "abc");
    key("z", platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "");
}

TEST_F(TextFieldTest, ReadOnlyFieldSelectsButDoesNotChange) {
    field->setEditable(false);
    field->setStringValue("fixed");
    window->makeFirstResponder(field.get());
    ASSERT_NE(editor(), nullptr);
    type("zz");
    key("\x7f");
    EXPECT_EQ(field->stringValue(), "fixed");
    EXPECT_EQ(std::count_if(recorder.calls.begin(), recorder.calls.end(),
                            [](const std::string& c) { return c.rfind("command:", 0) != 0; }),
              0);
}

TEST_F(TextFieldTest, EditorContextMenuHasTheStandardItems) {
    window->makeFirstResponder(field.get());
    auto menu = editor()->menuForEvent(Event());
    std::vector<std::string> titles;
    for (const auto& item : menu->itemArray())
        titles.push_back(item->isSeparatorItem() ? "-" : item->title());
    EXPECT_EQ(titles, (std::vector<std::string>{"Cut", "Copy", "Paste", "-", "Select All"}));
}

TEST_F(TextFieldTest, PlaceholderShowsWhileEmptyAndNotEditing) {
    field->setPlaceholderString("Search");
    window->display();
    bool grey = false;
    auto image = window->snapshot();
    for (int x = 25; x < 90 && !grey; ++x)
        for (int y = 152; y < 172 && !grey; ++y) {
            const double r = image->colorAt(x, y).redComponent();
            grey = r > 0.3 && r < 0.8;
        }
    EXPECT_TRUE(grey);
}

TEST_F(TextFieldTest, FocusRingShowsWhileTyping) {
    const auto ringAt = [&] {
        window->display();
        const platform::Color c = window->snapshot()->colorAt(21, 162);
        return c.blueComponent() > 0.8 && c.redComponent() < 0.6;
    };
    EXPECT_FALSE(ringAt());
    window->makeFirstResponder(field.get());
    EXPECT_TRUE(ringAt());
    window->makeFirstResponder(other.get());
    EXPECT_FALSE(ringAt());
}

TEST_F(TextFieldTest, LongTextScrollsToKeepTheCaretInSight) {
    window->makeFirstResponder(field.get());
    type(std::string(80, 'm'));
    TextView* fe = editor();
    EXPECT_GT(fe->horizontalScrollOffset(), 0);
    EXPECT_LE(fe->insertionPointRect().maxX(), fe->bounds().maxX());
    EXPECT_GE(fe->insertionPointRect().minX(), fe->bounds().minX());
    press(platform::HomeFunctionKey);
    EXPECT_EQ(fe->horizontalScrollOffset(), 0);
}

} // namespace
