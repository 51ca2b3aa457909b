#include "platform/graphics/AttributedString.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"

#include <algorithm>

namespace platform {

namespace {

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::size_t characterStart(std::string_view text, std::size_t index) {
    if (index >= text.size())
        return text.size();
    while (index > 0 && isContinuation(text[index]))
        --index;
    return index;
}

std::size_t characterEnd(std::string_view text, std::size_t index) {
    if (index >= text.size())
        return text.size();
    std::size_t end = index + 1;
    while (end < text.size() && isContinuation(text[end]))
        ++end;
    return end;
}

const ParagraphStyle& ParagraphStyle::defaultParagraphStyle() {
    static const ParagraphStyle style;
    return style;
}

std::vector<TextTab> ParagraphStyle::defaultTabStops() {
    std::vector<TextTab> tabs;
    for (int i = 1; i <= 12; ++i)
        tabs.push_back({TextTabType::Left, 28.0 * i});
    return tabs;
}

void TextAttributes::merge(const TextAttributes& other) {
    if (other.font)
        font = other.font;
    if (other.foregroundColor)
        foregroundColor = other.foregroundColor;
    if (other.backgroundColor)
        backgroundColor = other.backgroundColor;
    if (other.underlineStyle)
        underlineStyle = other.underlineStyle;
    if (other.link)
        link = other.link;
    if (other.toolTip)
        toolTip = other.toolTip;
    if (other.paragraphStyle)
        paragraphStyle = other.paragraphStyle;
}

Font TextAttributes::effectiveFont() const {
    return font ? *font : Font::fontWithName("Helvetica", 12);
}

Color TextAttributes::effectiveForegroundColor() const {
    return foregroundColor ? *foregroundColor : Color::blackColor();
}

const ParagraphStyle& TextAttributes::effectiveParagraphStyle() const {
    return paragraphStyle ? *paragraphStyle : ParagraphStyle::defaultParagraphStyle();
}

AttributedString::AttributedString(std::string text, TextAttributes attributes)
    : text_(std::move(text)) {
    if (!text_.empty())
        runs_.push_back({{0, text_.size()}, std::move(attributes)});
}

TextRange AttributedString::clampToCharacters(TextRange range) const {
    const std::size_t size = text_.size();
    const std::size_t start = characterStart(text_, std::min(range.location, size));
    std::size_t end =
        range.length > size - std::min(range.location, size) ? size : range.location + range.length;
    while (end < size && isContinuation(text_[end]))
        ++end;
    return {start, std::max(start, end) - start};
}

void AttributedString::normalize() {
    std::vector<Run> merged;
    std::size_t position = 0;
    for (auto& run : runs_) {
        if (run.range.length == 0)
            continue;
        run.range.location = position;
        position += run.range.length;
        if (!merged.empty() && merged.back().attributes == run.attributes)
            merged.back().range.length += run.range.length;
        else
            merged.push_back(std::move(run));
    }
    runs_ = std::move(merged);
}

void AttributedString::splitAt(std::size_t index) {
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        Run& run = runs_[i];
        if (index > run.range.location && index < run.range.end()) {
            Run tail{{index, run.range.end() - index}, run.attributes};
            run.range.length = index - run.range.location;
            runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return;
        }
    }
}

TextAttributes AttributedString::attributesAtIndex(std::size_t index,
                                                   TextRange* effectiveRange) const {
    if (runs_.empty()) {
        if (effectiveRange)
            *effectiveRange = {0, 0};
        return {};
    }
    const Run* found = &runs_.back();
    for (const auto& run : runs_) {
        if (index < run.range.end()) {
            found = &run;
            break;
        }
    }
    if (effectiveRange)
        *effectiveRange = found->range;
    return found->attributes;
}

void AttributedString::setAttributes(const TextAttributes& attributes, TextRange range) {
    range = clampToCharacters(range);
    if (range.length == 0)
        return;
    splitAt(range.location);
    splitAt(range.end());
    for (auto& run : runs_) {
        if (run.range.location >= range.location && run.range.end() <= range.end())
            run.attributes = attributes;
    }
    normalize();
}

void AttributedString::addAttributes(const TextAttributes& attributes, TextRange range) {
    range = clampToCharacters(range);
    if (range.length == 0)
        return;
    splitAt(range.location);
    splitAt(range.end());
    for (auto& run : runs_) {
        if (run.range.location >= range.location && run.range.end() <= range.end())
            run.attributes.merge(attributes);
    }
    normalize();
}

void AttributedString::removeAttribute(TextAttribute attribute, TextRange range) {
    range = clampToCharacters(range);
    if (range.length == 0)
        return;
    splitAt(range.location);
    splitAt(range.end());
    for (auto& run : runs_) {
        if (run.range.location < range.location || run.range.end() > range.end())
            continue;
        auto& a = run.attributes;
        switch (attribute) {
        case TextAttribute::Font:
            a.font.reset();
            break;
        case TextAttribute::ForegroundColor:
            a.foregroundColor.reset();
            break;
        case TextAttribute::BackgroundColor:
            a.backgroundColor.reset();
            break;
        case TextAttribute::UnderlineStyle:
            a.underlineStyle.reset();
            break;
        case TextAttribute::Link:
            a.link.reset();
            break;
        case TextAttribute::ToolTip:
            a.toolTip.reset();
            break;
        case TextAttribute::ParagraphStyle:
            a.paragraphStyle.reset();
            break;
        }
    }
    normalize();
}

void AttributedString::setAlignment(TextAlignment alignment, TextRange range) {
    range = clampToCharacters(range);
    if (range.length == 0)
        return;
    splitAt(range.location);
    splitAt(range.end());
    for (auto& run : runs_) {
        if (run.range.location >= range.location && run.range.end() <= range.end()) {
            ParagraphStyle style = run.attributes.effectiveParagraphStyle();
            style.alignment = alignment;
            run.attributes.paragraphStyle = style;
        }
    }
    normalize();
}

void AttributedString::appendAttributedString(const AttributedString& other) {
    insertAttributedString(other, text_.size());
}

void AttributedString::insertAttributedString(const AttributedString& other, std::size_t index) {
    if (other.empty())
        return;
    index = characterStart(text_, std::min(index, text_.size()));
    splitAt(index);
    std::vector<Run> runs;
    bool inserted = false;
    for (auto& run : runs_) {
        if (!inserted && run.range.location >= index) {
            runs.insert(runs.end(), other.runs_.begin(), other.runs_.end());
            inserted = true;
        }
        runs.push_back(std::move(run));
    }
    if (!inserted)
        runs.insert(runs.end(), other.runs_.begin(), other.runs_.end());
    runs_ = std::move(runs);
    text_.insert(index, other.text_);
    normalize();
}

void AttributedString::deleteCharactersInRange(TextRange range) {
    range = clampToCharacters(range);
    if (range.length == 0)
        return;
    splitAt(range.location);
    splitAt(range.end());
    std::erase_if(runs_, [&](const Run& run) {
        return run.range.location >= range.location && run.range.end() <= range.end();
    });
    text_.erase(range.location, range.length);
    normalize();
}

void AttributedString::replaceCharactersInRange(TextRange range, std::string_view text) {
    range = clampToCharacters(range);
    TextAttributes attributes;
    if (range.length > 0)
        attributes = attributesAtIndex(range.location);
    else if (range.location > 0)
        attributes = attributesAtIndex(range.location - 1);
    else if (!text_.empty())
        attributes = attributesAtIndex(0);
    deleteCharactersInRange(range);
    insertAttributedString(AttributedString(std::string(text), attributes), range.location);
}

AttributedString AttributedString::attributedSubstringFromRange(TextRange range) const {
    range = clampToCharacters(range);
    AttributedString out;
    out.text_ = text_.substr(range.location, range.length);
    for (const auto& run : runs_) {
        const std::size_t start = std::max(run.range.location, range.location);
        const std::size_t end = std::min(run.range.end(), range.end());
        if (end > start)
            out.runs_.push_back({{start - range.location, end - start}, run.attributes});
    }
    out.normalize();
    return out;
}

Size AttributedString::size() const {
    return TextLayout(*this, 0).usedRect().size;
}

Rect AttributedString::boundingRectWithSize(Size size) const {
    return TextLayout(*this, size.width).usedRect();
}

void AttributedString::drawAtPoint(Point point) const {
    auto* context = GraphicsContext::currentContext();
    if (!context || text_.empty())
        return;
    const TextLayout layout(*this, 0);
    const double height = layout.usedRect().maxY();
    const Point topLeft = context->isFlipped() ? point : Point(point.x, point.y + height);
    layout.drawAtTopLeft(topLeft);
}

void AttributedString::drawInRect(const Rect& rect) const {
    auto* context = GraphicsContext::currentContext();
    if (!context || text_.empty() || rect.isEmpty())
        return;
    const TextLayout layout(*this, rect.width());
    GraphicsStateSaver saver;
    context->clipToRect(rect);
    layout.drawAtTopLeft(context->isFlipped() ? rect.origin : Point(rect.minX(), rect.maxY()));
}

Size sizeWithAttributes(std::string_view text, const TextAttributes& attributes) {
    return AttributedString(std::string(text), attributes).size();
}

void drawAtPoint(std::string_view text, Point point, const TextAttributes& attributes) {
    AttributedString(std::string(text), attributes).drawAtPoint(point);
}

void drawInRect(std::string_view text, const Rect& rect, const TextAttributes& attributes) {
    AttributedString(std::string(text), attributes).drawInRect(rect);
}

} // namespace platform
