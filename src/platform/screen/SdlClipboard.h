#pragma once

#include "platform/kit/Pasteboard.h"

namespace platform {

// The general pasteboard's text on the desktop's clipboard, through SDL (which must have its
// video started while this is installed; the SDL backend installs and removes it).
class SdlClipboard final : public PasteboardBackend {
public:
    std::optional<std::string> readString() override;
    void writeString(std::string_view text) override;
};

} // namespace platform
