#include "platform/foundation/RunLoop.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/ToolbarItem.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "widgets/QXToolBar.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using platform::Rect;
using platform::ToolbarDisplayMode;
using platform::ToolbarSizeMode;

TEST(QXToolBar, HostsOneViewAsItsOnlyItem) {
    auto view = std::make_shared<platform::View>(Rect{0, 0, 300, 44});
    QXToolBar bar(view);
    auto toolbar = bar.nativeToolbar();
    EXPECT_EQ(toolbar->identifier(), "MainToolbar");
    EXPECT_EQ(toolbar->delegate(), &bar);
    EXPECT_FALSE(toolbar->allowsUserCustomization());
    EXPECT_EQ(toolbar->sizeMode(), ToolbarSizeMode::Regular);
    EXPECT_EQ(toolbar->displayMode(), ToolbarDisplayMode::IconOnly);

    ASSERT_EQ(toolbar->items().size(), 1u);
    const auto& item = toolbar->items().front();
    EXPECT_EQ(item->itemIdentifier(), "CustomViewItem");
    EXPECT_EQ(item->label(), "");
    EXPECT_EQ(item->paletteLabel(), "");
    EXPECT_EQ(item->view(), view);
    EXPECT_EQ(item->minSize(), (platform::Size{300, 44}));
    EXPECT_EQ(item->maxSize(), (platform::Size{10000, 44}));
    EXPECT_EQ(bar.toolbarSelectableItemIdentifiers(*toolbar),
              std::vector<std::string>{"CustomViewItem"});
}

TEST(QXToolBar, MainToolbarIgnoresOtherModes) {
    QXToolBar bar(std::make_shared<platform::View>(Rect{0, 0, 100, 30}));
    auto toolbar = bar.nativeToolbar();
    toolbar->setDisplayMode(ToolbarDisplayMode::LabelOnly);
    toolbar->setDisplayMode(ToolbarDisplayMode::IconAndLabel);
    toolbar->setSizeMode(ToolbarSizeMode::Small);
    EXPECT_EQ(toolbar->displayMode(), ToolbarDisplayMode::IconOnly);
    EXPECT_EQ(toolbar->sizeMode(), ToolbarSizeMode::Regular);
}

TEST(QXToolBar, WindowShowsTheHostedViewAcrossItsTop) {
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(1));
    platform::setScreenBackend(nullptr);
    platform::WindowServer::shared().reset();
    {
        auto view = std::make_shared<platform::View>(Rect{0, 0, 300, 44});
        QXToolBar bar(view);
        auto window =
            platform::make<platform::Window>(Rect{50, 50, 500, 300}, platform::TitledWindowMask);
        window->setContentView(std::make_shared<platform::View>(Rect{0, 0, 500, 300}));
        window->setToolbar(bar.nativeToolbar());
        EXPECT_EQ(bar.nativeToolbar()->height(), 44);
        ASSERT_NE(view->superview(), nullptr);
        const Rect inWindow = view->convertRectToView(view->bounds(), nullptr);
        EXPECT_EQ(inWindow.maxY(), 300);
        EXPECT_GE(inWindow.width(), 300);
        window->setToolbar(nullptr);
    }
    platform::WindowServer::shared().reset();
    platform::RunLoop::resetMain();
}

} // namespace
