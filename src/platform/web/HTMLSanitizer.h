#pragma once

#include <string>
#include <string_view>

namespace platform {

// Cleans HTML that came from the network before it reaches a DOM: formatting (text, blocks,
// lists, tables, fonts, colours, links, images) stays; whatever could run or reach out does
// not. Scripts, style sheets' active parts, frames, objects, embeds, forms, event-handler
// attributes, and addresses in javascript:, vbscript: or data: (other than pictures) are
// removed. Parsing uses the same forgiving parser as the DOM, so malformed and nested tags and
// entity tricks are read as the view would read them, never as the raw text suggests.
class HTMLSanitizer {
public:
    enum class Policy {
        // A web page: pictures and background images from the network may load.
        Page,
        // A chat transcript: nothing may be fetched either (remote pictures, backgrounds and
        // style sheets go), so a message cannot tell its sender when it was read.
        Transcript,
    };

    // A fragment (a message, an element's content): the cleaned fragment.
    static std::string sanitizeFragment(std::string_view html, Policy policy);
    // A whole page: the cleaned page.
    static std::string sanitizeDocument(std::string_view html, Policy policy);
    // Whether an address may be followed or loaded from a page (no script schemes).
    static bool isSafeURL(std::string_view url, bool forPicture = false);
};

} // namespace platform
