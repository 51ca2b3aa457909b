#include "platform/foundation/Bundle.h"

#include "platform/foundation/FileManager.h"

#include <algorithm>
#include <cstdlib>

#ifndef LUMIQ_RESOURCES_DIR
#define LUMIQ_RESOURCES_DIR "resources"
#endif

namespace platform {

namespace fs = std::filesystem;

namespace {

fs::path defaultBundlePath() {
    if (const char* env = std::getenv("LUMIQ_BUNDLE"); env && *env)
        return fs::path(env);
    return fs::path(LUMIQ_RESOURCES_DIR);
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Strings tables were traditionally saved as UTF-16; everything here works in UTF-8.
std::string toUtf8(const std::string& bytes) {
    auto u8 = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    if (bytes.size() >= 3 && u8(0) == 0xEF && u8(1) == 0xBB && u8(2) == 0xBF)
        return bytes.substr(3);
    bool littleEndian = false;
    std::size_t start = 0;
    if (bytes.size() >= 2 && u8(0) == 0xFF && u8(1) == 0xFE) {
        littleEndian = true;
        start = 2;
    } else if (bytes.size() >= 2 && u8(0) == 0xFE && u8(1) == 0xFF) {
        start = 2;
    } else if (bytes.size() >= 2 && u8(0) != 0 && u8(1) == 0) {
        littleEndian = true;
    } else if (!(bytes.size() >= 2 && u8(0) == 0 && u8(1) != 0)) {
        return bytes;
    }
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> std::uint32_t {
        return littleEndian ? (u8(i) | (u8(i + 1) << 8)) : ((u8(i) << 8) | u8(i + 1));
    };
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, cp);
    }
    return out;
}

class StringsParser {
public:
    explicit StringsParser(std::string_view text) : s_(text) {}

    std::map<std::string, std::string, std::less<>> parse() {
        std::map<std::string, std::string, std::less<>> table;
        for (;;) {
            skipBlanksAndComments();
            if (i_ >= s_.size())
                break;
            const std::size_t start = i_;
            auto key = readString();
            if (!key) {
                recover(start);
                continue;
            }
            skipBlanksAndComments();
            if (i_ < s_.size() && s_[i_] == ';') {
                // "key"; alone stands for "key" = "key";
                ++i_;
                table.insert_or_assign(*key, *key);
                continue;
            }
            if (i_ >= s_.size() || s_[i_] != '=') {
                recover(start);
                continue;
            }
            ++i_;
            skipBlanksAndComments();
            auto value = readString();
            if (!value) {
                recover(start);
                continue;
            }
            skipBlanksAndComments();
            if (i_ >= s_.size() || s_[i_] != ';') {
                recover(start);
                continue;
            }
            ++i_;
            table.insert_or_assign(std::move(*key), std::move(*value));
        }
        return table;
    }

private:
    static bool isBareChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '.' || c == '$' || c == ':' || c == '/' || c == '-';
    }

    void skipBlanksAndComments() {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++i_;
            } else if (c == '/' && i_ + 1 < s_.size() && s_[i_ + 1] == '/') {
                const std::size_t end = s_.find('\n', i_);
                i_ = end == std::string_view::npos ? s_.size() : end + 1;
            } else if (c == '/' && i_ + 1 < s_.size() && s_[i_ + 1] == '*') {
                const std::size_t end = s_.find("*/", i_ + 2);
                i_ = end == std::string_view::npos ? s_.size() : end + 2;
            } else {
                break;
            }
        }
    }

    // A malformed entry is dropped up to the end of the line it began on, so one typing
    // mistake costs one entry and not the rest of the table.
    void recover(std::size_t start) {
        const std::size_t end = s_.find('\n', start);
        i_ = end == std::string_view::npos ? s_.size() : std::max(end + 1, start + 1);
    }

    int hexDigit(char c) const {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    std::optional<std::uint32_t> readHex(std::size_t& j, int digits) const {
        std::uint32_t value = 0;
        for (int k = 0; k < digits; ++k, ++j) {
            if (j >= s_.size() || hexDigit(s_[j]) < 0)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint32_t>(hexDigit(s_[j]));
        }
        return value;
    }

    std::optional<std::string> readString() {
        if (i_ >= s_.size())
            return std::nullopt;
        if (s_[i_] != '"') {
            std::size_t j = i_;
            while (j < s_.size() && isBareChar(s_[j]))
                ++j;
            if (j == i_)
                return std::nullopt;
            std::string bare(s_.substr(i_, j - i_));
            i_ = j;
            return bare;
        }
        std::string out;
        std::size_t j = i_ + 1;
        while (j < s_.size()) {
            const char c = s_[j];
            if (c == '"') {
                i_ = j + 1;
                return out;
            }
            if (c != '\\') {
                out += c;
                ++j;
                continue;
            }
            if (++j >= s_.size())
                break;
            const char e = s_[j++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'v':
                out += '\v';
                break;
            case 'u':
            case 'U': {
                std::size_t k = j;
                auto cp = readHex(k, 4);
                if (!cp) {
                    out += e;
                    break;
                }
                j = k;
                if (*cp >= 0xD800 && *cp <= 0xDBFF && j + 1 < s_.size() && s_[j] == '\\' &&
                    (s_[j + 1] == 'u' || s_[j + 1] == 'U')) {
                    std::size_t m = j + 2;
                    auto low = readHex(m, 4);
                    if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                        *cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
                        j = m;
                    }
                }
                appendUtf8(out, *cp);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    std::uint32_t value = static_cast<std::uint32_t>(e - '0');
                    for (int k = 0; k < 2 && j < s_.size() && s_[j] >= '0' && s_[j] <= '7';
                         ++k, ++j)
                        value = value * 8 + static_cast<std::uint32_t>(s_[j] - '0');
                    appendUtf8(out, value);
                } else {
                    // \" \\ \' and any other character stand for themselves.
                    out += e;
                }
            }
        }
        return std::nullopt;
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

const std::vector<std::string>& resourceFolders() {
    static const std::vector<std::string> folders = {"", "images", "sounds", "html"};
    return folders;
}

} // namespace

std::map<std::string, std::string, std::less<>> parseStringsTable(std::string_view text) {
    return StringsParser(text).parse();
}

Bundle& Bundle::mainBundle() {
    static Bundle bundle(defaultBundlePath());
    return bundle;
}

void Bundle::setMainBundlePath(const fs::path& path) {
    mainBundle() = Bundle(path);
}

Bundle::Bundle(fs::path path) : path_(std::move(path)) {}

const Value& Bundle::infoDictionary() const {
    if (!info_) {
        auto info = Value::readPropertyListFile(path_ / "Info.plist");
        info_ = (info && info->isDictionary()) ? std::move(*info) : Value(Value::Dictionary{});
    }
    return *info_;
}

const Value& Bundle::objectForInfoDictionaryKey(std::string_view key) const {
    return infoDictionary()[key];
}

std::string Bundle::bundleName() const {
    return objectForInfoDictionaryKey("CFBundleName").stringValue();
}

std::string Bundle::bundleIdentifier() const {
    return objectForInfoDictionaryKey("CFBundleIdentifier").stringValue();
}

std::optional<fs::path> Bundle::pathForResource(std::string_view name,
                                                std::string_view type) const {
    if (name.empty())
        return std::nullopt;
    if (!type.empty() && type.front() == '.')
        type.remove_prefix(1);
    std::string file(name);
    if (!type.empty()) {
        file += '.';
        file += type;
    }

    std::error_code code;
    for (const std::string& folder : resourceFolders()) {
        const fs::path dir = folder.empty() ? path_ : path_ / folder;
        const fs::path exact = dir / file;
        if (fs::exists(exact, code))
            return exact;
        if (!type.empty() || !fs::is_directory(dir, code))
            continue;
        // Without a type any extension will do; the first name in order wins, so the
        // answer does not depend on the order the folder lists its files in.
        const fs::path wanted = dir / fs::path(std::string(name));
        std::vector<fs::path> matches;
        for (const auto& entry : fs::directory_iterator(wanted.parent_path(), code)) {
            const fs::path& p = entry.path();
            if (p.stem() == wanted.filename() && p.has_extension() && entry.is_regular_file(code))
                matches.push_back(p);
        }
        if (!matches.empty())
            return *std::min_element(matches.begin(), matches.end());
    }
    return std::nullopt;
}

const std::map<std::string, std::string, std::less<>>& Bundle::table(std::string_view name) const {
    auto it = tables_.find(name);
    if (it != tables_.end())
        return it->second;
    std::map<std::string, std::string, std::less<>> entries;
    auto contents =
        FileManager::defaultManager().contentsAtPath(path_ / (std::string(name) + ".strings"));
    if (contents) {
        const std::string text = toUtf8(*contents);
        const bool looksLikePlist =
            text.rfind("bplist", 0) == 0 || text.find("<plist") != std::string::npos;
        auto plist =
            looksLikePlist ? Value::fromPropertyList(std::string_view(text)) : std::nullopt;
        if (plist && plist->isDictionary()) {
            for (const auto& [key, value] : *plist->dictionary())
                if (value.isString())
                    entries.emplace(key, *value.string());
        } else {
            entries = parseStringsTable(text);
        }
    }
    return tables_.emplace(std::string(name), std::move(entries)).first->second;
}

std::string Bundle::localizedStringForKey(std::string_view key, std::string_view value,
                                          std::string_view table) const {
    const auto& entries = this->table(table.empty() ? std::string_view("Localizable") : table);
    auto it = entries.find(key);
    if (it != entries.end())
        return it->second;
    // Like the original, a missing key with no fallback shows the key itself.
    return std::string(value.empty() ? key : value);
}

} // namespace platform
