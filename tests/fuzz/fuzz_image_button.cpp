// Image-button property strings ("size[40,40] border[1] onstategradient[linear@90:...]"). The
// button keeps its origin and finite, non-negative geometry, colours and fractions, applying a
// string twice changes nothing more, and the button still draws.

#include "FuzzSupport.h"
#include "platform/graphics/GraphicsContext.h"
#include "widgets/QXImageButton.h"
#include "widgets/QXImageButtonCell.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

bool finiteColor(const platform::Color& c) {
    return std::isfinite(c.redComponent()) && std::isfinite(c.greenComponent()) &&
           std::isfinite(c.blueComponent()) && std::isfinite(c.alphaComponent());
}

long stops(const std::shared_ptr<QXGradient>& gradient) {
    return gradient ? long(gradient->numberOfColorStops()) : -1;
}

bool sameFloat(float x, float y) {
    return x == y || (std::isnan(x) && std::isnan(y));
}

// Everything a property string can change; gradients by their stops, not their identity.
struct Snapshot {
    platform::Size size;
    QXMargin margins;
    float border;
    std::vector<platform::Color> colors;
    std::vector<float> fractions;
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

    bool operator==(const Snapshot& o) const {
        if (!(size == o.size && margins == o.margins && colors == o.colors &&
              gradients == o.gradients && sameFloat(border, o.border)))
            return false;
        for (std::size_t i = 0; i < fractions.size(); ++i)
            if (!sameFloat(fractions[i], o.fractions[i]))
                return false;
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto context = platform::GraphicsContext::bitmapContext(64, 64);
    platform::ContextScope scope(*context);
    const std::string text(fuzz::text(data, size));

    auto button = platform::make<QXImageButton>(platform::Rect(2, 3, 20, 20));
    button->setTitle("7");
    button->setProperties(text);
    const platform::Size frameSize = button->frame().size;
    FUZZ_CHECK(std::isfinite(frameSize.width) && std::isfinite(frameSize.height));
    FUZZ_CHECK(frameSize.width >= 0 && frameSize.height >= 0);
    FUZZ_CHECK(button->frame().origin == platform::Point(2, 3));

    const QXImageButtonCell& c = *button->imageCell();
    FUZZ_CHECK(std::isfinite(c.borderWidth()));
    FUZZ_CHECK(std::isfinite(c.margins().left) && std::isfinite(c.margins().right) &&
               std::isfinite(c.margins().top) && std::isfinite(c.margins().bottom));
    for (const auto& color : {c.dsBorderColor(), c.osBorderColor(), c.fsBorderColor(),
                              c.psBorderColor(), c.hsBorderColor(), c.badgeColor()})
        FUZZ_CHECK(finiteColor(color));
    for (float f : {c.dsFraction(), c.osFraction(), c.fsFraction(), c.psFraction(), c.hsFraction()})
        FUZZ_CHECK(std::isfinite(f));

    const Snapshot once = Snapshot::of(*button);
    button->setProperties(text);
    FUZZ_CHECK(once == Snapshot::of(*button));

    if (frameSize.width <= 200 && frameSize.height <= 200) {
        button->setFrameOrigin(platform::Point(0, 0));
        button->drawHierarchy(button->frame());
        button->imageCell()->setState(platform::OnState);
        button->imageCell()->setHighlighted(true);
        button->drawHierarchy(button->frame());
    }
    return 0;
}
