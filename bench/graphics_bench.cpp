// Drawing and brand-text costs of a skinned window: a 320 x 600 background (a three-stop
// gradient filled in a rounded outline) rendered into an off-screen image, and the parsing of
// the brand texts it is made from.

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const std::string gradientText = "linear@90.0:c(0.39,0.39,0.39,1.0)@0.0,"
                                 "c(0.58,0.58,0.58,1.0)@0.22,c(0.60,0.60,0.60,1.0)@1.0";

// A window outline with corners of 8 points, anchored to the frame's corners.
const std::vector<std::string> outlineCommands = {
    "m p(8,0) a(0,0)",
    "l p(-8,0) a(1,0)",
    "c p(0,8) h1(-3.6,0) h2(0,3.6) a(1,0)",
    "l p(0,-8) a(1,1)",
    "c p(-8,0) h1(0,-3.6) h2(-3.6,0) a(1,1)",
    "l p(8,0) a(0,1)",
    "c p(0,-8) h1(3.6,0) h2(0,-3.6) a(0,1)",
    "l p(0,8) a(0,0)",
    "c p(8,0) h1(0,3.6) h2(3.6,0) a(0,0)",
};

void SkinnedBackgroundFrame(benchmark::State& state) {
    auto gradient = QXGradient::gradientFromString(gradientText);
    QXOutlinePath outline(outlineCommands);
    auto context = platform::GraphicsContext::bitmapContext(320, 600);
    platform::ContextScope scope(*context);
    for (auto _ : state) {
        context->clear();
        outline.setFrame({0, 0, 320, 600});
        gradient->drawInBezierPath(outline.bezierPath());
        context->flush();
    }
    state.SetLabel("320x600, reused buffer");
}
BENCHMARK(SkinnedBackgroundFrame)->Unit(benchmark::kMicrosecond);

void SkinnedBackgroundIntoNewImage(benchmark::State& state) {
    auto gradient = QXGradient::gradientFromString(gradientText);
    QXOutlinePath outline(outlineCommands);
    for (auto _ : state) {
        platform::Image image(platform::Size(320, 600));
        image.lockFocus();
        outline.setFrame({0, 0, 320, 600});
        gradient->drawInBezierPath(outline.bezierPath());
        image.unlockFocus();
        benchmark::DoNotOptimize(image.pixelsWide());
    }
    state.SetLabel("320x600, image made per frame");
}
BENCHMARK(SkinnedBackgroundIntoNewImage)->Unit(benchmark::kMicrosecond);

void ParseGradientText(benchmark::State& state) {
    for (auto _ : state) {
        auto gradient = QXGradient::gradientFromString(gradientText);
        benchmark::DoNotOptimize(gradient.get());
    }
}
BENCHMARK(ParseGradientText);

void ParseOutlineCommands(benchmark::State& state) {
    for (auto _ : state) {
        QXOutlinePath outline(outlineCommands);
        benchmark::DoNotOptimize(outline.dataPoints().data());
    }
    state.SetLabel("9 commands");
}
BENCHMARK(ParseOutlineCommands);

} // namespace
