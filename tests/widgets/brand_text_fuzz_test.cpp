// Seeded random texts thrown at every brand-text reader: points, sizes, rectangles, margins,
// colours, gradient texts and outline commands. The readers must never crash, read out of
// bounds or produce values that break drawing. LUMIQ_FUZZ_ITERATIONS and LUMIQ_FUZZ_SEED
// lengthen or vary a run; by default it is bounded to a few seconds.

#include "platform/graphics/GraphicsContext.h"
#include "support/BrandText.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> tokens = {
    "linear",
    "radial",
    "LINEAR",
    "@",
    "@",
    ":",
    ":",
    "c(",
    "C(",
    "(",
    ")",
    ")",
    ",",
    ",",
    ",",
    " ",
    "  ",
    "\t",
    "m",
    "l",
    "c",
    "M",
    "p(",
    "P(",
    "a(",
    "A(",
    "h1(",
    "h2(",
    "H1(",
    "-",
    "+",
    ".",
    "0",
    "1",
    "0.5",
    "-90.0",
    "45",
    "1e39",
    "-1e39",
    "1e-45",
    "3.4028235e38",
    "nan",
    "inf",
    "0x1p3",
    "99999999999999999999999",
    "000000.000001",
    "é",
    "日本",
    "😀",
    "\xff",
    "\xc3",
    std::string(1, '\0'),
};

std::size_t iterations() {
    if (const char* text = std::getenv("LUMIQ_FUZZ_ITERATIONS"))
        return std::strtoul(text, nullptr, 10);
    return 20000;
}

std::uint32_t seed() {
    if (const char* text = std::getenv("LUMIQ_FUZZ_SEED"))
        return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
    return 20240611;
}

class TextSource {
public:
    explicit TextSource(std::uint32_t s) : random_(s) {}

    std::string next() {
        std::string text;
        const int pieces = pick(0, 24);
        for (int i = 0; i < pieces; ++i) {
            if (pick(0, 9) == 0)
                text += static_cast<char>(pick(0, 255));
            else
                text += tokens[static_cast<std::size_t>(pick(0, int(tokens.size()) - 1))];
        }
        return text;
    }

    // A well-formed gradient or command with random numbers, so valid paths are covered too.
    std::string wellFormedGradient() {
        std::string text =
            pick(0, 1) ? "linear@" + number() + ":" : "radial@(" + number() + "," + number() + "):";
        const int stops = pick(0, 5);
        for (int i = 0; i < stops; ++i)
            text += "c(" + number() + "," + number() + "," + number() + "," + number() + ")@" +
                    number() + ",";
        return text;
    }

    std::string wellFormedCommand() {
        const char* kinds[] = {"m", "l", "c"};
        return std::string(kinds[pick(0, 2)]) + " p(" + number() + "," + number() + ") h1(" +
               number() + "," + number() + ") h2(" + number() + "," + number() + ") a(" + number() +
               "," + number() + ")";
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

private:
    std::string number() {
        switch (pick(0, 3)) {
        case 0:
            return std::to_string(pick(-5, 5));
        case 1:
            return std::to_string(std::uniform_real_distribution<double>(-2, 2)(random_));
        case 2:
            return std::to_string(std::uniform_real_distribution<double>(-500, 500)(random_));
        default:
            return tokens[static_cast<std::size_t>(pick(0, int(tokens.size()) - 1))];
        }
    }

    std::mt19937 random_;
};

bool notNaN(const platform::Color& c) {
    return !std::isnan(c.redComponent()) && !std::isnan(c.greenComponent()) &&
           !std::isnan(c.blueComponent()) && !std::isnan(c.alphaComponent());
}

bool finite(const platform::Rect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

} // namespace

TEST(BrandTextFuzz, RandomTextsNeverBreakTheReaders) {
    TextSource source(seed());
    auto context = platform::GraphicsContext::bitmapContext(16, 16);
    platform::ContextScope scope(*context);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const std::size_t count = iterations();

    std::size_t gradients = 0, vertices = 0;
    for (std::size_t i = 0; i < count && std::chrono::steady_clock::now() < deadline; ++i) {
        const int shape = source.pick(0, 3);
        const std::string text = shape == 0   ? source.wellFormedGradient()
                                 : shape == 1 ? source.wellFormedCommand()
                                              : source.next();
        SCOPED_TRACE(testing::Message() << "iteration " << i << " text \"" << text << "\"");

        const platform::Color color = colorWithRGBAfromString(text);
        ASSERT_TRUE(notNaN(color));
        const platform::Point point = valueWithPointFromString(text);
        ASSERT_FALSE(std::isnan(point.x) || std::isnan(point.y));
        const platform::Size size = valueWithSizeFromString(text);
        ASSERT_FALSE(std::isnan(size.width) || std::isnan(size.height));
        const platform::Rect rect = valueWithRectFromString(text);
        const QXMargin margin = valueWithMarginFromString(text);
        ASSERT_EQ(marginFromRectValue(rect), margin);

        // Writing and reading settle after one round: one decimal, same text.
        if (finite(rect)) {
            const std::string once = stringFromRectValue(rect);
            ASSERT_EQ(stringFromRectValue(valueWithRectFromString(once)), once);
            const std::string margins = stringFromMarginValue(margin);
            ASSERT_EQ(stringFromMarginValue(valueWithMarginFromString(margins)), margins);
        }

        if (const auto gradient = QXGradient::gradientFromString(text)) {
            ++gradients;
            ASSERT_GE(gradient->numberOfColorStops(), 1u);
            for (std::size_t s = 0; s < gradient->numberOfColorStops(); ++s) {
                platform::Color c;
                double location = 0;
                ASSERT_TRUE(gradient->getColor(&c, &location, s));
                ASSERT_TRUE(notNaN(c));
                ASSERT_EQ(static_cast<double>(static_cast<float>(location)), location);
            }
            if (i % 8 == 0) {
                gradient->drawInRect({0, 0, 16, 16});
                gradient->drawInBezierPath(
                    platform::BezierPath::bezierPathWithOvalInRect({2, 2, 12, 12}));
            }
        }

        QXOutlinePath outline;
        outline.parseCommand(text);
        outline.parseCommand(source.wellFormedCommand());
        vertices += outline.dataPoints().size();
        outline.setFrame({0, 0, 16, 16});
        ASSERT_LE(outline.bezierPath().elementCount(), 2 * outline.dataPoints().size() + 1);
        if (i % 8 == 0) {
            outline.bezierPath().containsPoint({8, 8});
            outline.bezierPath().bounds();
            outline.bezierPath().fill();
        }
    }
    // The generator must actually reach the interesting paths.
    EXPECT_GT(gradients, count / 10);
    EXPECT_GT(vertices, count / 2);
}
