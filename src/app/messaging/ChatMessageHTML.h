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

// How a kind of message is written: the font of text typed without one, how the characters
// of a run are escaped, and how links are written.
struct HTMLSettings {
    std::string defaultFontName = "Arial";
    double defaultFontSize = 12;
    // Runs and addresses with every entity, tabs and line breaks (a chat); otherwise only the
    // markup characters "&", "<" and ">" in runs, the address fully, and line breaks written
    // as <br> at the end (a broadcast).
    bool fullEntities = true;
    // The link's text styled like the rest, in an anchor with a single-quoted address (a
    // chat); otherwise the link's plain text in an anchor with a double-quoted address.
    bool styledLinks = true;
};
// A chat message's settings, and a broadcast's.
HTMLSettings chatHTMLSettings();
HTMLSettings broadcastHTMLSettings();

// The whole text as HTML.
std::string formSimpleHTML(const platform::AttributedString& text,
                           const HTMLSettings& settings = chatHTMLSettings());
// "&", "<" and ">" as entities, nothing else changed.
std::string escapeMarkup(std::string_view text);
// The text without leading and trailing blanks and line breaks, attributes kept; the empty
// text when nothing else is left.
platform::AttributedString trimmed(const platform::AttributedString& text);

} // namespace chat_html
