#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class TextAlignment { Left, Right, Center, Justified, Natural };
enum class LineBreakMode {
    ByWordWrapping,
    ByCharWrapping,
    ByClipping,
    ByTruncatingHead,
    ByTruncatingTail,
    ByTruncatingMiddle,
};
enum class TextTabType { Left, Right, Center, Decimal };

struct TextTab {
    TextTabType type = TextTabType::Left;
    double location = 0;
    friend bool operator==(const TextTab&, const TextTab&) = default;
};

// Paragraph layout. The default has natural (left) alignment, word wrapping and a left tab
// every 28 points, as the original's default paragraph style.
struct ParagraphStyle {
    TextAlignment alignment = TextAlignment::Natural;
    LineBreakMode lineBreakMode = LineBreakMode::ByWordWrapping;
    std::vector<TextTab> tabStops = defaultTabStops();
    double lineSpacing = 0;
    double paragraphSpacing = 0;
    double firstLineHeadIndent = 0;
    double headIndent = 0;

    static const ParagraphStyle& defaultParagraphStyle();
    static std::vector<TextTab> defaultTabStops();
    friend bool operator==(const ParagraphStyle&, const ParagraphStyle&) = default;
};

// Underline styles with the original's numbers.
inline constexpr int UnderlineStyleNone = 0;
inline constexpr int UnderlineStyleSingle = 1;
inline constexpr int UnderlineStyleThick = 2;
inline constexpr int UnderlineStyleDouble = 9;

// The attributes of a run of text; an unset attribute takes its default when drawn (font
// Helvetica 12, black, no underline, default paragraph style). Links (an action name or a URL)
// and tool tips are data for the views; they do not change how the text looks.
struct TextAttributes {
    std::optional<Font> font{};
    std::optional<Color> foregroundColor{};
    std::optional<Color> backgroundColor{};
    std::optional<int> underlineStyle{};
    std::optional<std::string> link{};
    std::optional<std::string> toolTip{};
    std::optional<ParagraphStyle> paragraphStyle{};

    // The set attributes of `other` replace these.
    void merge(const TextAttributes& other);
    Font effectiveFont() const;
    Color effectiveForegroundColor() const;
    const ParagraphStyle& effectiveParagraphStyle() const;
    friend bool operator==(const TextAttributes&, const TextAttributes&) = default;
};

enum class TextAttribute {
    Font,
    ForegroundColor,
    BackgroundColor,
    UnderlineStyle,
    Link,
    ToolTip,
    ParagraphStyle,
};

// A range of bytes of UTF-8 text. Operations snap ranges outwards to whole characters, so no
// attribute or edit ever splits a character.
struct TextRange {
    std::size_t location = 0;
    std::size_t length = 0;
    constexpr std::size_t end() const { return location + length; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// UTF-8 text with attributes on runs of it.
class AttributedString {
public:
    struct Run {
        TextRange range;
        TextAttributes attributes;
        friend bool operator==(const Run&, const Run&) = default;
    };

    AttributedString() = default;
    explicit AttributedString(std::string text, TextAttributes attributes = {});

    const std::string& string() const { return text_; }
    std::size_t length() const { return text_.size(); }
    bool empty() const { return text_.empty(); }

    // The attributes at a byte index (the last character's for the end) and, when asked, the
    // whole run that shares them.
    TextAttributes attributesAtIndex(std::size_t index, TextRange* effectiveRange = nullptr) const;
    // Runs in order, adjacent equal runs merged; covers the whole text.
    const std::vector<Run>& runs() const { return runs_; }

    // Replace all attributes of a range, or add the set ones of `attributes` to it.
    void setAttributes(const TextAttributes& attributes, TextRange range);
    void addAttributes(const TextAttributes& attributes, TextRange range);
    void removeAttribute(TextAttribute attribute, TextRange range);
    // Sets the alignment of the paragraph styles in the range (adding the default style where
    // there is none).
    void setAlignment(TextAlignment alignment, TextRange range);

    // Editing. Inserted plain text takes the attributes of the character before it (or after
    // it at the start), as typing does.
    void appendAttributedString(const AttributedString& other);
    void insertAttributedString(const AttributedString& other, std::size_t index);
    void replaceCharactersInRange(TextRange range, std::string_view text);
    void deleteCharactersInRange(TextRange range);
    AttributedString attributedSubstringFromRange(TextRange range) const;

    // The size the text takes on one line per paragraph, unwrapped (the original's size).
    Size size() const;
    // The used rectangle when wrapped at `size.width` (0: no wrapping); origin at the top left
    // of the layout, y downwards.
    Rect boundingRectWithSize(Size size) const;
    // Draws in the current context: at a point, unwrapped, the point being the bottom-left
    // corner of the text box in unflipped coordinates and its top-left corner in flipped ones;
    // in a rectangle, wrapped at its width from its top edge and clipped to it.
    void drawAtPoint(Point point) const;
    void drawInRect(const Rect& rect) const;

    friend bool operator==(const AttributedString&, const AttributedString&) = default;

private:
    TextRange clampToCharacters(TextRange range) const;
    void normalize();
    void splitAt(std::size_t index);

    std::string text_;
    std::vector<Run> runs_;
};

// The original's string drawing with one set of attributes.
Size sizeWithAttributes(std::string_view text, const TextAttributes& attributes);
void drawAtPoint(std::string_view text, Point point, const TextAttributes& attributes);
void drawInRect(std::string_view text, const Rect& rect, const TextAttributes& attributes);

// Character boundaries of UTF-8 text: the start of the character containing `index`, and the
// end of the character starting at or containing it.
std::size_t characterStart(std::string_view text, std::size_t index);
std::size_t characterEnd(std::string_view text, std::size_t index);

} // namespace platform
