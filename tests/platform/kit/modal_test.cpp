#include "KitTestSupport.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Panel.h"

namespace kittest {
namespace {

using platform::AlertFirstButtonReturn;
using platform::AlertSecondButtonReturn;
using platform::ModalPanelRunLoopMode;
using platform::Panel;
using platform::RunAbortedResponse;
using platform::RunStoppedResponse;
using platform::Timer;

class SheetTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        parent = makeWindow({100, 100, 400, 300});
        parentView = std::make_shared<RecordingView>(Rect(0, 0, 400, 300));
        parent->contentView()->addSubview(parentView);
        parent->makeKeyAndOrderFront(nullptr);
        sheet = make<Panel>(Rect(0, 0, 200, 100), platform::TitledWindowMask);
    }
    std::shared_ptr<Window> parent;
    std::shared_ptr<RecordingView> parentView;
    std::shared_ptr<Panel> sheet;
};

TEST_F(SheetTest, ASheetHangsFromTheTopEdgeAndEndsWithItsCode) {
    std::vector<int> codes;
    auto& server = WindowServer::shared();
    server.beginSheet(*sheet, *parent, [&](int code) {
        codes.push_back(code);
        // The completion runs with the sheet already detached, so it may order it out.
        EXPECT_EQ(parent->attachedSheet(), nullptr);
        sheet->orderOut(nullptr);
    });
    EXPECT_EQ(parent->attachedSheet(), sheet.get());
    EXPECT_EQ(sheet->sheetParent(), parent.get());
    EXPECT_TRUE(sheet->isSheet());
    EXPECT_EQ(sheet->frame(), Rect(200, 300, 200, 100));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->isKeyWindow());
    EXPECT_EQ(server.orderedWindows().front(), sheet.get());

    // It moves with its parent.
    parent->setFrameOrigin({110, 100});
    EXPECT_EQ(sheet->frame().origin, Point(210, 300));

    server.endSheet(*sheet, AlertSecondButtonReturn);
    EXPECT_EQ(codes, std::vector<int>{AlertSecondButtonReturn});
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(parent->isKeyWindow());
    // Ending again, or ending a window that is no sheet, does nothing.
    server.endSheet(*sheet, AlertFirstButtonReturn);
    server.endSheet(*parent);
    EXPECT_EQ(codes.size(), 1u);
}

TEST_F(SheetTest, ASheetEndedFromOutsideAnswersStoppedAndTheParentIsBlockedMeanwhile) {
    int code = 0;
    WindowServer::shared().beginSheet(*sheet, *parent, [&](int c) { code = c; });
    mouse(EventType::LeftMouseDown, *parent, {50, 50});
    EXPECT_TRUE(parentView->events.empty());

    WindowServer::shared().endSheet(*sheet);
    EXPECT_EQ(code, RunStoppedResponse);
    mouse(EventType::LeftMouseDown, *parent, {50, 50});
    EXPECT_EQ(parentView->events, std::vector<std::string>{"down"});
}

TEST_F(SheetTest, ASecondSheetWaitsForTheFirst) {
    auto second = make<Panel>(Rect(0, 0, 100, 50), platform::TitledWindowMask);
    std::vector<int> codes;
    auto& server = WindowServer::shared();
    server.beginSheet(*sheet, *parent, [&](int c) { codes.push_back(c); });
    server.beginSheet(*second, *parent, [&](int c) { codes.push_back(c + 1); });
    EXPECT_EQ(parent->attachedSheet(), sheet.get());
    EXPECT_FALSE(second->isVisible());
    server.endSheet(*sheet, 0);
    EXPECT_EQ(parent->attachedSheet(), second.get());
    EXPECT_TRUE(second->isVisible());
    server.endSheet(*second, 1);
    EXPECT_EQ(codes, (std::vector<int>{0, 2}));
}

TEST_F(SheetTest, AnEndHandlerMayBeginTheNextSheetOnTheSameParent) {
    // A sheet begun from the first one's end handler is attached at once; it must not be
    // taken for a waiting sheet, begun a second time and lost.
    auto second = make<Panel>(Rect(0, 0, 100, 50), platform::TitledWindowMask);
    std::vector<int> codes;
    auto& server = WindowServer::shared();
    server.beginSheet(*sheet, *parent, [&](int c) {
        codes.push_back(c);
        server.beginSheet(*second, *parent, [&](int c2) { codes.push_back(c2 + 10); });
    });
    server.endSheet(*sheet, 0);
    EXPECT_EQ(parent->attachedSheet(), second.get());
    server.endSheet(*second, 1);
    EXPECT_EQ(parent->attachedSheet(), nullptr);
    EXPECT_EQ(codes, (std::vector<int>{0, 11}));
}

TEST_F(SheetTest, DestroyingASheetOrItsParentDetachesWithoutCompletion) {
    int calls = 0;
    WindowServer::shared().beginSheet(*sheet, *parent, [&](int) { ++calls; });
    sheet.reset();
    EXPECT_EQ(parent->attachedSheet(), nullptr);
    EXPECT_TRUE(parent->childWindows().empty());

    auto another = make<Panel>(Rect(0, 0, 100, 50), platform::TitledWindowMask);
    WindowServer::shared().beginSheet(*another, *parent, [&](int) { ++calls; });
    parent.reset();
    EXPECT_EQ(another->sheetParent(), nullptr);
    EXPECT_EQ(another->parentWindow(), nullptr);
    WindowServer::shared().endSheet(*another);
    EXPECT_EQ(calls, 0);
}

TEST_F(KitTest, AModalLoopRunsInTheModalModeOnly) {
    auto other = makeWindow({0, 0, 200, 200});
    auto otherView = std::make_shared<RecordingView>(Rect(0, 0, 200, 200));
    other->contentView()->addSubview(otherView);
    other->orderFront(nullptr);
    auto dialog = make<Panel>(Rect(300, 300, 200, 100), platform::TitledWindowMask);

    bool defaultTimerFired = false;
    Timer::scheduledTimerWithTimeInterval(0.1, false, [&](Timer&) { defaultTimerFired = true; });
    bool sawModalWindow = false;
    RunLoop::main().performAfterDelay(0.2,
                                      [&] {
                                          sawModalWindow =
                                              WindowServer::shared().modalWindow() == dialog.get();
                                          // Clicks on other windows are refused while the session
                                          // runs.
                                          mouse(EventType::LeftMouseDown, *other, {10, 10});
                                      },
                                      {ModalPanelRunLoopMode});
    RunLoop::main().performAfterDelay(
        0.5, [] { WindowServer::shared().stopModalWithCode(AlertFirstButtonReturn); },
        {ModalPanelRunLoopMode});

    const double start = clock->now();
    EXPECT_EQ(WindowServer::shared().runModalForWindow(*dialog), AlertFirstButtonReturn);
    EXPECT_DOUBLE_EQ(clock->now() - start, 0.5);
    EXPECT_FALSE(defaultTimerFired);
    EXPECT_TRUE(sawModalWindow);
    EXPECT_TRUE(otherView->events.empty());
    EXPECT_TRUE(dialog->isKeyWindow());
    EXPECT_EQ(WindowServer::shared().modalWindow(), nullptr);

    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(defaultTimerFired);
}

TEST_F(KitTest, ModalSessionsStopAbortAndNest) {
    auto outer = make<Panel>(Rect(0, 0, 100, 100), platform::TitledWindowMask);
    auto inner = make<Panel>(Rect(0, 0, 50, 50), platform::TitledWindowMask);
    int innerResult = 0;
    RunLoop::main().performAfterDelay(
        0.1,
        [&] {
            RunLoop::main().performAfterDelay(0.1, [] { WindowServer::shared().abortModal(); },
                                              {ModalPanelRunLoopMode});
            innerResult = WindowServer::shared().runModalForWindow(*inner);
            EXPECT_EQ(WindowServer::shared().modalWindow(), outer.get());
            WindowServer::shared().stopModal();
        },
        {ModalPanelRunLoopMode});
    EXPECT_EQ(WindowServer::shared().runModalForWindow(*outer), RunStoppedResponse);
    EXPECT_EQ(innerResult, RunAbortedResponse);
}

TEST_F(KitTest, AModalSessionNothingCanEndIsAbortedInsteadOfSpinning) {
    std::vector<std::string> lines;
    platform::setLogSink([&](std::string_view line) { lines.emplace_back(line); });
    auto dialog = make<Panel>(Rect(0, 0, 100, 100), platform::TitledWindowMask);
    EXPECT_EQ(WindowServer::shared().runModalForWindow(*dialog), RunAbortedResponse);
    platform::setLogSink(nullptr);
    EXPECT_EQ(lines.size(), 1u);

    // A modal window that is destroyed ends its session too.
    auto doomed = make<Panel>(Rect(0, 0, 100, 100), platform::TitledWindowMask);
    Window* raw = doomed.get();
    RunLoop::main().performAfterDelay(0.1, [&] { doomed.reset(); }, {ModalPanelRunLoopMode});
    EXPECT_EQ(WindowServer::shared().runModalForWindow(*raw), RunAbortedResponse);
}

TEST_F(KitTest, ModalSessionsCanBeRunAPassAtATime) {
    auto dialog = make<Panel>(Rect(0, 0, 100, 100), platform::TitledWindowMask);
    auto& server = WindowServer::shared();
    auto session = server.beginModalSessionForWindow(*dialog);
    RunLoop::main().performAfterDelay(0.05, [] {}, {ModalPanelRunLoopMode});
    EXPECT_EQ(server.runModalSession(session), platform::RunContinuesResponse);
    server.stopModalWithCode(5);
    EXPECT_EQ(server.runModalSession(session), 5);
    server.endModalSession(session);
    EXPECT_EQ(server.modalWindow(), nullptr);
}

} // namespace
} // namespace kittest
