#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/Control.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::ActionTarget;
using platform::Button;
using platform::Object;
using platform::TextField;

// Answers the actions it is told to and writes down who sent them.
class Target : public ActionTarget {
public:
    explicit Target(std::vector<std::string> actions) : actions_(std::move(actions)) {}
    bool tryToPerform(std::string_view action, Object* sender) override {
        if (!respondsToAction(action))
            return false;
        performed.emplace_back(action);
        senders.push_back(sender);
        return true;
    }
    bool respondsToAction(std::string_view action) const override {
        return std::find(actions_.begin(), actions_.end(), action) != actions_.end();
    }
    std::vector<std::string> performed;
    std::vector<Object*> senders;

private:
    std::vector<std::string> actions_;
};

// A window delegate that takes part in the responder chain.
class ChainDelegate : public platform::WindowDelegate, public Target {
public:
    using Target::Target;
};

class ControlsTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 200});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 200}));
        button = std::make_shared<Button>(Rect{20, 20, 100, 30});
        button->setTitle("Press");
        button->setAction("pressed:");
        window->contentView()->addSubview(button);
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        window->setDelegate(nullptr);
        window.reset();
        KitTest::TearDown();
    }
    void click(Point p, long clicks = 1) {
        WindowServer::shared().postEvent(
            Event::mouseEvent(EventType::LeftMouseDown, p, 0, window.get(), clicks));
        WindowServer::shared().postEvent(
            Event::mouseEvent(EventType::LeftMouseUp, p, 0, window.get(), clicks));
        WindowServer::shared().dispatchPendingEvents();
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<Button> button;
};

TEST_F(ControlsTest, ClickInsideSendsTheActionToTheTarget) {
    Target target({"pressed:"});
    button->setTarget(&target);
    click({70, 35});
    ASSERT_EQ(target.performed, std::vector<std::string>{"pressed:"});
    EXPECT_EQ(target.senders[0], button.get());
    EXPECT_FALSE(button->isHighlighted());
}

TEST_F(ControlsTest, ClickWithoutTargetTravelsTheResponderChain) {
    ChainDelegate delegate({"pressed:"});
    window->setDelegate(&delegate);
    click({70, 35});
    EXPECT_EQ(delegate.performed, std::vector<std::string>{"pressed:"});
    window->setDelegate(nullptr);
}

TEST_F(ControlsTest, ReleaseOutsideOrDisabledSendsNothing) {
    Target target({"pressed:"});
    button->setTarget(&target);
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::LeftMouseDown, {70, 35}, 0, window.get()));
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::LeftMouseDragged, {200, 150}, 0, window.get()));
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::LeftMouseUp, {200, 150}, 0, window.get()));
    WindowServer::shared().dispatchPendingEvents();
    EXPECT_TRUE(target.performed.empty());
    EXPECT_FALSE(button->isHighlighted());

    button->setEnabled(false);
    click({70, 35});
    EXPECT_TRUE(target.performed.empty());
}

// Events handed to the window one at a time (no queue to read the release from) still make
// one click: the control finishes it when the release arrives.
TEST_F(ControlsTest, ClickDeliveredEventByEventStillClicks) {
    Target target({"pressed:"});
    button->setTarget(&target);
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, {70, 35}, 0, window.get()));
    EXPECT_TRUE(button->isHighlighted());
    EXPECT_TRUE(target.performed.empty());
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, {70, 35}, 0, window.get()));
    EXPECT_EQ(target.performed.size(), 1u);
    EXPECT_FALSE(button->isHighlighted());
}

TEST_F(ControlsTest, ButtonTypesMoveStateOnClick) {
    struct Case {
        int type;
        std::vector<int> states; // after each of three clicks
    };
    const Case cases[] = {
        {platform::MomentaryPushInButton, {0, 0, 0}}, {platform::SwitchButton, {1, 0, 1}},
        {platform::ToggleButton, {1, 0, 1}},          {platform::PushOnPushOffButton, {1, 0, 1}},
        {platform::RadioButton, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        button->setButtonType(c.type);
        button->setState(platform::OffState);
        std::vector<int> seen;
        for (int i = 0; i < 3; ++i) {
            click({70, 35});
            seen.push_back(button->state());
        }
        EXPECT_EQ(seen, c.states) << "type " << c.type;
    }
}

TEST_F(ControlsTest, MixedStateOnlyWhenAllowed) {
    button->setButtonType(platform::SwitchButton);
    button->setState(platform::MixedState);
    EXPECT_EQ(button->state(), platform::OnState);
    button->setAllowsMixedState(true);
    button->setState(platform::OffState);
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        button->performClick(nullptr);
        seen.push_back(button->state());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, -1, 0}));
}

TEST_F(ControlsTest, KeyEquivalentClicksTheButton) {
    Target target({"pressed:"});
    button->setTarget(&target);
    button->setKeyEquivalent("d");
    button->setKeyEquivalentModifierMask(platform::CommandKeyMask);
    key("d", platform::CommandKeyMask);
    EXPECT_EQ(target.performed.size(), 1u);
    key("d", platform::CommandKeyMask | platform::ShiftKeyMask);
    EXPECT_EQ(target.performed.size(), 1u);
    button->setHidden(true);
    key("d", platform::CommandKeyMask);
    EXPECT_EQ(target.performed.size(), 1u);
}

TEST_F(ControlsTest, BorderOnlyWhileMouseInsideFollowsThePointer) {
    button->setShowsBorderOnlyWhileMouseInside(true);
    auto* cell = button->buttonCell();
    mouse(EventType::MouseMoved, *window, {70, 35});
    EXPECT_TRUE(cell->isMouseInside());
    mouse(EventType::MouseMoved, *window, {250, 150});
    EXPECT_FALSE(cell->isMouseInside());
}

TEST_F(ControlsTest, PushButtonDrawsItsBezelAndTitle) {
    window->display();
    auto image = window->snapshot();
    ASSERT_TRUE(image);
    // Inside the bezel, away from the title: the light face; outside: the window background.
    const platform::Color face = image->colorAt(25, 25);
    EXPECT_NEAR(face.redComponent(), 0.96, 0.02);
    const platform::Color border = image->colorAt(20, 35);
    EXPECT_LT(border.redComponent(), 0.7);
    // Some pixel of the title is dark.
    bool dark = false;
    for (int x = 40; x < 100 && !dark; ++x)
        for (int y = 28; y < 44 && !dark; ++y)
            dark = image->colorAt(x, y).redComponent() < 0.3;
    EXPECT_TRUE(dark);

    button->highlight(true);
    window->display();
    EXPECT_NEAR(window->snapshot()->colorAt(25, 25).redComponent(), 0.72, 0.02);
}

TEST_F(ControlsTest, ValuesCoerceThroughTheCell) {
    auto field = std::make_shared<TextField>(Rect{20, 100, 200, 24});
    field->setStringValue("42.5 apples");
    EXPECT_EQ(field->intValue(), 42);
    EXPECT_FLOAT_EQ(field->floatValue(), 42.5f);
    field->setIntValue(7);
    EXPECT_EQ(field->stringValue(), "7");
    field->setTag(12);
    EXPECT_EQ(field->tag(), 12);
    EXPECT_EQ(field->cell()->tag(), 12);
    // A button's value is its state.
    button->setState(platform::OnState);
    EXPECT_EQ(button->intValue(), 1);
    button->setIntValue(0);
    EXPECT_EQ(button->state(), platform::OffState);
}

TEST_F(ControlsTest, SizeToFitTakesTheTitle) {
    button->setTitle("A much longer title");
    button->sizeToFit();
    const double wide = button->frame().width();
    button->setTitle("A");
    button->sizeToFit();
    EXPECT_LT(button->frame().width(), wide);
    EXPECT_GE(button->frame().height(), 22);
}

// The whole road in one window: a click on a text field starts editing, typed keys (accented
// and all) reach the first responder, and a click on the button sends its action with the
// field's text already there.
TEST_F(ControlsTest, ButtonAndTextFieldInOneWindow) {
    auto field = std::make_shared<TextField>(Rect{20, 120, 200, 24});
    window->contentView()->addSubview(field);
    Target target({"pressed:"});
    button->setTarget(&target);

    click({100, 130});
    ASSERT_NE(field->currentEditor(), nullptr);
    EXPECT_EQ(window->firstResponder(), field->currentEditor());
    for (const char* k : {"h", "\xC3\xA9", "l", "l", "o"})
        key(k);
    EXPECT_EQ(field->stringValue(), "h\xC3\xA9llo");

    click({70, 35});
    EXPECT_EQ(target.performed, std::vector<std::string>{"pressed:"});
    EXPECT_EQ(field->stringValue(), "h\xC3\xA9llo");
}

} // namespace
