#include "platform/foundation/RunLoop.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "widgets/QXGenericFieldEditor.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::Event;
using platform::EventType;
using platform::Rect;
using platform::WindowServer;

// A field that answers the editor's questions as a test tells it to.
class KeyField : public platform::TextField, public QXGenericFieldEditorDelegate {
public:
    using TextField::TextField;
    std::optional<bool> repeat;
    std::optional<bool> pressed;
    std::optional<bool> released;
    std::vector<std::string> commands;

    std::optional<bool> allowAutoRepeat() override { return repeat; }
    std::optional<bool> keyPressed(const Event&) override { return pressed; }
    std::optional<bool> keyReleased(const Event&) override { return released; }
    bool textViewDoCommandBySelector(platform::TextView& view, std::string_view s) override {
        commands.emplace_back(s);
        return TextField::textViewDoCommandBySelector(view, s);
    }
};

// Writes down the keys that travel past the field.
class Backdrop : public platform::View {
public:
    using View::View;
    std::vector<std::string> seen;
    void keyUp(const Event& e) override { seen.push_back("up:" + e.characters()); }
    void keyDown(const Event& e) override { seen.push_back("down:" + e.characters()); }
};

class RecordingWindow : public platform::Window {
public:
    using Window::Window;
    std::vector<std::string> keys;
    void keyDown(const Event& e) override { keys.push_back(e.characters()); }
};

class QXGenericFieldEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(10));
        platform::setScreenBackend(nullptr);
        WindowServer::shared().reset();
        platform::Pasteboard::resetAll();
        platform::Window::setFieldEditorFactory(
            [] { return std::make_shared<QXGenericFieldEditor>(); });
        window =
            platform::make<RecordingWindow>(Rect{100, 100, 300, 200}, platform::TitledWindowMask);
        backdrop = std::make_shared<Backdrop>(Rect{0, 0, 300, 200});
        window->setContentView(backdrop);
        field = std::make_shared<KeyField>(Rect{20, 100, 200, 24});
        backdrop->addSubview(field);
        window->makeKeyAndOrderFront(nullptr);
        window->makeFirstResponder(field.get());
    }
    void TearDown() override {
        window.reset();
        platform::Window::setFieldEditorFactory({});
        WindowServer::shared().reset();
        platform::Pasteboard::resetAll();
        platform::RunLoop::resetMain();
    }
    QXGenericFieldEditor& editor() {
        return dynamic_cast<QXGenericFieldEditor&>(*field->currentEditor());
    }
    static void send(const Event& e) {
        WindowServer::shared().postEvent(e);
        WindowServer::shared().dispatchPendingEvents();
    }
    void key(std::string_view chars, bool repeat = false, platform::EventModifierFlags flags = 0,
             EventType type = EventType::KeyDown) {
        send(Event::keyEvent(type, chars, flags, window.get(), std::nullopt, {}, repeat));
    }

    std::shared_ptr<RecordingWindow> window;
    std::shared_ptr<Backdrop> backdrop;
    std::shared_ptr<KeyField> field;
};

TEST_F(QXGenericFieldEditorTest, WindowsLendTheGenericEditor) {
    ASSERT_NE(field->currentEditor(), nullptr);
    EXPECT_TRUE(editor().isFieldEditor());
    EXPECT_TRUE(editor().allowCopyPaste());
}

TEST_F(QXGenericFieldEditorTest, HeldLettersRepeatOnlyWhenTheFieldAllows) {
    const struct {
        std::optional<bool> repeat;
        std::string typed;
    } cases[] = {{std::nullopt, "aa"}, {true, "aa"}, {false, "a"}};
    for (const auto& c : cases) {
        field->setStringValue("");
        field->repeat = c.repeat;
        key("a");
        key("a", true);
        EXPECT_EQ(field->stringValue(), c.typed)
            << (c.repeat ? (*c.repeat ? "YES" : "NO") : "not implemented");
    }
}

TEST_F(QXGenericFieldEditorTest, NavigationKeysAndDeleteRepeatWhateverTheField) {
    field->repeat = false;
    field->setStringValue("abc");
    key("\x7f");
    key("\x7f", true);
    EXPECT_EQ(field->stringValue(), "a");
    key(platform::utf8FromCodePoint(platform::DownArrowFunctionKey));
    key(platform::utf8FromCodePoint(platform::DownArrowFunctionKey), true);
    EXPECT_EQ(std::count(field->commands.begin(), field->commands.end(), "moveDown:"), 2);
    // Page Down is a navigation key; Home is not.
    EXPECT_TRUE(QXGenericFieldEditor::isNavigationKey(platform::KeyCode::PageDown));
    EXPECT_FALSE(QXGenericFieldEditor::isNavigationKey(platform::KeyCode::Home));
}

TEST_F(QXGenericFieldEditorTest, FieldMayConsumeKeyPressesAndReleases) {
    field->pressed = true;
    key("x");
    EXPECT_EQ(field->stringValue(), "");
    field->pressed = false;
    key("x");
    EXPECT_EQ(field->stringValue(), "x");

    // A release the field takes goes no further; otherwise it travels the responder chain.
    field->released = true;
    key("x", false, 0, EventType::KeyUp);
    EXPECT_TRUE(backdrop->seen.empty());
    field->released = std::nullopt;
    key("x", false, 0, EventType::KeyUp);
    EXPECT_EQ(backdrop->seen, std::vector<std::string>{"up:x"});
}

TEST_F(QXGenericFieldEditorTest, CommandAndControlKeysGoToTheWindow) {
    editor().keyDown(
        Event::keyEvent(EventType::KeyDown, "k", platform::ControlKeyMask, window.get()));
    editor().keyDown(
        Event::keyEvent(EventType::KeyDown, "j", platform::CommandKeyMask, window.get()));
    EXPECT_EQ(window->keys, (std::vector<std::string>{"k", "j"}));
    EXPECT_EQ(field->stringValue(), "");
}

TEST_F(QXGenericFieldEditorTest, RefusedCopyCutAndPasteDoNothing) {
    field->setStringValue("secret");
    editor().selectAll(nullptr);
    platform::Pasteboard::generalPasteboard().writeString("clip");
    editor().setAllowCopyPaste(false);
    key("c", false, platform::CommandKeyMask);
    key("x", false, platform::CommandKeyMask);
    EXPECT_EQ(
        platform::Pasteboard::generalPasteboard().stringForType(platform::PasteboardTypeString),
        std::optional<std::string>("clip"));
    EXPECT_EQ(field->stringValue(), "secret");
    key("v", false, platform::CommandKeyMask);
    EXPECT_EQ(field->stringValue(), "secret");

    std::vector<std::string> titles;
    const auto menu = editor().menuForEvent(Event());
    for (const auto& item : menu->itemArray())
        titles.push_back(item->isSeparatorItem() ? "-" : item->title());
    EXPECT_EQ(titles, (std::vector<std::string>{"-", "Select All"}));

    editor().setAllowCopyPaste(true);
    key("c", false, platform::CommandKeyMask);
    EXPECT_EQ(
        platform::Pasteboard::generalPasteboard().stringForType(platform::PasteboardTypeString),
        std::optional<std::string>("secret"));
    EXPECT_EQ(editor().menuForEvent(Event())->numberOfItems(), 5);
}

} // namespace
