#include "platform/graphics/TextLayout.h"

#include "platform/graphics/CairoBridge.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PangoBridge.h"

#include <cmath>
#include <pango/pangocairo.h>

namespace platform {

namespace {

guint16 channel16(double v) {
    return static_cast<guint16>(std::lround(detail::clampUnit(v) * 65535));
}

// Pango needs valid UTF-8; a stray byte becomes "?" so that byte indexes stay the same.
std::string validUTF8(const std::string& text) {
    std::string out = text;
    const char* start = out.data();
    const char* end = start + out.size();
    const char* p = start;
    while (p < end) {
        const gchar* bad = nullptr;
        if (g_utf8_validate(p, end - p, &bad))
            break;
        const std::size_t at = static_cast<std::size_t>(bad - start);
        if (bad == end)
            break;
        out[at] = '?';
        p = start + at + 1;
    }
    // Pango also stops at NUL bytes, which the string may legitimately hold.
    for (auto& c : out) {
        if (c == '\0')
            c = ' ';
    }
    return out;
}

PangoAlignment pangoAlignment(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::Right:
        return PANGO_ALIGN_RIGHT;
    case TextAlignment::Center:
        return PANGO_ALIGN_CENTER;
    default:
        return PANGO_ALIGN_LEFT;
    }
}

PangoTabAlign pangoTab(TextTabType type) {
    switch (type) {
    case TextTabType::Right:
        return PANGO_TAB_RIGHT;
    case TextTabType::Center:
        return PANGO_TAB_CENTER;
    case TextTabType::Decimal:
        return PANGO_TAB_DECIMAL;
    default:
        return PANGO_TAB_LEFT;
    }
}

double units(int value) {
    return static_cast<double>(value) / PANGO_SCALE;
}

Rect rectOf(const PangoRectangle& r) {
    return {units(r.x), units(r.y), units(r.width), units(r.height)};
}

} // namespace

struct TextLayout::Impl {
    AttributedString text;
    double width = 0;
    PangoLayout* layout = nullptr;
    bool clipping = false;
    TextAlignment alignment = TextAlignment::Natural;

    Impl() : layout(pango_layout_new(detail::pangoContext())) {}
    ~Impl() { g_object_unref(layout); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void rebuild() {
        const std::string content = validUTF8(text.string());
        pango_layout_set_text(layout, content.c_str(), static_cast<int>(content.size()));

        const TextAttributes first = text.empty() ? TextAttributes{} : text.attributesAtIndex(0);
        const ParagraphStyle& style = first.effectiveParagraphStyle();
        alignment = style.alignment;

        PangoFontDescription* baseFont = detail::newFontDescription(first.effectiveFont());
        pango_layout_set_font_description(layout, baseFont);
        pango_font_description_free(baseFont);

        PangoAttrList* list = pango_attr_list_new();
        for (const auto& run : text.runs()) {
            const auto start = static_cast<guint>(run.range.location);
            const auto end = static_cast<guint>(run.range.end());
            auto add = [&](PangoAttribute* attribute) {
                attribute->start_index = start;
                attribute->end_index = end;
                pango_attr_list_insert(list, attribute);
            };
            const TextAttributes& a = run.attributes;
            PangoFontDescription* desc = detail::newFontDescription(a.effectiveFont());
            add(pango_attr_font_desc_new(desc));
            pango_font_description_free(desc);
            const Color fg = a.effectiveForegroundColor();
            add(pango_attr_foreground_new(channel16(fg.redComponent()),
                                          channel16(fg.greenComponent()),
                                          channel16(fg.blueComponent())));
            add(pango_attr_foreground_alpha_new(channel16(fg.alphaComponent())));
            if (a.backgroundColor) {
                const Color& bg = *a.backgroundColor;
                add(pango_attr_background_new(channel16(bg.redComponent()),
                                              channel16(bg.greenComponent()),
                                              channel16(bg.blueComponent())));
                add(pango_attr_background_alpha_new(channel16(bg.alphaComponent())));
            }
            if (a.underlineStyle && *a.underlineStyle != UnderlineStyleNone) {
                const int u = *a.underlineStyle;
                add(pango_attr_underline_new((u & 0xff) == UnderlineStyleDouble
                                                 ? PANGO_UNDERLINE_DOUBLE
                                                 : PANGO_UNDERLINE_SINGLE));
            }
        }
        pango_layout_set_attributes(layout, list);
        pango_attr_list_unref(list);

        pango_layout_set_alignment(layout, pangoAlignment(style.alignment));
        pango_layout_set_justify(layout, style.alignment == TextAlignment::Justified);
        pango_layout_set_spacing(layout, static_cast<int>(style.lineSpacing * PANGO_SCALE));
        pango_layout_set_indent(
            layout, static_cast<int>((style.firstLineHeadIndent - style.headIndent) * PANGO_SCALE));

        PangoTabArray* tabs = pango_tab_array_new(static_cast<gint>(style.tabStops.size()), TRUE);
        for (std::size_t i = 0; i < style.tabStops.size(); ++i)
            pango_tab_array_set_tab(tabs, static_cast<gint>(i), pangoTab(style.tabStops[i].type),
                                    static_cast<gint>(std::lround(style.tabStops[i].location)));
        pango_layout_set_tabs(layout, style.tabStops.empty() ? nullptr : tabs);
        pango_tab_array_free(tabs);

        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);
        pango_layout_set_height(layout, -1);
        clipping = false;
        const bool wraps = width > 0 && std::isfinite(width);
        switch (style.lineBreakMode) {
        case LineBreakMode::ByWordWrapping:
            pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
            break;
        case LineBreakMode::ByCharWrapping:
            pango_layout_set_wrap(layout, PANGO_WRAP_CHAR);
            break;
        case LineBreakMode::ByClipping:
            clipping = true;
            break;
        case LineBreakMode::ByTruncatingHead:
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_START);
            break;
        case LineBreakMode::ByTruncatingTail:
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
            break;
        case LineBreakMode::ByTruncatingMiddle:
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_MIDDLE);
            break;
        }
        // Clipped lines are never wrapped: they are laid out unbounded and aligned by hand.
        pango_layout_set_width(
            layout, wraps && !clipping ? static_cast<int>(std::min(width, 1e6) * PANGO_SCALE) : -1);
    }

    // The horizontal shift that aligns unbounded (clipped) lines within the width.
    double alignmentOffset() const {
        if (!clipping || !(width > 0))
            return 0;
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        const double used = units(logical.width);
        switch (alignment) {
        case TextAlignment::Center:
            return (width - used) / 2;
        case TextAlignment::Right:
            return width - used;
        default:
            return 0;
        }
    }
};

TextLayout::TextLayout() : impl_(std::make_unique<Impl>()) {
    impl_->rebuild();
}

TextLayout::TextLayout(const AttributedString& text, double width)
    : impl_(std::make_unique<Impl>()) {
    impl_->text = text;
    impl_->width = width;
    impl_->rebuild();
}

TextLayout::~TextLayout() = default;
TextLayout::TextLayout(TextLayout&&) noexcept = default;
TextLayout& TextLayout::operator=(TextLayout&&) noexcept = default;

void TextLayout::setAttributedString(const AttributedString& text) {
    impl_->text = text;
    impl_->rebuild();
}

const AttributedString& TextLayout::attributedString() const {
    return impl_->text;
}

void TextLayout::setWidth(double width) {
    impl_->width = width;
    impl_->rebuild();
}

double TextLayout::width() const {
    return impl_->width;
}

Rect TextLayout::usedRect() const {
    if (impl_->text.empty())
        return ZeroRect;
    PangoRectangle logical;
    pango_layout_get_extents(impl_->layout, nullptr, &logical);
    return rectOf(logical).offsetBy(impl_->alignmentOffset(), 0);
}

Rect TextLayout::inkRect() const {
    if (impl_->text.empty())
        return ZeroRect;
    PangoRectangle ink;
    pango_layout_get_extents(impl_->layout, &ink, nullptr);
    return rectOf(ink).offsetBy(impl_->alignmentOffset(), 0);
}

std::size_t TextLayout::lineCount() const {
    return impl_->text.empty()
               ? 0
               : static_cast<std::size_t>(pango_layout_get_line_count(impl_->layout));
}

double TextLayout::firstBaseline() const {
    return units(pango_layout_get_baseline(impl_->layout));
}

std::size_t TextLayout::characterIndexForPoint(Point point) const {
    const std::string& s = impl_->text.string();
    if (s.empty())
        return 0;
    const double x = point.x - impl_->alignmentOffset();
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(impl_->layout, static_cast<int>(x * PANGO_SCALE),
                             static_cast<int>(point.y * PANGO_SCALE), &index, &trailing);
    std::size_t at = static_cast<std::size_t>(std::max(0, index));
    for (int i = 0; i < trailing && at < s.size(); ++i)
        at = characterEnd(s, at);
    return std::min(at, s.size());
}

Rect TextLayout::caretRectForIndex(std::size_t index) const {
    index = characterStart(impl_->text.string(), index);
    PangoRectangle strong;
    pango_layout_get_cursor_pos(impl_->layout, static_cast<int>(index), &strong, nullptr);
    return rectOf(strong).offsetBy(impl_->alignmentOffset(), 0);
}

Rect TextLayout::rectForCharacterAtIndex(std::size_t index) const {
    index = characterStart(impl_->text.string(), index);
    PangoRectangle box;
    pango_layout_index_to_pos(impl_->layout, static_cast<int>(index), &box);
    Rect r = rectOf(box);
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    return r.offsetBy(impl_->alignmentOffset(), 0);
}

void TextLayout::drawAtTopLeft(Point topLeft) const {
    auto* context = GraphicsContext::currentContext();
    if (!context || impl_->text.empty())
        return;
    cairo_t* cr = context->cairo();
    cairo_save(cr);
    cairo_translate(cr, topLeft.x, topLeft.y);
    // Pango lays out downwards; in unflipped coordinates that means turning y around.
    if (!context->isFlipped())
        cairo_scale(cr, 1, -1);
    cairo_set_operator(
        cr, static_cast<cairo_operator_t>(detail::cairoOperator(context->compositingOperation())));
    detail::setSourceColor(cr, Color::blackColor());
    cairo_move_to(cr, impl_->alignmentOffset(), 0);
    pango_cairo_show_layout(cr, impl_->layout);
    cairo_restore(cr);
}

} // namespace platform
