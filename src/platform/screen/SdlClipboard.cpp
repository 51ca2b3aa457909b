#include "platform/screen/SdlClipboard.h"

#include "platform/foundation/Log.h"

#include <SDL.h>
#include <string>

namespace platform {

std::optional<std::string> SdlClipboard::readString() {
    if (!SDL_HasClipboardText())
        return std::nullopt;
    char* text = SDL_GetClipboardText();
    if (!text)
        return std::nullopt;
    std::string result(text);
    SDL_free(text);
    return result;
}

void SdlClipboard::writeString(std::string_view text) {
    // SDL takes a C string: text after an embedded NUL cannot reach the clipboard.
    const std::string copy(text.substr(0, text.find('\0')));
    if (SDL_SetClipboardText(copy.c_str()) != 0)
        Log(std::string("The clipboard cannot be written: ") + SDL_GetError());
}

} // namespace platform
