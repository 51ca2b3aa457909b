#include "QXBaseWindowTestSupport.h"
#include "platform/foundation/Value.h"
#include "widgets/QXBaseFrameView.h"
#include "widgets/QXBaseWindow.h"
#include "widgets/QXContentView.h"
#include "widgets/QXFrameView.h"
#include "widgets/QXGenericFieldEditor.h"
#include "widgets/QXToolBar.h"

#include <vector>

namespace skinned_test {
namespace {

using platform::make;
using platform::Value;

const Color kClear(0, 0, 0, 0);
const Color kWhite(1, 1, 1, 1);
const Color kGreen(0, 1, 0, 1);

// Content that paints itself white, so the margins show around it.
class WhiteContent : public QXContentView {
public:
    using QXContentView::QXContentView;
    void drawRect(const Rect& dirtyRect) override {
        platform::GraphicsContext::currentContext()->setFillColor(kWhite);
        platform::GraphicsContext::currentContext()->fillRect(dirtyRect);
    }
};

Value brandFixture() {
    auto brand = Value::readPropertyListFile(std::filesystem::path(LUMIQ_SOURCE_DIR) /
                                             "tests/fixtures/brand_skinned_window.plist");
    EXPECT_TRUE(brand && brand->isDictionary());
    return brand ? *brand : Value();
}

class QXBaseWindowTest : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        previousBundle = platform::Bundle::mainBundle().resourcePath();
        bundle = folder / "bundle";
        std::filesystem::create_directories(bundle / "images");
        writeSolidPNG(bundle / "images" / "grip.png", {12, 12}, kGreen);
        platform::Bundle::setMainBundlePath(bundle);
    }
    void TearDown() override {
        platform::Bundle::setMainBundlePath(previousBundle);
        SkinnedWindowTest::TearDown();
    }

    std::shared_ptr<QXBaseWindow> makeWindow(Rect frame = {100, 100, 300, 200}) {
        return make<QXBaseWindow>(frame, platform::ResizableWindowMask);
    }

    // A window skinned from the fixture's "BaseWindow" section, with content limits.
    std::shared_ptr<QXBaseWindow> makeSkinnedWindow(Size minimum, Size maximum) {
        auto window = makeWindow();
        window->setSkinFromBrandSection(brandFixture()["BaseWindow"]);
        content = make<WhiteContent>(Rect(0, 0, 280, 160));
        content->setMinimumSize(minimum);
        content->setMaximumSize(maximum);
        window->setContentView(content);
        return window;
    }

    std::filesystem::path previousBundle;
    std::filesystem::path bundle;
    std::shared_ptr<WhiteContent> content;
};

TEST_F(QXBaseWindowTest, ABrandSectionPaintsOutlineGradientHandleAndPlacesTheContent) {
    auto window = makeSkinnedWindow({100, 100}, {1000, 1000});
    // Margins (10, 10, 30, 10) in a 300 x 200 window.
    EXPECT_EQ(content->frame(), Rect(10, 10, 280, 160));
    ASSERT_NE(window->frameView(), nullptr);
    EXPECT_EQ(window->frameView()->frame(), Rect(0, 0, 300, 200));
    EXPECT_FALSE(window->isOpaque());

    auto image = window->snapshot();
    ASSERT_EQ(image->pixelsWide(), 300);
    ASSERT_EQ(image->pixelsHigh(), 200);
    const struct {
        int x, y;
        Color expected;
        const char* what;
    } pixels[] = {
        // The outline cuts 20 points off each corner; the window stays transparent there.
        {3, 3, kClear, "bottom-left corner outside the outline"},
        {3, 196, kClear, "top-left corner outside the outline"},
        {296, 196, kClear, "top-right corner outside the outline"},
        // The gradient runs upwards from red to blue over the whole window, margins included.
        {150, 1, Color(1, 0, 0, 1), "bottom margin: the gradient's start"},
        {150, 198, Color(0, 0, 1, 1), "top margin: the gradient's end"},
        {5, 100, Color(0.5, 0, 0.5, 1), "left margin at half height"},
        {150, 100, kWhite, "the content view inside the margins"},
        {11, 11, kWhite, "the content view's lower-left corner"},
        {8, 100, Color(0.5, 0, 0.5, 1), "just left of the content"},
        // The handle image (12 x 12) sits 15 points left of the right edge, 2 above the
        // bottom, drawn whether or not the outline covers that spot.
        {293, 5, kGreen, "the resize handle, outside the outline"},
        {286, 3, kGreen, "the resize handle's lower-left part"},
        {298, 5, kClear, "right of the handle"},
    };
    for (const auto& p : pixels) {
        const Color seen = image->colorAt(p.x, p.y);
        EXPECT_TRUE(near(seen, p.expected, 0.05))
            << p.what << ": " << describe(seen) << " expected " << describe(p.expected);
    }
}

TEST_F(QXBaseWindowTest, WithoutPathTheGradientFillsTheWholeWindowAndNoHandleIsDrawn) {
    auto window = makeWindow();
    window->setSkinFromBrandSection(brandFixture()["PlainWindow"]);
    auto image = window->snapshot();
    for (auto [x, y] : {std::pair{0, 0}, {299, 199}, {150, 100}, {293, 5}})
        EXPECT_TRUE(near(image->colorAt(x, y), kGreen)) << x << "," << y;
    EXPECT_EQ(window->frameView()->resizeImage(), nullptr);
    EXPECT_FALSE(window->frameView()->pointInResize({293, 5}));

    // No gradient at all: nothing is painted and the window is clear.
    window->setBkgGradient(nullptr);
    window->display();
    EXPECT_TRUE(near(window->snapshot()->colorAt(150, 100), kClear));
}

TEST_F(QXBaseWindowTest, ResizeHandleTexts) {
    const struct {
        const char* text;
        bool hasImage;
        Point pos;
        Point anchor;
    } cases[] = {
        {"grip;p(-15,2)a(1,0)", true, {-15, 2}, {1, 0}},
        {"grip;a(0.5,1) p(3,-4)", true, {3, -4}, {0.5, 1}},
        {"grip;", true, {0, 0}, {0, 0}},
        // Without ";" there is no image name, but the parts are still read.
        {"p(-15,2)a(1,0)", false, {-15, 2}, {1, 0}},
        {"grip", false, {0, 0}, {0, 0}},
        // A name not among the resources leaves the handle without image.
        {"missing;p(1,2)", false, {1, 2}, {0, 0}},
        // The text is not lower-cased.
        {"GRIP;P(1,1)A(1,1)", false, {0, 0}, {0, 0}},
        // An unclosed part reads to the end.
        {"grip;p(7,8", true, {7, 8}, {0, 0}},
        {"", false, {0, 0}, {0, 0}},
    };
    for (const auto& c : cases) {
        auto window = makeWindow();
        window->setResizeHandle(std::string_view(c.text));
        QXBaseFrameView* frame = window->frameView();
        EXPECT_EQ(frame->resizeImage() != nullptr, c.hasImage) << c.text;
        EXPECT_EQ(frame->resizePos(), c.pos) << c.text;
        EXPECT_EQ(frame->resizeAnchor(), c.anchor) << c.text;
        EXPECT_FALSE(frame->isResizeShown()) << c.text;
    }
}

TEST_F(QXBaseWindowTest, TheHandleIsHitOnlyWhileShownAndOnlyOnItsImage) {
    auto window = makeWindow();
    window->setResizeHandle(std::string_view("grip;p(-15,2)a(1,0)"));
    QXBaseFrameView* frame = window->frameView();
    EXPECT_FALSE(frame->pointInResize({290, 8}));
    frame->showResize(true);
    EXPECT_EQ(frame->resizeRect(), Rect(285, 2, 12, 12));
    EXPECT_TRUE(frame->pointInResize({290, 8}));
    EXPECT_TRUE(frame->pointInResize({285, 2}));
    EXPECT_FALSE(frame->pointInResize({284, 8}));
    EXPECT_FALSE(frame->pointInResize({290, 15}));
    // The anchor follows the window's size.
    window->setFrame(Rect(100, 100, 400, 300), true);
    EXPECT_TRUE(frame->pointInResize({390, 8}));
    EXPECT_FALSE(frame->pointInResize({290, 8}));
}

TEST_F(QXBaseWindowTest, SizeClampingTable) {
    // Margins (10, 10, 30, 10) add (20, 40) to every content size. The screen's visible frame
    // is 1440 x 878.
    const struct {
        Size minimum, maximum, proposed, expected;
        const char* what;
    } cases[] = {
        {{100, 100}, {400, 300}, {300, 250}, {300, 250}, "within the limits"},
        {{100, 100}, {400, 300}, {10, 10}, {120, 140}, "below the minimum"},
        // Without a toolbar shown the height stops 40 points short of the maximum.
        {{100, 100}, {400, 300}, {900, 900}, {420, 300}, "beyond the maximum"},
        {{100, 290}, {400, 300}, {900, 900}, {420, 330}, "the 40-point cut stops at the minimum"},
        {{300, 200}, {100, 100}, {250, 250}, {320, 240}, "the minimum wins over the maximum"},
        {{0, 0}, {5000, 5000}, {3000, 3000}, {1440, 878}, "cut to the screen's visible frame"},
        // A fixed size: whatever is asked, the content's current frame plus the margins.
        {{200, 100}, {200, 100}, {900, 50}, {220, 140}, "fixed size"},
    };
    for (const auto& c : cases) {
        auto window = makeSkinnedWindow(c.minimum, c.maximum);
        if (c.minimum == c.maximum)
            content->setFrame(Rect(10, 10, 200, 100));
        const Size clamped = window->windowWillResize(*window, c.proposed);
        EXPECT_TRUE(sizeNear(clamped, c.expected))
            << c.what << ": " << clamped.width << " x " << clamped.height;
    }
}

TEST_F(QXBaseWindowTest, OtherSendersAndOtherContentAreClampedOnlyToTheScreen) {
    auto window = makeSkinnedWindow({100, 100}, {400, 300});
    auto other = makeWindow();
    EXPECT_TRUE(sizeNear(window->windowWillResize(*other, {2000, 50}), {1440, 50}));

    auto plain = makeWindow();
    plain->setContentView(std::make_shared<platform::View>(Rect(0, 0, 10, 10)));
    EXPECT_EQ(plain->qxContentView(), nullptr);
    EXPECT_TRUE(sizeNear(plain->windowWillResize(*plain, {2000, 5}), {1440, 5}));
}

TEST_F(QXBaseWindowTest, ContentSizeKeepsTheTopEdgeAndIsClamped) {
    auto window = makeSkinnedWindow({100, 100}, {400, 300});
    window->setContentSize({200, 150});
    EXPECT_EQ(window->frame(), Rect(100, 110, 220, 190)); // top edge stays at 300
    EXPECT_EQ(content->frame(), Rect(10, 10, 200, 150));
    EXPECT_TRUE(sizeNear(window->contentSize(), {200, 150}));

    window->setContentSize({1000, 1000}); // 420 x 300 at most without a toolbar
    EXPECT_EQ(window->frame(), Rect(100, 0, 420, 300));
    EXPECT_EQ(content->frame(), Rect(10, 10, 400, 260));
}

TEST_F(QXBaseWindowTest, AWindowPartlyOffTheScreenIsCutInSizeButNotMovedBack) {
    auto window = makeSkinnedWindow({0, 0}, {5000, 5000});
    window->setFrame(Rect(1300, 700, 220, 190), true);
    window->setContentSize({3000, 150});
    EXPECT_EQ(window->frame(), Rect(1300, 700, 1440, 190));
}

TEST_F(QXBaseWindowTest, DraggingTheHandleResizesWithinTheLimits) {
    // Content 100 x 100 to 400 x 300: the frame goes from 120 x 140 to 420 x 300 (the 40-point
    // cut applies without a toolbar).
    auto window = makeSkinnedWindow({100, 100}, {400, 300});
    const Point handle = window->convertBaseToScreen({290, 8});

    mouseAtScreen(EventType::LeftMouseDown, *window, handle);
    EXPECT_TRUE(window->isResizing());
    mouseAtScreen(EventType::LeftMouseDragged, *window, {handle.x + 50, handle.y - 30});
    EXPECT_EQ(window->frame(), Rect(100, 70, 350, 230)); // top edge stays at 300
    EXPECT_EQ(content->frame(), Rect(10, 10, 330, 190));

    // Far beyond the maximum: the window stops at it, and the start point moves only by what
    // was applied, so the handle stays where the window's edge is.
    mouseAtScreen(EventType::LeftMouseDragged, *window, {handle.x + 400, handle.y - 400});
    EXPECT_EQ(window->frame(), Rect(100, 0, 420, 300));
    // Coming back, but still beyond the limit: nothing changes.
    mouseAtScreen(EventType::LeftMouseDragged, *window, {handle.x + 390, handle.y - 390});
    EXPECT_EQ(window->frame(), Rect(100, 0, 420, 300));
    // Back over the window, it shrinks at once with the handle under the pointer, without
    // drift: the pointer is 10 points in from the right edge and 8 up from the bottom, as at
    // the mouse-down.
    mouseAtScreen(EventType::LeftMouseDragged, *window, {500, 18});
    EXPECT_EQ(window->frame(), Rect(100, 10, 410, 290));

    // Far below the minimum.
    mouseAtScreen(EventType::LeftMouseUp, *window, {handle.x - 1000, handle.y + 1000});
    EXPECT_EQ(window->frame(), Rect(100, 160, 120, 140));
    EXPECT_FALSE(window->isResizing());

    // After the up, drags resize nothing.
    mouseAtScreen(EventType::LeftMouseDragged, *window, {handle.x, handle.y});
    EXPECT_EQ(window->frame(), Rect(100, 160, 120, 140));
}

TEST_F(QXBaseWindowTest, DragsThatStartNoResize) {
    const struct {
        const char* what;
        bool showHandle;
        Point down; // window coordinates
        bool fixed;
    } cases[] = {
        {"a mouse-down beside the handle", true, {280, 8}, false},
        {"a mouse-down on the hidden handle", false, {290, 8}, false},
        {"a fixed-size content", true, {290, 8}, true},
    };
    for (const auto& c : cases) {
        auto window = c.fixed ? makeSkinnedWindow({280, 160}, {280, 160})
                              : makeSkinnedWindow({100, 100}, {400, 300});
        window->frameView()->showResize(c.showHandle);
        const Rect before = window->frame();
        const Point start = window->convertBaseToScreen(c.down);
        mouseAtScreen(EventType::LeftMouseDown, *window, start);
        mouseAtScreen(EventType::LeftMouseDragged, *window, {start.x + 60, start.y - 60});
        mouseAtScreen(EventType::LeftMouseUp, *window, {start.x + 60, start.y - 60});
        EXPECT_EQ(window->frame(), before) << c.what;
    }
}

TEST_F(QXBaseWindowTest, SettingTheShownContentViewAgainChangesNothing) {
    auto window = makeSkinnedWindow({100, 100}, {400, 300});
    content->setFrame(Rect(0, 0, 50, 50));
    window->setContentView(content);
    EXPECT_EQ(content->frame(), Rect(0, 0, 50, 50));
    EXPECT_EQ(window->contentView(), content.get());

    // Another view replaces it in the frame view.
    auto next = make<QXContentView>(Rect(0, 0, 5, 5));
    window->setContentView(next);
    EXPECT_EQ(content->superview(), nullptr);
    EXPECT_EQ(next->superview(), window->frameView());
    EXPECT_EQ(next->frame(), Rect(10, 10, 280, 160));
    EXPECT_EQ(next->autoresizingMask(), 18u);
    // It follows the window's size.
    window->setFrame(Rect(100, 100, 320, 220), true);
    EXPECT_EQ(next->frame(), Rect(10, 10, 300, 180));
}

TEST_F(QXBaseWindowTest, SkinSettersNeedAStandardFrameView) {
    auto window = makeWindow();
    auto plainFrame = make<QXBaseFrameView>(Rect(0, 0, 1, 1));
    window->setFrameView(plainFrame);
    auto view = make<QXContentView>(Rect(0, 0, 5, 5));
    window->setContentView(view);
    window->setBkgMarginsLeft(10, 10, 30, 10);
    EXPECT_EQ(window->frameView(), plainFrame.get());
    EXPECT_EQ(plainFrame->frame(), Rect(0, 0, 300, 200));
    EXPECT_EQ(window->contentRectForFrameRect(Rect(0, 0, 300, 200)), Rect(0, 0, 300, 200));
    EXPECT_EQ(view->frame(), Rect(0, 0, 300, 200));

    // Installing a standard frame view moves the content into it.
    auto standard = make<QXFrameView>(Rect());
    standard->setMarginsLeft(5, 5, 5, 5);
    window->setFrameView(standard);
    EXPECT_EQ(view->superview(), standard.get());
    EXPECT_EQ(standard->frame(), Rect(0, 0, 300, 200));
    EXPECT_EQ(window->contentSize(), Size(290, 190));
}

TEST_F(QXBaseWindowTest, KeyStatusCanBeRefused) {
    auto window = makeWindow();
    EXPECT_TRUE(window->canBecomeKeyWindow());
    window->setAllowKeyWindow(false);
    EXPECT_FALSE(window->canBecomeKeyWindow());
    auto borderless = make<QXBaseWindow>(Rect(0, 0, 10, 10), platform::BorderlessWindowMask);
    EXPECT_FALSE(borderless->canBecomeKeyWindow()); // the platform's answer for borderless
}

TEST_F(QXBaseWindowTest, TogglingTheToolbarKeepsTheWindowWithinItsLimits) {
    // Content 100 x 100 to 400 x 300 with margins (10, 10, 30, 10): the frame may be 140 to
    // 340 high with the toolbar shown, 300 without it.
    const struct {
        const char* what;
        double height;
        bool shownBefore;
        bool contentHasToolbar;
        double heightAfter;
        bool shownAfter;
    } cases[] = {
        // Showing: no room for the 100-point allowance, so the window first gives it up.
        {"showing with the window near its maximum", 250, false, true, 200, true},
        {"showing with room to spare", 150, false, true, 150, true},
        // Hiding: the window first comes within 5 points of the limit with the toolbar,
        // then is cut to the limit without it.
        {"hiding with the window beyond the limit without a toolbar", 330, true, true, 300, false},
        {"hiding with the window within every limit", 200, true, true, 200, false},
        // Content without a toolbar: the window's toolbar is only hidden.
        {"content without a toolbar", 250, true, false, 250, false},
    };
    for (const auto& c : cases) {
        auto window = makeSkinnedWindow({100, 100}, {400, 300});
        auto toolbar =
            std::make_shared<QXToolBar>(std::make_shared<platform::View>(Rect(0, 0, 200, 30)));
        if (c.contentHasToolbar)
            content->setToolbar(toolbar);
        window->setToolbar(toolbar->nativeToolbar());
        toolbar->nativeToolbar()->setVisible(c.shownBefore);
        window->setFrame(Rect(100, 100, 300, c.height), true);
        EXPECT_EQ(window->toolbarVisible(), c.shownBefore && c.contentHasToolbar) << c.what;

        window->toggleToolbarShown(nullptr);
        EXPECT_EQ(toolbar->nativeToolbar()->isVisible(), c.shownAfter) << c.what;
        // The top edge stays where it was.
        EXPECT_EQ(window->frame(), Rect(100, 100 + c.height - c.heightAfter, 300, c.heightAfter))
            << c.what << ": " << platform::stringFromRect(window->frame());
    }
}

TEST_F(QXBaseWindowTest, AShownToolbarLiftsTheFortyPointCut) {
    auto window = makeSkinnedWindow({100, 100}, {400, 300});
    auto toolbar =
        std::make_shared<QXToolBar>(std::make_shared<platform::View>(Rect(0, 0, 200, 30)));
    content->setToolbar(toolbar);
    window->setToolbar(toolbar->nativeToolbar());
    EXPECT_TRUE(window->toolbarVisible());
    EXPECT_TRUE(sizeNear(window->windowWillResize(*window, {900, 900}), {420, 340}));
    toolbar->nativeToolbar()->setVisible(false);
    EXPECT_TRUE(sizeNear(window->windowWillResize(*window, {900, 900}), {420, 300}));
}

// Stand-ins for the text-field classes that share a window's editors.
class SearchLikeField : public platform::View {
public:
    using View::View;
};
class SearchLikeSubclass : public SearchLikeField {
public:
    using SearchLikeField::SearchLikeField;
};
class NoCopyPasteLikeField : public platform::View {
public:
    using View::View;
};

TEST_F(QXBaseWindowTest, SharedFieldEditorsGoByTheFieldsExactClass) {
    QXBaseWindow::registerSharedFieldEditorClass(typeid(SearchLikeField), true);
    QXBaseWindow::registerSharedFieldEditorClass(typeid(NoCopyPasteLikeField), false);
    auto window = makeWindow();
    SearchLikeField search(Rect(5, 6, 70, 20));
    SearchLikeField otherSearch(Rect(0, 0, 10, 10));
    NoCopyPasteLikeField barred(Rect(1, 2, 30, 20));
    SearchLikeSubclass subclass(Rect(0, 0, 10, 10));

    // Nothing is made without the create flag.
    EXPECT_EQ(window->fieldEditor(false, &search), window->Window::fieldEditor(false, &search));

    auto* shared = dynamic_cast<QXGenericFieldEditor*>(window->fieldEditor(true, &search));
    ASSERT_NE(shared, nullptr);
    EXPECT_TRUE(shared->allowCopyPaste());
    EXPECT_EQ(shared->frame(), Rect(5, 6, 70, 20));
    EXPECT_EQ(window->fieldEditor(false, &otherSearch), shared);

    auto* noCopy = dynamic_cast<QXGenericFieldEditor*>(window->fieldEditor(true, &barred));
    ASSERT_NE(noCopy, nullptr);
    EXPECT_NE(noCopy, shared);
    EXPECT_FALSE(noCopy->allowCopyPaste());
    EXPECT_EQ(window->fieldEditor(true, &barred), noCopy);

    // A subclass is not the class: it edits in the window's own editor.
    EXPECT_EQ(window->fieldEditor(true, &subclass), window->Window::fieldEditor(true, &subclass));
    EXPECT_NE(window->fieldEditor(true, &subclass), shared);

    // Each window has editors of its own.
    auto second = makeWindow();
    EXPECT_NE(second->fieldEditor(true, &search), shared);

    QXBaseWindow::unregisterSharedFieldEditorClass(typeid(SearchLikeField));
    QXBaseWindow::unregisterSharedFieldEditorClass(typeid(NoCopyPasteLikeField));
}

// A view that notes the hit tests it is asked.
class ObserverView : public platform::View {
public:
    using View::View;
    View* hitTest(Point point) override {
        asked.push_back(point);
        return View::hitTest(point);
    }
    std::vector<Point> asked;
};

TEST_F(QXBaseWindowTest, ObserverViewsHearEveryMouseDownAndNothingElse) {
    auto window = makeSkinnedWindow({100, 100}, {400, 300});
    window->orderFront(nullptr);
    auto observer = std::make_shared<ObserverView>(Rect(0, 0, 10, 10));
    window->addObserverView(observer.get());
    window->addObserverView(observer.get());

    mouse(EventType::LeftMouseDown, *window, {150, 100});
    mouse(EventType::LeftMouseUp, *window, {150, 100});
    mouse(EventType::RightMouseDown, *window, {5, 5});
    send(Event::scrollWheelEvent({150, 100}, 0, 1, 0, window.get()));
    mouse(EventType::MouseMoved, *window, {20, 20});
    EXPECT_EQ(observer->asked, (std::vector<Point>{{150, 100}, {150, 100}, {5, 5}, {5, 5}}));

    // Removing takes out one occurrence at a time.
    observer->asked.clear();
    window->removeObserverView(observer.get());
    mouse(EventType::LeftMouseDown, *window, {1, 1});
    EXPECT_EQ(observer->asked.size(), 1u);
    window->removeObserverView(observer.get());
    EXPECT_TRUE(window->observerViews().empty());
    mouse(EventType::LeftMouseDown, *window, {1, 1});
    EXPECT_EQ(observer->asked.size(), 1u);
}

// A skinned window that notes what it hears as an observer window.
class FollowerWindow : public QXBaseWindow {
public:
    using QXBaseWindow::QXBaseWindow;
    void observedWindowWillResize(platform::Window& window, Size size) override {
        sizes.push_back(size);
        QXBaseWindow::observedWindowWillResize(window, size);
    }
    std::vector<Size> sizes;
};

TEST_F(QXBaseWindowTest, ObserverWindowsFollowAndHearOfResizes) {
    auto window = makeSkinnedWindow({100, 100}, {400, 300});
    auto follower = make<FollowerWindow>(Rect(50, 100, 40, 40), platform::ResizableWindowMask);
    window->addObserverWindow(follower.get());
    EXPECT_EQ(follower->parentWindow(), window.get());
    window->orderFront(nullptr);

    window->setContentSize({200, 150});
    ASSERT_EQ(follower->sizes.size(), 1u);
    EXPECT_TRUE(sizeNear(follower->sizes[0], {220, 190}));

    // The resize kept the top edge, moving the origin up by 10; the move adds (10, 10).
    window->setFrameOrigin({110, 120});
    EXPECT_EQ(follower->frame().origin, Point(60, 120));

    window->removeObserverWindow(follower.get());
    EXPECT_EQ(follower->parentWindow(), nullptr);
    EXPECT_TRUE(window->observerWindows().empty());
    window->setContentSize({250, 150});
    EXPECT_EQ(follower->sizes.size(), 1u);
}

} // namespace
} // namespace skinned_test
