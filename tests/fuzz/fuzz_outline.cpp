// Outline commands, one a line ("m p(3.5,0.5) a(0,0)", "c p(..) h1(..) h2(..) a(..)"). The
// path has at most a move or curve per vertex and a close, and can be measured and filled.

#include "FuzzSupport.h"
#include "platform/graphics/GraphicsContext.h"
#include "widgets/QXOutlinePath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto context = platform::GraphicsContext::bitmapContext(16, 16);
    platform::ContextScope scope(*context);

    QXOutlinePath outline(fuzz::lines(fuzz::text(data, size)));
    for (const platform::Rect& frame : {platform::Rect(0, 0, 16, 16), platform::Rect(-3, 5, 0, 0),
                                        platform::Rect(0, 0, 1e6, 2)}) {
        outline.setFrame(frame);
        FUZZ_CHECK(outline.bezierPath().elementCount() <= 2 * outline.dataPoints().size() + 1);
    }
    outline.setFrame({0, 0, 16, 16});
    outline.bezierPath().containsPoint({8, 8});
    outline.bezierPath().bounds();
    outline.bezierPath().fill();
    return 0;
}
