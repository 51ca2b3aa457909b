#include "platform/graphics/Image.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Panel.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace kittest;
using platform::Alert;
using platform::AlertStyle;

class AlertTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 500, 400});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 500, 400}));
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        Alert::setPresentationHook({});
        window.reset();
        KitTest::TearDown();
    }
    static std::shared_ptr<Alert> twoButtons() {
        auto alert = Alert::alert();
        alert->setMessageText("Delete the contact?");
        alert->setInformativeText("The contact leaves every group it is in.");
        alert->addButtonWithTitle("Delete");
        alert->addButtonWithTitle("Cancel");
        return alert;
    }

    std::shared_ptr<Window> window;
};

TEST_F(AlertTest, SheetAnswersTheButtonPressedToItsCompletion) {
    for (std::size_t index : {0u, 1u}) {
        std::vector<int> codes;
        auto alert = twoButtons();
        alert->beginSheetModalForWindow(*window, [&](int code) { codes.push_back(code); });
        EXPECT_EQ(window->attachedSheet(), alert->window());
        EXPECT_TRUE(alert->window()->isVisible());
        alert->pressButtonForTesting(index);
        EXPECT_EQ(codes, std::vector<int>{static_cast<int>(1000 + index)});
        EXPECT_EQ(window->attachedSheet(), nullptr);
        EXPECT_FALSE(alert->window()->isVisible());
    }
}

TEST_F(AlertTest, SheetKeepsItsAlertAliveAndEndedFromOutsideAnswersStopped) {
    std::optional<int> code;
    std::weak_ptr<Alert> weak;
    {
        auto alert = twoButtons();
        weak = alert;
        alert->beginSheetModalForWindow(*window, [&](int c) { code = c; });
    }
    ASSERT_FALSE(weak.expired());
    platform::Window* sheet = window->attachedSheet();
    ASSERT_NE(sheet, nullptr);
    WindowServer::shared().endSheet(*sheet);
    EXPECT_EQ(code, platform::RunStoppedResponse);
    EXPECT_FALSE(sheet->isVisible());
    // Let go on the next pass of the loop, not inside the completion.
    EXPECT_FALSE(weak.expired());
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(weak.expired());
}

TEST_F(AlertTest, ClosingTheParentReleasesASheetOnlyItHeld) {
    // The sheet record holds the last reference to the alert; dropping it destroys the
    // alert's panel while the parent is being unregistered.
    std::weak_ptr<Alert> weak;
    bool called = false;
    {
        auto alert = twoButtons();
        weak = alert;
        alert->beginSheetModalForWindow(*window, [&](int) { called = true; });
    }
    ASSERT_FALSE(weak.expired());
    window.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(called);
    for (platform::Window* w : WindowServer::shared().windows())
        EXPECT_NE(w, nullptr);
}

TEST_F(AlertTest, RunModalAnswersTheClickedButton) {
    struct Case {
        std::function<void(Alert&)> answer;
        int code;
    };
    const Case cases[] = {
        {[](Alert& a) { a.pressButtonForTesting(1); }, 1001},
        {[](Alert& a) { a.pressButtonForTesting(0); }, 1000},
        // Return presses the first button, Escape the one titled "Cancel".
        {[](Alert&) { key("\r"); }, 1000},
        {[](Alert&) { key("\x1b"); }, 1001},
        {[](Alert&) { WindowServer::shared().abortModal(); }, platform::RunAbortedResponse},
    };
    for (const Case& c : cases) {
        auto alert = twoButtons();
        bool wasModal = false;
        Alert::setPresentationHook([&](Alert& a) {
            wasModal = WindowServer::shared().modalWindow() == a.window();
            c.answer(a);
        });
        EXPECT_EQ(alert->runModal(), c.code);
        EXPECT_TRUE(wasModal);
        EXPECT_FALSE(alert->window()->isVisible());
    }
}

TEST_F(AlertTest, AlertWithoutButtonsGetsOk) {
    auto alert = Alert::alert();
    alert->setMessageText("Done");
    Alert::setPresentationHook([](Alert& a) { a.pressButtonForTesting(0); });
    EXPECT_EQ(alert->runModal(), platform::AlertFirstButtonReturn);
    ASSERT_EQ(alert->buttons().size(), 1u);
    EXPECT_EQ(alert->buttons()[0]->title(), "OK");
}

TEST_F(AlertTest, PanelShowsTextsAndButtonsRightToLeft) {
    auto alert = twoButtons();
    alert->addButtonWithTitle("Later");
    alert->setAlertStyle(AlertStyle::Critical);
    platform::Panel* panel = alert->window();
    const auto& buttons = alert->buttons();
    EXPECT_GT(buttons[0]->frame().minX(), buttons[1]->frame().maxX());
    EXPECT_GT(buttons[1]->frame().minX(), buttons[2]->frame().maxX());
    EXPECT_EQ(buttons[2]->tag(), 1002);
    EXPECT_LE(buttons[0]->frame().maxX(), panel->frame().width());

    panel->display();
    auto image = panel->snapshot();
    const int h = image->pixelsHigh();
    // The critical sign is red, the message some dark text right of it.
    bool red = false, dark = false;
    for (int x = 24; x < 88; ++x)
        for (int y = h - 80; y < h - 15; ++y) {
            const platform::Color c = image->colorAt(x, y);
            red = red || (c.redComponent() > 0.7 && c.greenComponent() < 0.35);
        }
    for (int x = 104; x < 300; ++x)
        for (int y = h - 35; y < h - 15; ++y)
            dark = dark || image->colorAt(x, y).redComponent() < 0.3;
    EXPECT_TRUE(red);
    EXPECT_TRUE(dark);
    // A longer informative text makes the panel taller.
    const double before = panel->frame().height();
    alert->setInformativeText(std::string(600, 'x').replace(100, 1, " ").replace(300, 1, " "));
    alert->layout();
    EXPECT_GT(alert->window()->frame().height(), before);
}

} // namespace
