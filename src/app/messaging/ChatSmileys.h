#pragma once

#include <string>
#include <string_view>
#include <vector>

// The smileys of the chat windows: the code the smiley menu inserts, the menu label, and the
// codes a transcript shows as the smiley's picture.
class ChatSmileys {
public:
    struct Smiley {
        std::string_view name;               // also the picture's resource name
        std::string_view code;               // what the menu inserts
        std::string_view labelKey;           // the label's text key
        std::string_view label;              // its English text
        std::vector<std::string_view> codes; // shown as the picture
    };

    // In menu order. Happy is replaced after all the others, so that ":-))" is Laughing and
    // not Happy followed by ")".
    static const std::vector<Smiley>& all();
    // The file URL of the smiley's picture ("" when the bundle lacks it).
    static std::string imageURL(std::string_view name);
    // The smiley whose picture lives at `path` (a path or file URL, compared ignoring case),
    // or nullptr.
    static const Smiley* smileyForImagePath(std::string_view path);

    // Characters without which a text holds no smiley.
    static bool mayHoldSmiley(std::string_view text);
    // Replaces every code in the text (no markup in it) with the picture's img element; the
    // text is left as it is when nothing is replaced. Words that are addresses keep their
    // characters.
    static std::string replaceInText(std::string_view text);
    // The same over well-formed markup: only text between tags changes, never a tag or an
    // attribute value.
    static std::string replaceInMarkup(std::string_view markup);
};
