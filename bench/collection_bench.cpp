// A stack of 200 panels in a collection view: the cost of one pass of layoutViews, which
// places every item, redraws the view into its window at once and reports the stacked size.
// Each panel paints a gradient in a rounded outline and a border, like the call panels and
// contact-editor sections built on the view.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "widgets/QXCollectionView.h"
#include "widgets/QXCollectionViewItem.h"
#include "widgets/QXGradient.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr int kItems = 200;
constexpr double kItemHeight = 22;

class PanelView : public platform::View {
public:
    PanelView(const platform::Rect& frame, std::shared_ptr<QXGradient> gradient)
        : View(frame), gradient_(std::move(gradient)) {}
    void drawRect(const platform::Rect& /*dirtyRect*/) override {
        const platform::Rect r = bounds().insetBy(0.5, 0.5);
        auto path = platform::BezierPath::bezierPathWithRoundedRect(r, 4, 4);
        gradient_->drawInBezierPath(path);
        platform::Color::colorWithCalibratedWhite(0.4, 1).set();
        path.stroke();
    }

private:
    std::shared_ptr<QXGradient> gradient_;
};

struct Stack {
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<QXCollectionView> collection;
};

// A 320 x 600 window showing the top of the stack (the rest lies below its edge), or the
// collection view alone when `inWindow` is false.
Stack makeStack(int layout, bool inWindow) {
    auto gradient = QXGradient::gradientFromString(
        "linear@-90.0:c(0.59,0.59,0.59,1.0)@0.0,c(0.86,0.86,0.86,1.0)@1.0");
    const double height = kItems * (kItemHeight + 4);
    Stack stack;
    stack.collection = platform::make<QXCollectionView>(
        layout == QXCollectionView::layoutTopDown ? platform::Rect(0, 600 - height, 320, height)
                                                  : platform::Rect(0, 0, kItems * 64.0, 600));
    stack.collection->setLayout(layout);
    stack.collection->setBackgroundGradient(gradient);
    if (inWindow) {
        stack.window = platform::make<platform::Window>(platform::Rect(100, 100, 320, 600),
                                                        platform::BorderlessWindowMask);
        stack.window->contentView()->addSubview(stack.collection);
    }
    for (int i = 0; i < kItems; ++i) {
        auto item = std::make_shared<QXCollectionViewItem>("panel" + std::to_string(i));
        item->setView(std::make_shared<PanelView>(platform::Rect(0, 0, 60, kItemHeight), gradient));
        item->setMargin(2, 2, 2, 2);
        item->setAlignment(i % 4);
        stack.collection->appendItem(item);
        item->view()->setHidden(false);
    }
    stack.collection->layoutViews();
    return stack;
}

void CollectionLayoutAndDraw(benchmark::State& state) {
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
    Stack stack = makeStack(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        stack.collection->layoutViews();
        benchmark::DoNotOptimize(stack.window->backingPixels().data);
    }
    state.SetLabel(state.range(0) == QXCollectionView::layoutTopDown
                       ? "200 items top-down, 320x600 window"
                       : "200 items left to right, 320x600 window");
}
BENCHMARK(CollectionLayoutAndDraw)
    ->Arg(QXCollectionView::layoutTopDown)
    ->Arg(QXCollectionView::layoutLeftToRight)
    ->Unit(benchmark::kMicrosecond);

// The placing alone, with no window to draw into.
void CollectionLayoutOnly(benchmark::State& state) {
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
    Stack stack = makeStack(QXCollectionView::layoutTopDown, false);
    for (auto _ : state) {
        stack.collection->layoutViews();
        benchmark::DoNotOptimize(stack.collection->requiredSize());
    }
    state.SetLabel("200 items top-down, no window");
}
BENCHMARK(CollectionLayoutOnly)->Unit(benchmark::kMicrosecond);

// The whole stack drawn: a window tall enough for all 200 panels.
void CollectionDrawWholeStack(benchmark::State& state) {
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
    Stack stack = makeStack(QXCollectionView::layoutTopDown, true);
    const double height = stack.collection->frame().height();
    stack.window->setFrame(platform::Rect(100, 100, 320, height), false);
    stack.collection->setFrameOrigin({0, 0});
    for (auto _ : state) {
        stack.collection->layoutViews();
        benchmark::DoNotOptimize(stack.window->backingPixels().data);
    }
    state.SetLabel("200 items top-down, all drawn (320x5200)");
}
BENCHMARK(CollectionDrawWholeStack)->Unit(benchmark::kMicrosecond);

} // namespace
