#include "platform/foundation/RunLoop.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace ext = OrvantaExtensions;
using platform::Alert;
using platform::AlertStyle;
using platform::RunLoop;
using platform::Value;
using platform::WindowServer;

std::vector<std::string> titles(const Alert& alert) {
    std::vector<std::string> result;
    for (const auto& button : alert.buttons())
        result.push_back(button->title());
    return result;
}

const std::vector<std::string>& yesNo() {
    static const std::vector<std::string> value{QXLS("msg.opt.dialog.button.yes", "Yes"),
                                                QXLS("msg.opt.dialog.button.no", "No")};
    return value;
}

class AlertExtensionsTest : public kittest::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 500, 400});
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        Alert::setPresentationHook({});
        window.reset();
        KitTest::TearDown();
    }

    std::shared_ptr<platform::Window> window;
};

// Only the first button is a yes; the second and a session ended any other way are no.
TEST_F(AlertExtensionsTest, YesNoIsYesOnlyForTheFirstButton) {
    const struct {
        const char* how;
        std::function<void(Alert&)> answer;
        bool yes;
    } cases[] = {
        {"Yes", [](Alert& a) { a.pressButtonForTesting(0); }, true},
        {"No", [](Alert& a) { a.pressButtonForTesting(1); }, false},
        {"aborted", [](Alert&) { WindowServer::shared().abortModal(); }, false},
        {"stopped", [](Alert&) { WindowServer::shared().stopModal(); }, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> seen;
        std::string texts;
        Alert::setPresentationHook([&](Alert& a) {
            seen = titles(a);
            texts = a.messageText() + "|" + a.informativeText();
            EXPECT_EQ(a.alertStyle(), AlertStyle::Critical);
            c.answer(a);
        });
        EXPECT_EQ(ext::dialogYesNo("Leave the chat?", "Others stay.", AlertStyle::Critical), c.yes)
            << c.how;
        EXPECT_EQ(seen, yesNo()) << c.how;
        EXPECT_EQ(texts, "Leave the chat?|Others stay.");
    }
}

TEST_F(AlertExtensionsTest, OkAnswersTheCodeOfHowItEnded) {
    Alert::setPresentationHook([](Alert& a) {
        EXPECT_EQ(titles(a), std::vector<std::string>{QXLS("msg.opt.dialog.button.ok", "OK")});
        a.pressButtonForTesting(0);
    });
    EXPECT_EQ(ext::dialogOK("Warning", "", AlertStyle::Warning), platform::AlertFirstButtonReturn);
    Alert::setPresentationHook([](Alert&) { WindowServer::shared().abortModal(); });
    EXPECT_EQ(ext::dialogOK("Warning", "", AlertStyle::Warning), platform::RunAbortedResponse);
}

TEST_F(AlertExtensionsTest, SheetsTellTheirHandlerWhichButton) {
    const struct {
        std::function<std::shared_ptr<Alert>(ext::AlertDidEndHandler)> show;
        std::vector<std::string> buttons;
    } sheets[] = {
        {[&](ext::AlertDidEndHandler h) {
             return ext::sheetYesNo(window.get(), std::move(h), "Block Bob?", "",
                                    AlertStyle::Warning);
         },
         yesNo()},
        {[&](ext::AlertDidEndHandler h) {
             return ext::sheetOKCancel(window.get(), std::move(h), "Delete?", "",
                                       AlertStyle::Warning);
         },
         {QXLS("msg.opt.dialog.button.ok", "OK"), QXLS("msg.opt.dialog.button.cancel", "Cancel")}},
    };
    for (const auto& sheet : sheets) {
        for (std::size_t index : {0u, 1u}) {
            std::vector<int> codes;
            const Alert* ended = nullptr;
            auto alert = sheet.show([&](Alert& a, int code) {
                ended = &a;
                codes.push_back(code);
            });
            EXPECT_EQ(titles(*alert), sheet.buttons);
            EXPECT_EQ(window->attachedSheet(), alert->window());
            alert->pressButtonForTesting(index);
            EXPECT_EQ(codes, std::vector<int>{static_cast<int>(1000 + index)});
            EXPECT_EQ(ended, alert.get());
            EXPECT_EQ(window->attachedSheet(), nullptr);
        }
    }
}

TEST_F(AlertExtensionsTest, SheetOkHasTheDefaultButtonAndNoWindowShowsNothing) {
    auto alert = ext::sheetOK(window.get(), "Saved", "", AlertStyle::Informational);
    EXPECT_EQ(window->attachedSheet(), alert->window());
    ASSERT_EQ(alert->buttons().size(), 1u);
    alert->pressButtonForTesting(0);
    EXPECT_EQ(window->attachedSheet(), nullptr);

    bool called = false;
    auto lone = ext::sheetYesNo(
        nullptr, [&](Alert&, int) { called = true; }, "?", "", AlertStyle::Warning);
    EXPECT_FALSE(lone->isShowing());
    EXPECT_FALSE(called);
}

// The deferred sheet waits for a pass of the main loop in its own mode; the poster keeps the
// alert and the context alive although the caller let go of both.
TEST_F(AlertExtensionsTest, DeferredSheetAppearsOnlyInItsMode) {
    struct Context : platform::Object {
        std::string name = "transfer 7";
    };
    std::weak_ptr<Alert> watchAlert;
    std::vector<std::string> heard;
    {
        auto alert = Alert::alert();
        alert->setMessageText("Accept the file?");
        alert->addButtonWithTitle("Accept");
        alert->addButtonWithTitle("Decline");
        watchAlert = alert;
        ext::beginSheetModalForWindow(
            alert, window,
            [&](Alert& a, int code, const Value& context) {
                auto object = std::dynamic_pointer_cast<Context>(context.object());
                heard.push_back(a.messageText() + " " + std::to_string(code) + " " +
                                (object ? object->name : "(gone)"));
            },
            Value(std::shared_ptr<platform::Object>(std::make_shared<Context>())),
            platform::ModalPanelRunLoopMode);
    }
    RunLoop::main().runUntilIdle(platform::DefaultRunLoopMode);
    RunLoop::main().runUntilIdle(platform::EventTrackingRunLoopMode);
    EXPECT_EQ(window->attachedSheet(), nullptr);
    ASSERT_FALSE(watchAlert.expired());

    RunLoop::main().runUntilIdle(platform::ModalPanelRunLoopMode);
    auto alert = watchAlert.lock();
    ASSERT_TRUE(alert);
    EXPECT_EQ(window->attachedSheet(), alert->window());
    alert->pressButtonForTesting(1);
    EXPECT_EQ(heard, std::vector<std::string>{"Accept the file? 1001 transfer 7"});

    // Shown once only.
    RunLoop::main().runUntilIdle(platform::ModalPanelRunLoopMode);
    EXPECT_EQ(window->attachedSheet(), nullptr);
}

} // namespace
