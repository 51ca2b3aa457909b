#include "KitTestSupport.h"
#include "platform/kit/Application.h"
#include "platform/kit/Panel.h"

namespace kittest {
namespace {

using platform::ActionTarget;
using platform::Object;

// Answers one action name and writes down who performed it.
struct Answerer {
    Answerer(std::string name, std::string action, std::vector<std::string>* log)
        : name(std::move(name)), action(std::move(action)), log(log) {}
    bool perform(std::string_view a, Object* sender) {
        if (a != action)
            return false;
        log->push_back(name);
        lastSender = sender;
        return true;
    }
    std::string name;
    std::string action;
    std::vector<std::string>* log;
    Object* lastSender = nullptr;
};

class ActionView : public View, public Answerer {
public:
    ActionView(std::string name, std::string action, std::vector<std::string>* log)
        : View(Rect(0, 0, 10, 10)), Answerer(std::move(name), std::move(action), log) {}
    bool acceptsFirstResponder() const override { return true; }
    bool tryToPerform(std::string_view a, Object* sender) override { return perform(a, sender); }
    bool respondsToAction(std::string_view a) const override { return a == action; }
};

class Delegate : public platform::WindowDelegate,
                 public Object,
                 public ActionTarget,
                 public Answerer {
public:
    using Answerer::Answerer;
    bool tryToPerform(std::string_view a, Object* sender) override { return perform(a, sender); }
    bool respondsToAction(std::string_view a) const override { return a == action; }
};

class ChainTarget : public Object, public ActionTarget, public Answerer {
public:
    using Answerer::Answerer;
    bool tryToPerform(std::string_view a, Object* sender) override { return perform(a, sender); }
    bool respondsToAction(std::string_view a) const override { return a == action; }
};

class ChainTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow();
        outer = std::make_shared<ActionView>("outer", "outer:", &log);
        inner = std::make_shared<ActionView>("inner", "inner:", &log);
        window->contentView()->addSubview(outer);
        outer->addSubview(inner);
        window->setDelegate(&delegate);
        window->makeKeyAndOrderFront(nullptr);
        window->makeFirstResponder(inner.get());
        WindowServer::shared().setChainTail([this] {
            return std::vector<ActionTarget*>{&application, &applicationDelegate};
        });
    }
    void TearDown() override {
        window->setDelegate(nullptr);
        KitTest::TearDown();
    }
    bool send(std::string_view action, ActionTarget* target = nullptr) {
        return WindowServer::shared().sendAction(action, target, &sender);
    }

    std::vector<std::string> log;
    Object sender;
    Delegate delegate{"windowDelegate", "delegate:", &log};
    ChainTarget application{"application", "terminate:", &log};
    ChainTarget applicationDelegate{"appDelegate", "presenceChanged:", &log};
    std::shared_ptr<Window> window;
    std::shared_ptr<ActionView> outer, inner;
};

TEST_F(ChainTest, ANilTargetedActionTravelsToTheFirstThatAnswers) {
    const struct {
        const char* action;
        const char* performer;
    } cases[] = {
        {"inner:", "inner"},
        {"outer:", "outer"},
        {"delegate:", "windowDelegate"},
        {"terminate:", "application"},
        {"presenceChanged:", "appDelegate"},
    };
    for (const auto& c : cases) {
        log.clear();
        EXPECT_TRUE(send(c.action)) << c.action;
        EXPECT_EQ(log, std::vector<std::string>{c.performer}) << c.action;
        EXPECT_NE(WindowServer::shared().targetForAction(c.action), nullptr) << c.action;
    }
    EXPECT_EQ(inner->lastSender, &sender);
    log.clear();
    EXPECT_FALSE(send("nobody:"));
    EXPECT_FALSE(send(""));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(WindowServer::shared().targetForAction("nobody:"), nullptr);
}

TEST_F(ChainTest, ATargetedActionGoesToTheTargetAlone) {
    ChainTarget target{"target", "inner:", &log};
    EXPECT_TRUE(send("inner:", &target));
    EXPECT_EQ(log, std::vector<std::string>{"target"});
    // A target that does not answer is not replaced by the chain.
    log.clear();
    EXPECT_FALSE(send("outer:", &target));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(WindowServer::shared().targetForAction("outer:", &target), nullptr);
    EXPECT_EQ(WindowServer::shared().targetForAction("inner:", &target), &target);
}

TEST_F(ChainTest, TheChainStartsAtTheFirstResponderNotAboveIt) {
    window->makeFirstResponder(outer.get());
    EXPECT_FALSE(send("inner:"));
    EXPECT_TRUE(send("outer:"));
    window->makeFirstResponder(nullptr);
    EXPECT_FALSE(send("outer:"));
    EXPECT_TRUE(send("delegate:"));
}

TEST_F(ChainTest, TheMainWindowFollowsAKeyPanel) {
    auto panel = make<platform::Panel>(Rect(0, 0, 100, 100), platform::TitledWindowMask);
    auto panelView = std::make_shared<ActionView>("panelView", "panel:", &log);
    panel->contentView()->addSubview(panelView);
    panel->makeKeyAndOrderFront(nullptr);
    panel->makeFirstResponder(panelView.get());
    ASSERT_TRUE(panel->isKeyWindow());
    ASSERT_TRUE(window->isMainWindow()); // a panel never becomes main

    EXPECT_TRUE(send("panel:"));
    EXPECT_TRUE(send("inner:")); // reached through the main window's chain
    EXPECT_TRUE(send("delegate:"));
    EXPECT_EQ(log, (std::vector<std::string>{"panelView", "inner", "windowDelegate"}));
}

TEST_F(ChainTest, AWindowThatIsItsOwnDelegateIsAskedOnce) {
    struct SelfDelegated : Window, platform::WindowDelegate {
        using Window::Window;
        bool tryToPerform(std::string_view a, Object*) override {
            if (a != "zoom:")
                return false;
            ++count;
            return true;
        }
        int count = 0;
    };
    auto own = make<SelfDelegated>(Rect(0, 0, 50, 50), platform::TitledWindowMask);
    own->setDelegate(own.get());
    own->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(send("zoom:"));
    EXPECT_EQ(own->count, 1);
    EXPECT_FALSE(send("unknown:"));
    own->setDelegate(nullptr);
}

TEST_F(KitTest, FirstResponderChangesAskBothSides) {
    struct Picky : RecordingView {
        using RecordingView::RecordingView;
        bool becomeFirstResponder() override { return willBecome; }
        bool resignFirstResponder() override { return willResign; }
        bool willBecome = true;
        bool willResign = true;
    };
    auto window = makeWindow();
    auto a = std::make_shared<Picky>(Rect(0, 0, 10, 10));
    auto b = std::make_shared<Picky>(Rect(20, 0, 10, 10));
    window->contentView()->addSubview(a);
    window->contentView()->addSubview(b);

    EXPECT_TRUE(window->makeFirstResponder(a.get()));
    a->willResign = false;
    EXPECT_FALSE(window->makeFirstResponder(b.get()));
    EXPECT_EQ(window->firstResponder(), a.get());
    a->willResign = true;
    b->willBecome = false;
    EXPECT_FALSE(window->makeFirstResponder(b.get()));
    EXPECT_EQ(window->firstResponder(), window.get()); // the window holds the post
    EXPECT_TRUE(window->makeFirstResponder(nullptr));
}

TEST_F(KitTest, FieldEditorsComeFromTheDelegateOrTheRegisteredFactory) {
    int made = 0;
    Window::setFieldEditorFactory([&] {
        ++made;
        return std::make_shared<View>();
    });
    auto window = makeWindow();
    Object client;
    EXPECT_EQ(window->fieldEditor(false, &client), nullptr);
    View* editor = window->fieldEditor(true, &client);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(window->fieldEditor(true, &client), editor); // shared by the window
    EXPECT_EQ(made, 1);

    struct Special : platform::WindowDelegate {
        View* windowWillReturnFieldEditor(Window&, Object* c) override {
            return c == wanted ? &view : nullptr;
        }
        Object* wanted = nullptr;
        View view;
    } special;
    Object other;
    special.wanted = &other;
    window->setDelegate(&special);
    EXPECT_EQ(window->fieldEditor(true, &other), &special.view);
    EXPECT_EQ(window->fieldEditor(true, &client), editor);
    window->setDelegate(nullptr);
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

TEST_F(KitTest, TheApplicationAndItsDelegateEndTheChainByDefault) {
    struct AppDelegate : platform::ApplicationDelegate, Object, ActionTarget {
        bool tryToPerform(std::string_view a, Object*) override {
            if (a != "showPreferences:")
                return false;
            ++shown;
            return true;
        }
        bool respondsToAction(std::string_view a) const override { return a == "showPreferences:"; }
        int shown = 0;
    } appDelegate;
    platform::Application::resetSharedApplication();
    auto& app = platform::Application::sharedApplication();
    app.setDelegate(&appDelegate);
    auto window = makeWindow();
    window->makeKeyAndOrderFront(nullptr);

    EXPECT_TRUE(app.sendAction("showPreferences:", nullptr, nullptr));
    EXPECT_EQ(appDelegate.shown, 1);
    EXPECT_EQ(app.targetForAction("showPreferences:"), &appDelegate);
    EXPECT_EQ(app.targetForAction("hide:"), &app);
    EXPECT_TRUE(app.sendAction("hide:", nullptr, nullptr));
    EXPECT_TRUE(app.isHidden());
    EXPECT_EQ(app.keyWindow(), nullptr);
    EXPECT_TRUE(app.sendAction("unhide:", nullptr, nullptr));
    EXPECT_EQ(app.keyWindow(), window.get());
    app.setDelegate(nullptr);
    platform::Application::resetSharedApplication();
}

TEST_F(KitTest, PanelsThatHideOnDeactivationComeBackWithTheApplication) {
    platform::Application::resetSharedApplication();
    auto& app = platform::Application::sharedApplication();
    app.activateIgnoringOtherApps(true);
    auto panel = make<platform::Panel>(Rect(0, 0, 100, 100), platform::TitledWindowMask);
    auto window = makeWindow();
    panel->orderFront(nullptr);
    window->orderFront(nullptr);
    app.deactivate();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(window->isVisible());
    app.activateIgnoringOtherApps(true);
    EXPECT_TRUE(panel->isVisible());
    platform::Application::resetSharedApplication();
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

TEST_F(KitTest, HidingTheApplicationHidesItsWindowsAndUnhidingRestoresTheirOrder) {
    platform::Application::resetSharedApplication();
    auto& app = platform::Application::sharedApplication();
    auto back = makeWindow();
    auto front = makeWindow();
    auto stays = makeWindow();
    stays->setCanHide(false);
    back->orderFront(nullptr);
    front->orderFront(nullptr);
    stays->orderBack(nullptr);
    app.hide(nullptr);
    EXPECT_FALSE(back->isVisible());
    EXPECT_FALSE(front->isVisible());
    EXPECT_TRUE(stays->isVisible());
    app.unhide(nullptr);
    const auto order = WindowServer::shared().orderedWindows();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], front.get());
    EXPECT_EQ(order[1], back.get());
    platform::Application::resetSharedApplication();
}

} // namespace
} // namespace kittest
