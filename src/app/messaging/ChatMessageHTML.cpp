#include "app/messaging/ChatMessageHTML.h"

#include "platform/foundation/Format.h"
#include "support/HTMLEscaping.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace chat_html {

namespace {

constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

// The width of a blank (ASCII white space or a line or paragraph separator) at `i`, or 0.
std::size_t blankAt(std::string_view text, std::size_t i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        return 1;
    }
    const auto rest = text.substr(i);
    if (rest.starts_with(kLineSeparator) || rest.starts_with(kParagraphSeparator)) {
        return 3;
    }
    return 0;
}

// The address a word starting at `text` reads as, with the length it takes; nullopt when
// it is no address.
std::optional<std::pair<std::string, std::size_t>> addressAt(std::string_view text) {
    static constexpr std::array<std::string_view, 6> schemes{"http://", "https://", "ftp://",
                                                             "mailto:", "sip:",     "xmpp:"};
    std::string prefix;
    std::size_t minimum = 0;
    for (const auto scheme : schemes) {
        if (platform::startsWithIgnoringCase(text, scheme)) {
            minimum = scheme.size() + 1;
            break;
        }
    }
    if (!minimum && platform::startsWithIgnoringCase(text, "www.")) {
        minimum = 5;
        prefix = "http://";
    }
    if (!minimum) {
        return std::nullopt;
    }
    std::size_t end = 0;
    while (end < text.size() && !blankAt(text, end) && text[end] != '<' && text[end] != '>' &&
           text[end] != '"') {
        ++end;
    }
    while (end > 0 &&
           std::string_view(".,;:!?)]}'").find(text[end - 1]) != std::string_view::npos) {
        --end;
    }
    if (end < minimum) {
        return std::nullopt;
    }
    return std::pair{prefix + std::string(text.substr(0, end)), end};
}

void outputNonUrlHtml(std::string& out, const platform::AttributedString& text,
                      const HTMLSettings& settings) {
    for (const auto& run : text.runs()) {
        if (run.range.length == 0) {
            continue;
        }
        const auto& attributes = run.attributes;
        const platform::Font font =
            attributes.font
                ? *attributes.font
                : platform::Font::fontWithName(settings.defaultFontName, settings.defaultFontSize);
        out += "<span style=\" color: ";
        out += cssHexColorString(attributes.foregroundColor);
        if (attributes.underlineStyle && *attributes.underlineStyle > 0) {
            out += "; text-decoration: underline";
        }
        if (font.isItalic()) {
            out += "; font-style:italic";
        }
        if (font.isBold()) {
            out += "; font-weight:bold";
        }
        out += "; font-size: ";
        out += sizeText(font.pointSize());
        out += "px\"><font face=\"";
        out += escapeHtmlEntities(font.fontName());
        out += "\">";
        const auto characters =
            std::string_view(text.string()).substr(run.range.location, run.range.length);
        out += settings.fullEntities ? escapeHtmlEntities(characters) : escapeMarkup(characters);
        out += "</font></span>";
    }
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    std::size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

} // namespace

HTMLSettings chatHTMLSettings() {
    return {};
}

HTMLSettings broadcastHTMLSettings() {
    HTMLSettings settings;
    settings.defaultFontSize = 11;
    settings.fullEntities = false;
    settings.styledLinks = false;
    return settings;
}

std::string escapeMarkup(std::string_view text) {
    return escapedHTMLText(text, false);
}

std::string escapeHtmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\t':
            out += "    ";
            break;
        case '\n':
            out += "<br/>";
            break;
        default:
            if (text.substr(i).starts_with(kLineSeparator)) {
                out += "<br/>";
                i += kLineSeparator.size() - 1;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string cssHexColorString(const std::optional<platform::Color>& color) {
    const auto component = [](double value) {
        const double clamped = std::clamp(value, 0.0, 1.0);
        return static_cast<unsigned>(std::lround(clamped * 255));
    };
    const platform::Color c = color.value_or(platform::Color(0, 0, 0, 1));
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%2.2x%2.2x%2.2x", component(c.redComponent()),
                  component(c.greenComponent()), component(c.blueComponent()));
    return buffer;
}

std::string sizeText(double size) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, size);
    return std::string(buffer, result.ptr);
}

std::optional<FoundURL> findURL(const platform::AttributedString& text, std::size_t from) {
    const std::string_view string = text.string();
    // A link attribute wins where it starts before any typed address.
    std::optional<FoundURL> linked;
    for (const auto& run : text.runs()) {
        if (run.range.end() <= from || !run.attributes.link || run.attributes.link->empty()) {
            continue;
        }
        const std::size_t start = std::max(run.range.location, from);
        linked = FoundURL{{start, run.range.end() - start}, *run.attributes.link};
        break;
    }
    const std::size_t limit = linked ? linked->range.location : string.size();
    bool wordStart = true;
    for (std::size_t i = from; i < limit; ++i) {
        if (const auto blank = blankAt(string, i)) {
            wordStart = true;
            i += blank - 1;
            continue;
        }
        if (wordStart) {
            if (auto address = addressAt(string.substr(i, limit - i))) {
                return FoundURL{{i, address->second}, std::move(address->first)};
            }
        }
        wordStart = string[i] == '(' || string[i] == '<' || string[i] == '"';
    }
    return linked;
}

std::string formSimpleHTML(const platform::AttributedString& text, const HTMLSettings& settings) {
    std::string out;
    out.reserve(text.length() * 2);
    std::size_t position = 0;
    while (position < text.length()) {
        const auto found = findURL(text, position);
        if (!found || found->range.length == 0) {
            outputNonUrlHtml(
                out, text.attributedSubstringFromRange({position, text.length() - position}),
                settings);
            break;
        }
        if (found->range.location > position) {
            outputNonUrlHtml(
                out,
                text.attributedSubstringFromRange({position, found->range.location - position}),
                settings);
        }
        // The address is escaped like text, so a quote cannot end the attribute.
        if (settings.styledLinks) {
            out += "<a href='";
            out += escapeHtmlEntities(found->url);
            out += "'>";
            outputNonUrlHtml(out, text.attributedSubstringFromRange(found->range), settings);
        } else {
            out += "<a href=\"";
            out += escapeHtmlEntities(found->url);
            out += "\">";
            out += escapeMarkup(
                std::string_view(text.string()).substr(found->range.location, found->range.length));
        }
        out += "</a>";
        position = found->range.end();
    }
    if (!settings.fullEntities) {
        out = replaceAll(replaceAll(std::move(out), "\n", "<br>"), kLineSeparator, "<br>");
    }
    return out;
}

platform::AttributedString trimmed(const platform::AttributedString& text) {
    const std::string_view string = text.string();
    std::size_t start = 0;
    while (start < string.size()) {
        const auto blank = blankAt(string, start);
        if (!blank) {
            break;
        }
        start += blank;
    }
    std::size_t end = string.size();
    while (end > start) {
        if (blankAt(string, end - 1)) {
            --end;
        } else if (end - start >= 3 && blankAt(string, end - 3) == 3) {
            end -= 3;
        } else {
            break;
        }
    }
    if (end <= start) {
        return {};
    }
    return text.attributedSubstringFromRange({start, end - start});
}

} // namespace chat_html
