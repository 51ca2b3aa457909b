#include "app/messaging/ChatSmileys.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Format.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A word that is an address keeps its characters: "http://x/:P" has no tongue in it.
bool isAddressWord(std::string_view word) {
    const std::string lower = platform::lowercase(word);
    return lower.find("://") != std::string::npos || lower.starts_with("www.") ||
           lower.starts_with("mailto:") || lower.starts_with("sip:") || lower.starts_with("xmpp:");
}

// Codes in the order they are replaced: longest first inside the first table, the Happy
// codes last.
const std::vector<std::pair<std::string_view, std::string_view>>& replacementOrder() {
    static const auto order = [] {
        std::vector<std::pair<std::string_view, std::string_view>> first;
        std::vector<std::pair<std::string_view, std::string_view>> last;
        for (const auto& smiley : ChatSmileys::all()) {
            for (const auto code : smiley.codes) {
                (smiley.name == "Happy" ? last : first).emplace_back(code, smiley.name);
            }
        }
        std::stable_sort(first.begin(), first.end(), [](const auto& a, const auto& b) {
            return a.first.size() > b.first.size();
        });
        first.insert(first.end(), last.begin(), last.end());
        return first;
    }();
    return order;
}

// Walks the word once; at each place the first code of the replacement order that starts
// there becomes its picture, so nothing written is searched again.
std::string replaceInWord(std::string_view word) {
    std::string out;
    std::size_t i = 0;
    while (i < word.size()) {
        bool replaced = false;
        for (const auto& [code, name] : replacementOrder()) {
            if (word.substr(i).starts_with(code)) {
                out += "<img src=\"" + ChatSmileys::imageURL(name) + "\" />";
                i += code.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out += word[i++];
        }
    }
    return out;
}

} // namespace

const std::vector<ChatSmileys::Smiley>& ChatSmileys::all() {
    static const std::vector<Smiley> smileys{
        {"Angry", "X-(", "msg.imchat.smiley.angry", "Angry", {"X-(", "X("}},
        {"BigGrin", ":-D", "msg.imchat.smiley.biggrin", "BigGrin", {":-D", ":D"}},
        {"Cool", "8-)", "msg.imchat.smiley.cool", "Cool", {"8-)", "8)"}},
        {"Crying", ":'(", "msg.imchat.smiley.crying", "Crying", {":'("}},
        {"Devil", ":-@", "msg.imchat.smiley.devil", "Devil", {":-@", ":@"}},
        {"Happy", ":-)", "msg.imchat.smiley.happy", "Happy", {":-)", ":)"}},
        {"Laughing", ":))", "msg.imchat.smiley.laughing", "Laughing", {":-))", ":))"}},
        {"Sad", ":-(", "msg.imchat.smiley.sad", "Sad", {":-(", ":("}},
        {"Surprised", ":-O", "msg.imchat.smiley.surprised", "Surprised", {":-O", ":O"}},
        {"TongueOut", ":-P", "msg.imchat.smiley.tongueout", "TongueOut", {":-P", ":P"}},
        {"Winking", ";-)", "msg.imchat.smiley.winking", "Winking", {";-)", ";)"}},
        {"Worried", ":-S", "msg.imchat.smiley.worried", "Worried", {":-S", ":S"}},
    };
    return smileys;
}

std::string ChatSmileys::imageURL(std::string_view name) {
    // Every message asks for them: looked up on disk once for each bundle.
    static std::filesystem::path cachedBundle;
    static std::map<std::string, std::string, std::less<>> cached;
    const auto& bundle = platform::Bundle::mainBundle();
    if (bundle.bundlePath() != cachedBundle) {
        cached.clear();
        cachedBundle = bundle.bundlePath();
    }
    if (const auto found = cached.find(name); found != cached.end()) {
        return found->second;
    }
    const auto path = bundle.pathForResource(name, "svg");
    std::string url =
        path ? "file://" + std::filesystem::absolute(*path).lexically_normal().string() : "";
    cached.emplace(std::string(name), url);
    return url;
}

const ChatSmileys::Smiley* ChatSmileys::smileyForImagePath(std::string_view path) {
    std::string wanted = platform::lowercase(path);
    if (wanted.starts_with("file://")) {
        wanted.erase(0, 7);
    } else if (wanted.starts_with("file:")) {
        wanted.erase(0, 5);
    }
    for (std::size_t at = wanted.find("%20"); at != std::string::npos; at = wanted.find("%20")) {
        wanted.replace(at, 3, " ");
    }
    for (const auto& smiley : all()) {
        std::string own = platform::lowercase(imageURL(smiley.name));
        if (own.starts_with("file://")) {
            own.erase(0, 7);
        }
        if (!own.empty() && own == wanted) {
            return &smiley;
        }
    }
    return nullptr;
}

bool ChatSmileys::mayHoldSmiley(std::string_view text) {
    return text.find_first_of("():") != std::string_view::npos;
}

std::string ChatSmileys::replaceInText(std::string_view text) {
    if (!mayHoldSmiley(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            out += text[i++];
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !isBlank(text[end])) {
            ++end;
        }
        const auto word = text.substr(i, end - i);
        out += isAddressWord(word) ? std::string(word) : replaceInWord(word);
        i = end;
    }
    return out;
}

std::string ChatSmileys::replaceInMarkup(std::string_view markup) {
    if (!mayHoldSmiley(markup)) {
        return std::string(markup);
    }
    std::string out;
    out.reserve(markup.size() + 64);
    std::size_t i = 0;
    while (i < markup.size()) {
        const std::size_t tag = markup.find('<', i);
        const std::size_t textEnd = tag == std::string_view::npos ? markup.size() : tag;
        out += replaceInText(markup.substr(i, textEnd - i));
        if (tag == std::string_view::npos) {
            break;
        }
        // Well-formed markup escapes ">" in attribute values, so the tag ends at the next one.
        const std::size_t close = markup.find('>', tag);
        const std::size_t tagEnd = close == std::string_view::npos ? markup.size() : close + 1;
        out += markup.substr(tag, tagEnd - tag);
        i = tagEnd;
    }
    return out;
}
