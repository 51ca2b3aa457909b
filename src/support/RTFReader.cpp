#include "support/RTFReader.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/kit/Event.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using platform::AttributedString;
using platform::Color;
using platform::Font;
using platform::TextAlignment;
using platform::TextAttributes;

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char32_t fromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t(byte);
}

// The length of the valid UTF-8 sequence starting at `at`, or 0.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4  ? 4
                         : lead >= 0xE0                ? 3
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                                                       : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    const unsigned char second = byte(at + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

enum class Destination { Text, FontTable, ColorTable, FieldInstruction, Skip };

struct State {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int font = -1;
    int halfPoints = 24;
    int color = 0;
    TextAlignment alignment = TextAlignment::Natural;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;
    std::string link;
};

const std::set<std::string, std::less<>>& skippedDestinations() {
    static const std::set<std::string, std::less<>> names{"annotation",
                                                          "atnid",
                                                          "author",
                                                          "bkmkend",
                                                          "bkmkstart",
                                                          "colorschememapping",
                                                          "comment",
                                                          "datastore",
                                                          "doccomm",
                                                          "expandedcolortbl",
                                                          "filetbl",
                                                          "footer",
                                                          "footerf",
                                                          "footerl",
                                                          "footerr",
                                                          "footnote",
                                                          "generator",
                                                          "header",
                                                          "headerf",
                                                          "headerl",
                                                          "headerr",
                                                          "info",
                                                          "keywords",
                                                          "latentstyles",
                                                          "listoverridetable",
                                                          "listtable",
                                                          "mmathPr",
                                                          "nonshppict",
                                                          "object",
                                                          "operator",
                                                          "pgdsctbl",
                                                          "pict",
                                                          "private",
                                                          "revtbl",
                                                          "rsidtbl",
                                                          "shppict",
                                                          "stylesheet",
                                                          "subject",
                                                          "themedata",
                                                          "title",
                                                          "xmlnstbl"};
    return names;
}

class Reader {
public:
    explicit Reader(std::string_view rtf) : in_(rtf) {}

    std::optional<AttributedString> read() {
        if (!in_.starts_with("{\\rtf"))
            return std::nullopt;
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                stack_.push_back(state_);
                skipCharacters_ = 0;
                ignorable_ = false;
            } else if (c == '}') {
                endGroup();
                if (stack_.empty())
                    break;
                state_ = stack_.back();
                stack_.pop_back();
                skipCharacters_ = 0;
            } else if (c == '\\') {
                control();
            } else if (c == '\n' || c == '\r') {
                continue;
            } else {
                rawByte();
            }
        }
        flush();
        return std::move(out_);
    }

private:
    void control() {
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            symbol(c);
            return;
        }
        const std::size_t start = pos_;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])))
            ++pos_;
        const std::string_view word = in_.substr(start, pos_ - start);
        std::optional<int> parameter;
        const std::size_t numberStart = pos_;
        if (pos_ < in_.size() && in_[pos_] == '-')
            ++pos_;
        long value = 0;
        bool digits = false;
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
            if (value < 1'000'000)
                value = value * 10 + (in_[pos_] - '0');
            ++pos_;
            digits = true;
        }
        if (digits)
            parameter = static_cast<int>(in_[numberStart] == '-' ? -value : value);
        else
            pos_ = numberStart;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        controlWord(word, parameter);
    }

    void symbol(char c) {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(static_cast<unsigned char>(c));
            break;
        case '~':
            character(0xA0);
            break;
        case '_':
            character(0x2011);
            break;
        case '\n':
        case '\r':
            character('\n');
            break;
        case '*':
            ignorable_ = true;
            break;
        case '\'': {
            if (pos_ + 2 > in_.size())
                return;
            const std::string hex(in_.substr(pos_, 2));
            pos_ += 2;
            char* end = nullptr;
            const long byte = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2)
                character(fromWindows1252(static_cast<unsigned char>(byte)));
            break;
        }
        default:
            break; // optional hyphen, formula and index marks
        }
    }

    void controlWord(std::string_view word, std::optional<int> parameter) {
        const bool wasIgnorable = ignorable_;
        ignorable_ = false;
        const int value = parameter.value_or(1);
        if (word == "fonttbl") {
            state_.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            state_.destination = Destination::ColorTable;
        } else if (word == "fldinst") {
            state_.destination = Destination::FieldInstruction;
            fieldInstruction_.clear();
        } else if (word == "fldrslt") {
            state_.destination = Destination::Text;
            state_.link = hyperlinkTarget(fieldInstruction_);
        } else if (skippedDestinations().contains(word) || wasIgnorable) {
            state_.destination = Destination::Skip;
        } else if (state_.destination == Destination::FontTable) {
            if (word == "f")
                fontIndex_ = value;
        } else if (state_.destination == Destination::ColorTable) {
            const int component = std::clamp(value, 0, 255);
            if (word == "red")
                red_ = component, colorSeen_ = true;
            else if (word == "green")
                green_ = component, colorSeen_ = true;
            else if (word == "blue")
                blue_ = component, colorSeen_ = true;
        } else {
            formatting(word, parameter, value);
        }
    }

    void formatting(std::string_view word, std::optional<int> parameter, int value) {
        if (word == "deff") {
            defaultFont_ = value;
        } else if (word == "b") {
            state_.bold = value != 0;
        } else if (word == "i") {
            state_.italic = value != 0;
        } else if (word == "ul") {
            state_.underline = value != 0;
        } else if (word == "ulnone") {
            state_.underline = false;
        } else if (word == "f") {
            state_.font = value;
        } else if (word == "fs") {
            state_.halfPoints = parameter && *parameter > 0 ? std::min(*parameter, 3276) : 24;
        } else if (word == "cf") {
            state_.color = value;
        } else if (word == "plain") {
            state_.bold = state_.italic = state_.underline = false;
            state_.font = -1;
            state_.halfPoints = 24;
            state_.color = 0;
        } else if (word == "pard") {
            state_.alignment = TextAlignment::Natural;
        } else if (word == "qc") {
            state_.alignment = TextAlignment::Center;
        } else if (word == "ql") {
            state_.alignment = TextAlignment::Left;
        } else if (word == "qr") {
            state_.alignment = TextAlignment::Right;
        } else if (word == "qj") {
            state_.alignment = TextAlignment::Justified;
        } else if (word == "par" || word == "line" || word == "row") {
            character('\n');
        } else if (word == "tab" || word == "cell") {
            character('\t');
        } else if (word == "uc") {
            state_.unicodeSkip = std::max(0, value);
        } else if (word == "u" && parameter) {
            unicode(*parameter);
        } else if (word == "emdash") {
            character(0x2014);
        } else if (word == "endash") {
            character(0x2013);
        } else if (word == "bullet") {
            character(0x2022);
        } else if (word == "lquote") {
            character(0x2018);
        } else if (word == "rquote") {
            character(0x2019);
        } else if (word == "ldblquote") {
            character(0x201C);
        } else if (word == "rdblquote") {
            character(0x201D);
        }
    }

    void unicode(int parameter) {
        const auto unit = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter);
        if (unit >= 0xD800 && unit < 0xDC00) {
            highSurrogate_ = unit;
        } else if (unit >= 0xDC00 && unit < 0xE000) {
            if (highSurrogate_)
                character(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00), true);
            highSurrogate_ = 0;
        } else {
            character(unit, true);
        }
        // The fallback characters that follow stand for the same character.
        skipCharacters_ = state_.unicodeSkip;
    }

    void rawByte() {
        const unsigned char byte = static_cast<unsigned char>(in_[pos_ - 1]);
        if (byte < 0x80) {
            if (byte >= 0x20 || byte == '\t')
                character(byte);
            return;
        }
        if (const std::size_t length = utf8SequenceLength(in_, pos_ - 1)) {
            character(platform::firstCodePoint(in_.substr(pos_ - 1, length)));
            pos_ += length - 1;
            return;
        }
        character(fromWindows1252(byte));
    }

    void character(char32_t c, bool fromUnicodeEscape = false) {
        if (!fromUnicodeEscape && skipCharacters_ > 0) {
            --skipCharacters_;
            return;
        }
        switch (state_.destination) {
        case Destination::Text:
            text(platform::utf8FromCodePoint(c));
            break;
        case Destination::FontTable:
            if (c == ';') {
                fonts_[fontIndex_] = trimmed(fontName_);
                fontName_.clear();
            } else {
                fontName_ += platform::utf8FromCodePoint(c);
            }
            break;
        case Destination::ColorTable:
            if (c == ';') {
                colors_.push_back(colorSeen_ ? std::optional<Color>(Color(
                                                   red_ / 255.0, green_ / 255.0, blue_ / 255.0))
                                             : std::nullopt);
                red_ = green_ = blue_ = 0;
                colorSeen_ = false;
            }
            break;
        case Destination::FieldInstruction:
            fieldInstruction_ += platform::utf8FromCodePoint(c);
            break;
        case Destination::Skip:
            break;
        }
    }

    void endGroup() {
        // A font entry written without its closing semicolon ends with its group.
        if (state_.destination == Destination::FontTable && !trimmed(fontName_).empty()) {
            fonts_[fontIndex_] = trimmed(fontName_);
            fontName_.clear();
        }
    }

    static std::string trimmed(const std::string& text) {
        const std::size_t begin = text.find_first_not_of(" \t");
        if (begin == std::string::npos)
            return {};
        return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
    }

    // HYPERLINK "address" (with switches such as \l before or after it).
    static std::string hyperlinkTarget(const std::string& instruction) {
        std::istringstream words(instruction);
        std::string keyword;
        words >> keyword;
        if (keyword != "HYPERLINK")
            return {};
        const std::size_t open = instruction.find('"');
        if (open == std::string::npos) {
            std::string target;
            words >> target;
            return target;
        }
        const std::size_t close = instruction.find('"', open + 1);
        return instruction.substr(open + 1, close == std::string::npos ? close : close - open - 1);
    }

    TextAttributes currentAttributes() const {
        TextAttributes attributes;
        std::string name = "Helvetica";
        const int fontNumber = state_.font >= 0 ? state_.font : defaultFont_;
        if (auto found = fonts_.find(fontNumber); found != fonts_.end() && !found->second.empty())
            name = found->second;
        // A face named bold ("Helvetica-Bold") stays bold without \b.
        Font font = Font::fontWithName(name, state_.halfPoints / 2.0);
        if (state_.bold)
            font = font.fontWithBold(true);
        if (state_.italic)
            font = font.fontWithItalic(true);
        attributes.font = font;
        if (state_.color > 0 && static_cast<std::size_t>(state_.color) < colors_.size() &&
            colors_[state_.color])
            attributes.foregroundColor = *colors_[state_.color];
        if (state_.underline)
            attributes.underlineStyle = platform::UnderlineStyleSingle;
        if (!state_.link.empty())
            attributes.link = state_.link;
        platform::ParagraphStyle paragraph;
        paragraph.alignment = state_.alignment;
        attributes.paragraphStyle = paragraph;
        return attributes;
    }

    void text(const std::string& utf8) {
        TextAttributes attributes = currentAttributes();
        if (!pending_.empty() && !(attributes == pendingAttributes_))
            flush();
        pendingAttributes_ = std::move(attributes);
        pending_ += utf8;
    }

    void flush() {
        if (pending_.empty())
            return;
        out_.appendAttributedString(AttributedString(std::move(pending_), pendingAttributes_));
        pending_.clear();
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    std::vector<State> stack_;
    State state_;
    bool ignorable_ = false;
    int skipCharacters_ = 0;
    char32_t highSurrogate_ = 0;
    int defaultFont_ = 0;
    std::map<int, std::string> fonts_;
    int fontIndex_ = 0;
    std::string fontName_;
    std::vector<std::optional<Color>> colors_;
    int red_ = 0;
    int green_ = 0;
    int blue_ = 0;
    bool colorSeen_ = false;
    std::string fieldInstruction_;
    std::string pending_;
    TextAttributes pendingAttributes_;
    AttributedString out_;
};

} // namespace

std::optional<AttributedString> attributedStringFromRTF(std::string_view rtf) {
    return Reader(rtf).read();
}

std::optional<AttributedString> attributedStringWithRTFFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream contents;
    contents << in.rdbuf();
    return attributedStringFromRTF(contents.str());
}
