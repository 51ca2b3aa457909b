#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"

#include <optional>
#include <string>
#include <string_view>

// How composed rich text becomes the HTML a chat sends and shows: one styled span (with its
// font element) per run of equal attributes, links as anchors, entities escaped.
namespace chat_html {

// The markup characters as entities, tabs as four blanks, line breaks (newline and the line
// separator U+2028) as <br/>.
std::string escapeHtmlEntities(std::string_view text);
// The colour as CSS "#rrggbb" (lower-case hex); no colour is opaque black.
std::string cssHexColorString(const std::optional<platform::Color>& color);
// The point size as its shortest decimal text ("12", "13.5").
std::string sizeText(double size);

// A URL in the text: its byte range and the address it stands for.
struct FoundURL {
    platform::TextRange range;
    std::string url;
};
// The first link in the text at or after `from`: a run with a link attribute, or a word that
// reads as an address (a scheme such as http:, https:, ftp:, mailto:, or "www."); trailing
// punctuation is not part of a typed address.
std::optional<FoundURL> findURL(const platform::AttributedString& text, std::size_t from = 0);

// The whole text as HTML.
std::string formSimpleHTML(const platform::AttributedString& text);
// The text without leading and trailing blanks and line breaks, attributes kept; the empty
// text when nothing else is left.
platform::AttributedString trimmed(const platform::AttributedString& text);

} // namespace chat_html
