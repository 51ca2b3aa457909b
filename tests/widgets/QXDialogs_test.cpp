#include "platform/foundation/RunLoop.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/Panel.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"
#include "widgets/QXDialogs.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::Alert;
using platform::AlertStyle;
using platform::Rect;
using platform::WindowServer;

class QXDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(1));
        platform::setScreenBackend(nullptr);
        WindowServer::shared().reset();
        window =
            platform::make<platform::Window>(Rect{100, 100, 500, 400}, platform::TitledWindowMask);
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        Alert::setPresentationHook({});
        window.reset();
        WindowServer::shared().reset();
        platform::RunLoop::resetMain();
    }
    static std::vector<std::string> titles(const Alert& alert) {
        std::vector<std::string> result;
        for (const auto& b : alert.buttons())
            result.push_back(b->title());
        return result;
    }

    std::shared_ptr<platform::Window> window;
};

TEST_F(QXDialogsTest, YesNoIsYesOnlyForTheFirstButton) {
    const struct {
        std::function<void(Alert&)> answer;
        bool yes;
    } cases[] = {
        {[](Alert& a) { a.pressButtonForTesting(0); }, true},
        {[](Alert& a) { a.pressButtonForTesting(1); }, false},
        {[](Alert&) { WindowServer::shared().abortModal(); }, false},
        {[](Alert&) { WindowServer::shared().stopModal(); }, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> seen;
        AlertStyle style{};
        Alert::setPresentationHook([&](Alert& a) {
            seen = titles(a);
            style = a.alertStyle();
            c.answer(a);
        });
        EXPECT_EQ(QXDialogs::dialogYesNo("Exit Group Chat?", "", AlertStyle::Critical), c.yes);
        EXPECT_EQ(seen, (std::vector<std::string>{QXLS("msg.opt.dialog.button.yes", "Yes"),
                                                  QXLS("msg.opt.dialog.button.no", "No")}));
        EXPECT_EQ(style, AlertStyle::Critical);
    }
}

TEST_F(QXDialogsTest, OkAnswersThePlatformCode) {
    std::string message;
    Alert::setPresentationHook([&](Alert& a) {
        message = a.messageText() + "/" + a.informativeText();
        EXPECT_EQ(titles(a), std::vector<std::string>{QXLS("msg.opt.dialog.button.ok", "OK")});
        a.pressButtonForTesting(0);
    });
    EXPECT_EQ(QXDialogs::dialogOK("Warning", "Could not start.", AlertStyle::Critical),
              platform::AlertFirstButtonReturn);
    EXPECT_EQ(message, "Warning/Could not start.");
}

TEST_F(QXDialogsTest, SheetOkShowsOneButtonAndNeedsNoHandler) {
    auto alert = QXDialogs::sheetOK(window.get(), "Warning", "Disk full.", AlertStyle::Critical);
    EXPECT_EQ(window->attachedSheet(), alert->window());
    EXPECT_EQ(alert->buttons().size(), 1u);
    alert->pressButtonForTesting(0);
    EXPECT_EQ(window->attachedSheet(), nullptr);
    // Without a window nothing is shown.
    auto lone = QXDialogs::sheetOK(nullptr, "Warning", "", AlertStyle::Warning);
    EXPECT_FALSE(lone->isShowing());
}

TEST_F(QXDialogsTest, SheetOkCancelTellsItsHandler) {
    for (std::size_t index : {0u, 1u}) {
        std::vector<int> codes;
        const Alert* ended = nullptr;
        auto alert = QXDialogs::sheetOKCancel(
            window.get(),
            [&](Alert& a, int code) {
                ended = &a;
                codes.push_back(code);
            },
            "Warning", "Changing your directory type...", AlertStyle::Warning);
        EXPECT_EQ(titles(*alert),
                  (std::vector<std::string>{QXLS("msg.opt.dialog.button.ok", "OK"),
                                            QXLS("msg.opt.dialog.button.cancel", "Cancel")}));
        alert->pressButtonForTesting(index);
        EXPECT_EQ(codes, std::vector<int>{static_cast<int>(1000 + index)});
        EXPECT_EQ(ended, alert.get());
    }
}

} // namespace
