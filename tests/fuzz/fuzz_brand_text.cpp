// Brand texts: points, sizes, rectangles, margins and colours. The readers never produce NaN,
// and what the writers make of a reading reads back to the same text.

#include "FuzzSupport.h"
#include "support/BrandText.h"

#include <cmath>

namespace {

bool notNaN(const platform::Color& c) {
    return !std::isnan(c.redComponent()) && !std::isnan(c.greenComponent()) &&
           !std::isnan(c.blueComponent()) && !std::isnan(c.alphaComponent());
}

bool finite(const platform::Rect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::text(data, size));

    FUZZ_CHECK(notNaN(colorWithRGBAfromString(text)));
    const platform::Point point = valueWithPointFromString(text);
    FUZZ_CHECK(!std::isnan(point.x) && !std::isnan(point.y));
    const platform::Size sz = valueWithSizeFromString(text);
    FUZZ_CHECK(!std::isnan(sz.width) && !std::isnan(sz.height));
    const platform::Rect rect = valueWithRectFromString(&text);
    const QXMargin margin = valueWithMarginFromString(text);
    FUZZ_CHECK(marginFromRectValue(rect) == margin);
    brandFloatValue(text);
    trimBrandText(text);

    // Writing and reading settle after one round: one decimal, same text.
    if (finite(rect)) {
        const std::string once = stringFromRectValue(rect);
        FUZZ_CHECK(stringFromRectValue(valueWithRectFromString(once)) == once);
        const std::string margins = stringFromMarginValue(margin);
        FUZZ_CHECK(stringFromMarginValue(valueWithMarginFromString(margins)) == margins);
    }
    if (std::isfinite(point.x) && std::isfinite(point.y)) {
        const std::string once = stringFromPointValue(point);
        FUZZ_CHECK(stringFromPointValue(valueWithPointFromString(once)) == once);
    }
    return 0;
}
