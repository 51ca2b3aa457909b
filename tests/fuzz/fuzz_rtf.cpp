// RTF as word processors write it for short formatted texts (the About box's credits). Any
// input reads as UTF-8 text whose attribute runs cover it, and lays out.

#include "FuzzSupport.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"
#include "support/RTFReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto text = attributedStringFromRTF(fuzz::text(data, size));
    if (!text)
        return 0;
    FUZZ_CHECK(fuzz::isUtf8(text->string()));
    std::size_t covered = 0;
    for (const auto& run : text->runs()) {
        FUZZ_CHECK(run.range.location == covered);
        FUZZ_CHECK(run.range.end() <= text->length());
        covered = run.range.end();
    }
    FUZZ_CHECK(text->runs().empty() || covered == text->length());

    static auto context = platform::GraphicsContext::bitmapContext(64, 64);
    platform::ContextScope scope(*context);
    const platform::TextLayout layout(*text, 300);
    layout.usedRect();
    layout.drawAtTopLeft({0, 64});
    return 0;
}
