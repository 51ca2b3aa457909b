// Seeded random property strings thrown at the image button: recognised keys, brackets,
// commas, numbers of every shape, gradient texts and stray bytes. The parser must never crash
// or read out of bounds, must leave the button drawable with finite geometry, and must give
// the same result however often a string is applied. LUMIQ_FUZZ_ITERATIONS and
// LUMIQ_FUZZ_SEED lengthen or vary a run; by default it is bounded to a few seconds.

#include "platform/graphics/GraphicsContext.h"
#include "widgets/QXImageButton.h"
#include "widgets/QXImageButtonCell.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> keys = {
    "size[",
    "inset[",
    "border[",
    "disabledbordercolor[",
    "onstatebordercolor[",
    "offstatebordercolor[",
    "pressedstatebordercolor[",
    "hoverstatebordercolor[",
    "disabledimagefraction[",
    "onstateimagefraction[",
    "offstateimagefraction[",
    "pressedstateimagefraction[",
    "hoverstateimagefraction[",
    "disabledgradient[",
    "onstategradient[",
    "offstategradient[",
    "pressedstategradient[",
    "hoverstategradient[",
    "badgecolor[",
    "SIZE[",
    "Border[",
    "OnStateGradient[",
};

const std::vector<std::string> tokens = {
    "[",
    "]",
    "]",
    ",",
    ",",
    ",",
    " ",
    "\t",
    "-",
    "+",
    ".",
    "0",
    "1",
    "0.5",
    "40",
    "-3",
    "1e39",
    "-1e39",
    "1e-45",
    "nan",
    "inf",
    "0x1p3",
    "99999999999999999999999",
    "linear@",
    "radial@(",
    "@",
    ":",
    "c(",
    ")",
    "é",
    "日本",
    "\xff",
    "\xc3",
    std::string(1, '\0'),
};

std::size_t iterations() {
    if (const char* text = std::getenv("LUMIQ_FUZZ_ITERATIONS"))
        return std::strtoul(text, nullptr, 10);
    return 5000;
}

std::uint32_t seed() {
    if (const char* text = std::getenv("LUMIQ_FUZZ_SEED"))
        return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
    return 20240611;
}

class PropertySource {
public:
    explicit PropertySource(std::uint32_t s) : random_(s) {}

    // Items that are mostly well formed, with the odd missing bracket or extra value, joined
    // with or without noise between them.
    std::string next() {
        std::string text;
        const int items = pick(0, 8);
        for (int i = 0; i < items; ++i) {
            if (pick(0, 4) == 0)
                text += noise();
            text += keys[static_cast<std::size_t>(pick(0, int(keys.size()) - 1))];
            if (pick(0, 3) == 0) {
                text += gradient();
            } else {
                const int values = pick(0, 5);
                for (int v = 0; v < values; ++v)
                    text += (v ? "," : "") + number();
            }
            if (pick(0, 6) != 0)
                text += "]";
        }
        if (pick(0, 3) == 0)
            text += noise();
        return text;
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

private:
    std::string noise() {
        std::string text;
        const int pieces = pick(1, 6);
        for (int i = 0; i < pieces; ++i) {
            if (pick(0, 5) == 0)
                text += static_cast<char>(pick(0, 255));
            else
                text += tokens[static_cast<std::size_t>(pick(0, int(tokens.size()) - 1))];
        }
        return text;
    }

    std::string number() {
        switch (pick(0, 3)) {
        case 0:
            return std::to_string(pick(-5, 50));
        case 1:
            return " " + std::to_string(std::uniform_real_distribution<double>(-2, 2)(random_));
        case 2:
            return std::to_string(std::uniform_real_distribution<double>(-500, 500)(random_));
        default:
            return noise();
        }
    }

    std::string gradient() {
        std::string text = pick(0, 1) ? "linear@" + number() + ":" : "radial@(0.5,0.5):";
        const int stops = pick(0, 3);
        for (int i = 0; i < stops; ++i)
            text += "c(" + number() + "," + number() + "," + number() + "," + number() + ")@" +
                    number() + (i + 1 < stops ? "," : "");
        return text;
    }

    std::mt19937 random_;
};

bool finiteColor(const platform::Color& c) {
    return std::isfinite(c.redComponent()) && std::isfinite(c.greenComponent()) &&
           std::isfinite(c.blueComponent()) && std::isfinite(c.alphaComponent());
}

// Everything a property string can change, for comparing two buttons.
struct Snapshot {
    platform::Size size;
    QXMargin margins;
    float border;
    std::vector<platform::Color> colors;
    std::vector<float> fractions;
    // Stops of each state's gradient, -1 for none.
    std::vector<long> gradients;

    static Snapshot of(QXImageButton& button) {
        const QXImageButtonCell& c = *button.imageCell();
        return {button.frame().size,
                c.margins(),
                c.borderWidth(),
                {c.dsBorderColor(), c.osBorderColor(), c.fsBorderColor(), c.psBorderColor(),
                 c.hsBorderColor(), c.badgeColor()},
                {c.dsFraction(), c.osFraction(), c.fsFraction(), c.psFraction(), c.hsFraction()},
                {stops(c.dsGradient()), stops(c.osGradient()), stops(c.fsGradient()),
                 stops(c.psGradient()), stops(c.hsGradient())}};
    }
    static long stops(const std::shared_ptr<QXGradient>& gradient) {
        return gradient ? long(gradient->numberOfColorStops()) : -1;
    }
    // Gradients are compared by whether they exist and their stops, not by identity.
    friend bool sameExceptGradientIdentity(const Snapshot& a, const Snapshot& b) {
        if (!(a.size == b.size && a.margins == b.margins && a.colors == b.colors &&
              a.gradients == b.gradients))
            return false;
        const auto sameFloat = [](float x, float y) { return x == y || (x != x && y != y); };
        if (!sameFloat(a.border, b.border))
            return false;
        for (std::size_t i = 0; i < a.fractions.size(); ++i)
            if (!sameFloat(a.fractions[i], b.fractions[i]))
                return false;
        return true;
    }
};

} // namespace

TEST(ImageButtonPropertyFuzz, RandomPropertyStringsNeverBreakTheButton) {
    PropertySource source(seed());
    auto context = platform::GraphicsContext::bitmapContext(64, 64);
    platform::ContextScope scope(*context);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const std::size_t count = iterations();

    std::size_t rounds = 0, resized = 0, gradientsGone = 0;
    for (std::size_t i = 0; i < count && std::chrono::steady_clock::now() < deadline; ++i) {
        ++rounds;
        const std::string text = source.next();
        SCOPED_TRACE(testing::Message() << "iteration " << i << " text \"" << text << "\"");

        auto button = platform::make<QXImageButton>(platform::Rect(2, 3, 20, 20));
        button->setTitle("7");
        button->setProperties(text);
        const platform::Size size = button->frame().size;
        ASSERT_TRUE(std::isfinite(size.width) && std::isfinite(size.height));
        ASSERT_GE(size.width, 0);
        ASSERT_GE(size.height, 0);
        ASSERT_EQ(button->frame().origin, platform::Point(2, 3));
        if (size != platform::Size(20, 20))
            ++resized;

        const QXImageButtonCell& c = *button->imageCell();
        ASSERT_TRUE(std::isfinite(c.borderWidth()));
        ASSERT_TRUE(std::isfinite(c.margins().left) && std::isfinite(c.margins().right) &&
                    std::isfinite(c.margins().top) && std::isfinite(c.margins().bottom));
        for (const auto& color : {c.dsBorderColor(), c.osBorderColor(), c.fsBorderColor(),
                                  c.psBorderColor(), c.hsBorderColor(), c.badgeColor()})
            ASSERT_TRUE(finiteColor(color));
        for (float f :
             {c.dsFraction(), c.osFraction(), c.fsFraction(), c.psFraction(), c.hsFraction()})
            ASSERT_TRUE(std::isfinite(f));
        if (!c.fsGradient() || !c.osGradient())
            ++gradientsGone;

        // Applying the string again changes nothing more.
        const Snapshot once = Snapshot::of(*button);
        button->setProperties(text);
        ASSERT_TRUE(sameExceptGradientIdentity(once, Snapshot::of(*button)));

        if (i % 8 == 0 && size.width <= 200 && size.height <= 200) {
            button->setFrameOrigin(platform::Point(0, 0));
            button->drawHierarchy(button->frame());
            button->imageCell()->setState(platform::OnState);
            button->imageCell()->setHighlighted(true);
            button->drawHierarchy(button->frame());
        }
    }
    // The generator must reach the interesting paths, however many rounds a slow machine ran.
    EXPECT_GT(resized, rounds / 50);
    EXPECT_GT(gradientsGone, rounds / 50);
}
