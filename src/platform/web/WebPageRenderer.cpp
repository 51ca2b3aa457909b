#include "platform/web/WebPageRenderer.h"

#include "platform/foundation/Format.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PangoBridge.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <litehtml/litehtml.h>
// After the library's main header, which the element headers need first.
#include <litehtml/el_body.h>
#include <litehtml/el_div.h>
#include <pango/pangocairo.h>
#include <unordered_map>

namespace platform {

namespace {

// What the page's own style sheets start from: the usual presentation of HTML's elements.
// Sizes are in pixels, which are the program's points.
constexpr const char* kMasterStyleSheet = R"css(
html, address, blockquote, body, dd, div, dl, dt, fieldset, form, frame, frameset, h1, h2, h3,
h4, h5, h6, noframes, ol, p, ul, center, dir, hr, menu, pre, article, aside, footer, header,
main, nav, section, figure, figcaption, details, summary { display: block; }
head, script, style, title, meta, link, base, noscript, template, iframe, frame, object, embed,
applet, param { display: none; }
html { color: black; background-color: white; }
body { margin: 8px; line-height: 1.25; }
p, blockquote, ul, ol, dl, pre, figure { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
h1 { font-size: 2em; margin: .67em 0; font-weight: bold; }
h2 { font-size: 1.5em; margin: .75em 0; font-weight: bold; }
h3 { font-size: 1.17em; margin: .83em 0; font-weight: bold; }
h4 { margin: 1.12em 0; font-weight: bold; }
h5 { font-size: .83em; margin: 1.5em 0; font-weight: bold; }
h6 { font-size: .75em; margin: 1.67em 0; font-weight: bold; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn, address { font-style: italic; }
pre, tt, code, kbd, samp { font-family: monospace; }
pre { white-space: pre; }
big { font-size: 1.17em; }
small, sub, sup { font-size: .83em; }
sub { vertical-align: sub; }
sup { vertical-align: super; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
center { text-align: center; }
hr { border: 1px inset #888; margin: .5em 0; }
ol, ul, dd { margin-left: 0; padding-left: 40px; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
ol ul, ul ul { list-style-type: circle; margin-top: 0; margin-bottom: 0; }
li { display: list-item; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
caption { display: table-caption; text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
a:link, a[href] { color: #0000EE; text-decoration: underline; cursor: pointer; }
img { display: inline-block; }
br { display: block; }
)css";

struct FontRecord {
    PangoFontDescription* description = nullptr;
    PangoLayout* layout = nullptr;
    unsigned decoration = 0;
    int ascent = 0;
    int descent = 0;
    int xHeight = 0;
    std::unordered_map<std::string, int> widths;
    // Words as drawn, shaped once: repainting a screen reshapes nothing.
    std::unordered_map<std::string, PangoLayout*> layouts;

    PangoLayout* shaped(const char* text) {
        constexpr std::size_t kMostLayouts = 4096;
        if (auto it = layouts.find(text); it != layouts.end())
            return it->second;
        if (layouts.size() >= kMostLayouts)
            forgetLayouts();
        PangoLayout* made = pango_layout_new(detail::pangoContext());
        pango_layout_set_font_description(made, description);
        pango_layout_set_text(made, text, -1);
        return layouts.emplace(text, made).first->second;
    }

    void forgetLayouts() {
        for (auto& [text, made] : layouts)
            g_object_unref(made);
        layouts.clear();
    }

    ~FontRecord() {
        forgetLayouts();
        if (layout)
            g_object_unref(layout);
        if (description)
            pango_font_description_free(description);
    }
};

// CSS family lists name families Pango may lack; generic names go to the program's fonts so
// that pages look the same wherever they are shown.
std::string pangoFamilies(std::string_view cssList) {
    std::string result;
    std::size_t start = 0;
    while (start <= cssList.size()) {
        std::size_t end = cssList.find(',', start);
        if (end == std::string_view::npos)
            end = cssList.size();
        std::string name(cssList.substr(start, end - start));
        name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
        name.erase(std::remove(name.begin(), name.end(), '\''), name.end());
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
            name.erase(name.begin());
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
            name.pop_back();
        const std::string key = lowercase(name);
        if (key == "sans-serif" || key == "system-ui" || key == "-apple-system")
            name = "DejaVu Sans";
        else if (key == "serif")
            name = "DejaVu Serif";
        else if (key == "monospace")
            name = "DejaVu Sans Mono";
        if (!name.empty()) {
            if (!result.empty())
                result += ',';
            result += name;
        }
        start = end + 1;
    }
    return result.empty() ? "DejaVu Sans" : result + ",DejaVu Sans";
}

void setColor(cairo_t* cr, const litehtml::web_color& color) {
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0,
                          color.alpha / 255.0);
}

void roundedRectangle(cairo_t* cr, const litehtml::position& box,
                      const litehtml::border_radiuses& r) {
    const double x = box.x, y = box.y, w = box.width, h = box.height;
    if (r.top_left_x == 0 && r.top_right_x == 0 && r.bottom_left_x == 0 && r.bottom_right_x == 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    const auto corner = [](int value, double limit) { return std::min<double>(value, limit / 2); };
    const double tl = corner(r.top_left_x, std::min(w, h));
    const double tr = corner(r.top_right_x, std::min(w, h));
    const double br = corner(r.bottom_right_x, std::min(w, h));
    const double bl = corner(r.bottom_left_x, std::min(w, h));
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - tr, y + tr, tr, -M_PI / 2, 0);
    cairo_arc(cr, x + w - br, y + h - br, br, 0, M_PI / 2);
    cairo_arc(cr, x + bl, y + h - bl, bl, M_PI / 2, M_PI);
    cairo_arc(cr, x + tl, y + tl, tl, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

std::string alphabetic(int index, char first) {
    std::string text;
    for (int n = std::max(index, 1); n > 0; n = (n - 1) / 26)
        text.insert(text.begin(), static_cast<char>(first + (n - 1) % 26));
    return text;
}

std::string roman(int index, bool upper) {
    static constexpr std::pair<int, const char*> numerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    std::string text;
    int n = std::clamp(index, 1, 3999);
    for (const auto& [value, letters] : numerals)
        for (; n >= value; n -= value)
            text += letters;
    if (upper)
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The text an ordered list item's marker shows; empty for the drawn markers.
std::string markerText(litehtml::list_style_type type, int index) {
    switch (type) {
    case litehtml::list_style_type_decimal:
        return std::to_string(index) + ".";
    case litehtml::list_style_type_decimal_leading_zero:
        return (index < 10 ? "0" : "") + std::to_string(index) + ".";
    case litehtml::list_style_type_lower_alpha:
    case litehtml::list_style_type_lower_latin:
        return alphabetic(index, 'a') + ".";
    case litehtml::list_style_type_upper_alpha:
    case litehtml::list_style_type_upper_latin:
        return alphabetic(index, 'A') + ".";
    case litehtml::list_style_type_lower_roman:
        return roman(index, false) + ".";
    case litehtml::list_style_type_upper_roman:
        return roman(index, true) + ".";
    default:
        return {};
    }
}

Rect rectOf(const litehtml::position& p) {
    return {static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.width),
            static_cast<double>(p.height)};
}

bool isBlockFlow(const litehtml::element& element) {
    const litehtml::style_display display = element.get_display();
    return (display == litehtml::display_block || display == litehtml::display_list_item) &&
           element.get_float() == litehtml::float_none &&
           element.get_element_position() != litehtml::element_position_absolute &&
           element.get_element_position() != litehtml::element_position_fixed;
}

// Blocks with long lists of children (a transcript's log, a long page's body) paint only the
// children whose boxes meet the area being painted: litehtml would otherwise walk every
// descendant of every child on each of its painting passes.
template <class Base> class CullingBlock : public Base {
public:
    using Base::Base;

    void draw_children(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip,
                       litehtml::draw_flag flag, int zindex) override {
        constexpr std::size_t kCullFrom = 32;
        if (!clip || this->m_children.size() < kCullFrom || !isBlockFlow(*this) ||
            !childrenInBlockFlow()) {
            Base::draw_children(hdc, x, y, clip, flag, zindex);
            return;
        }
        const int top = y + this->m_pos.y;
        const auto meets = [&](const litehtml::element::ptr& child) {
            return top + child->top() <= clip->bottom() && top + child->bottom() >= clip->top();
        };
        litehtml::elements_vector shown;
        if (stacked_) {
            // Blocks follow one another downwards: the first one reaching into the area is
            // found by halving, and those after it are taken until one starts below it.
            auto at = std::partition_point(flow_.begin(), flow_.end(), [&](std::size_t i) {
                return top + this->m_children[i]->bottom() < clip->top();
            });
            for (; at != flow_.end() && top + this->m_children[*at]->top() <= clip->bottom(); ++at)
                shown.push_back(this->m_children[*at]);
        } else {
            for (const std::size_t i : flow_)
                if (meets(this->m_children[i]))
                    shown.push_back(this->m_children[i]);
        }
        std::swap(this->m_children, shown);
        Base::draw_children(hdc, x, y, clip, flag, zindex);
        std::swap(this->m_children, shown);
    }

private:
    // Whether every child that shows is a block in the flow (children out of it may be
    // anywhere: then nothing is left out). The answer and the children that show are kept
    // for the children looked at so far: a page drawn again, or one with children appended at
    // its end, looks only at what is new.
    bool childrenInBlockFlow() {
        const litehtml::elements_vector& children = this->m_children;
        if (checked_ > children.size() ||
            (checked_ > 0 && children[checked_ - 1].get() != checkedLast_)) {
            checked_ = 0;
            flow_.clear();
            outOfFlow_ = false;
            stacked_ = true;
        }
        for (; checked_ < children.size(); ++checked_) {
            const litehtml::element::ptr& child = children[checked_];
            if (child->is_white_space() || child->get_display() == litehtml::display_none)
                continue;
            if (!isBlockFlow(*child)) {
                outOfFlow_ = true;
            } else {
                flow_.push_back(checked_);
                // A negative margin may pull a block above the one before it.
                if (child->margin_top() < 0 || child->margin_bottom() < 0)
                    stacked_ = false;
            }
        }
        checkedLast_ = children.empty() ? nullptr : children.back().get();
        return !outOfFlow_;
    }

    std::size_t checked_ = 0;
    const litehtml::element* checkedLast_ = nullptr;
    bool outOfFlow_ = false;
    // Whether the blocks that show are stacked in order, none above the one before it.
    bool stacked_ = true;
    std::vector<std::size_t> flow_;
};

} // namespace

// The bridge litehtml draws and measures through.
class PageContainer : public litehtml::document_container {
public:
    WebPageRenderer::ImageSource imageSource;
    WebPageRenderer::URLResolver resolver;
    cairo_t* cr = nullptr;
    int viewportWidth = 0;
    int viewportHeight = 0;
    std::string title;
    std::vector<std::unique_ptr<FontRecord>> fonts;

    std::string resolve(const char* src, const char* baseurl) const {
        std::string reference = src ? src : "";
        (void)baseurl;
        return resolver ? resolver(reference) : reference;
    }

    std::shared_ptr<Image> image(const char* src, const char* baseurl) const {
        if (!src || !*src || !imageSource)
            return nullptr;
        std::shared_ptr<Image> found = imageSource(resolve(src, baseurl));
        return found && found->isValid() ? found : nullptr;
    }

    litehtml::uint_ptr create_font(const char* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override {
        auto record = std::make_unique<FontRecord>();
        record->description = pango_font_description_new();
        const std::string families = pangoFamilies(faceName ? faceName : "");
        pango_font_description_set_family(record->description, families.c_str());
        pango_font_description_set_absolute_size(record->description,
                                                 std::max(size, 1) * double(PANGO_SCALE));
        pango_font_description_set_weight(record->description,
                                          static_cast<PangoWeight>(std::clamp(weight, 100, 1000)));
        pango_font_description_set_style(record->description, italic == litehtml::fontStyleItalic
                                                                  ? PANGO_STYLE_ITALIC
                                                                  : PANGO_STYLE_NORMAL);
        record->decoration = decoration;
        record->layout = pango_layout_new(detail::pangoContext());
        pango_layout_set_font_description(record->layout, record->description);
        PangoFontMetrics* metrics =
            pango_context_get_metrics(detail::pangoContext(), record->description, nullptr);
        record->ascent = static_cast<int>(
            std::ceil(double(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE));
        record->descent = static_cast<int>(
            std::ceil(double(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE));
        pango_font_metrics_unref(metrics);
        pango_layout_set_text(record->layout, "x", 1);
        PangoRectangle ink;
        pango_layout_get_extents(record->layout, &ink, nullptr);
        record->xHeight = std::max(1, ink.height / PANGO_SCALE);
        if (fm) {
            fm->ascent = record->ascent;
            fm->descent = record->descent;
            fm->height = record->ascent + record->descent;
            fm->x_height = record->xHeight;
            fm->draw_spaces = italic == litehtml::fontStyleItalic || decoration != 0;
        }
        fonts.push_back(std::move(record));
        return reinterpret_cast<litehtml::uint_ptr>(fonts.back().get());
    }

    void delete_font(litehtml::uint_ptr font) override {
        std::erase_if(fonts, [&](const std::unique_ptr<FontRecord>& record) {
            return reinterpret_cast<litehtml::uint_ptr>(record.get()) == font;
        });
    }

    int text_width(const char* text, litehtml::uint_ptr font) override {
        auto* record = reinterpret_cast<FontRecord*>(font);
        if (!record || !text || !*text)
            return 0;
        // Pages repeat their words: each is shaped once a font.
        auto [it, fresh] = record->widths.try_emplace(text, 0);
        if (fresh) {
            pango_layout_set_text(record->layout, text, -1);
            PangoRectangle logical;
            pango_layout_get_extents(record->layout, nullptr, &logical);
            it->second = static_cast<int>(std::lround(double(logical.width) / PANGO_SCALE));
        }
        return it->second;
    }

    void draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr font,
                   litehtml::web_color color, const litehtml::position& pos) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        auto* record = reinterpret_cast<FontRecord*>(font);
        if (!cr || !record || !text)
            return;
        PangoLayout* layout = record->shaped(text);
        const double baseline = pos.bottom() - record->descent;
        const double layoutBaseline = double(pango_layout_get_baseline(layout)) / PANGO_SCALE;
        cairo_save(cr);
        setColor(cr, color);
        cairo_move_to(cr, pos.x, baseline - layoutBaseline);
        pango_cairo_show_layout(cr, layout);
        const auto line = [&](double y) {
            cairo_rectangle(cr, pos.x, std::floor(y), pos.width, 1);
            cairo_fill(cr);
        };
        if (record->decoration & litehtml::font_decoration_underline)
            line(baseline + 1);
        if (record->decoration & litehtml::font_decoration_linethrough)
            line(baseline - record->xHeight / 2.0);
        if (record->decoration & litehtml::font_decoration_overline)
            line(pos.top());
        cairo_restore(cr);
    }

    int pt_to_px(int pt) const override { return static_cast<int>(std::lround(pt * 96.0 / 72)); }
    int get_default_font_size() const override { return 13; }
    const char* get_default_font_name() const override { return "sans-serif"; }

    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        if (!cr)
            return;
        if (std::shared_ptr<Image> picture = image(marker.image.c_str(), marker.baseurl)) {
            drawImage(cr, *picture, rectOf(marker.pos));
            return;
        }
        cairo_save(cr);
        setColor(cr, marker.color);
        const litehtml::position& p = marker.pos;
        switch (marker.marker_type) {
        case litehtml::list_style_type_none:
            break;
        case litehtml::list_style_type_circle:
            cairo_set_line_width(cr, 1);
            cairo_arc(cr, p.x + p.width / 2.0, p.y + p.height / 2.0, p.width / 2.0 - 0.5, 0,
                      2 * M_PI);
            cairo_stroke(cr);
            break;
        case litehtml::list_style_type_square:
            cairo_rectangle(cr, p.x, p.y, p.width, p.height);
            cairo_fill(cr);
            break;
        case litehtml::list_style_type_disc:
            cairo_arc(cr, p.x + p.width / 2.0, p.y + p.height / 2.0, p.width / 2.0, 0, 2 * M_PI);
            cairo_fill(cr);
            break;
        default:
            if (auto* record = reinterpret_cast<FontRecord*>(marker.font)) {
                const std::string text = markerText(marker.marker_type, marker.index);
                const int width = text_width(text.c_str(), marker.font);
                litehtml::position box = p;
                box.x = p.x + p.width - width;
                box.width = width;
                box.y = p.y + p.height / 2 - (record->ascent + record->descent) / 2;
                box.height = record->ascent + record->descent;
                draw_text(hdc, text.c_str(), marker.font, marker.color, box);
            }
            break;
        }
        cairo_restore(cr);
    }

    void load_image(const char*, const char*, bool) override {}

    void get_image_size(const char* src, const char* baseurl, litehtml::size& sz) override {
        if (std::shared_ptr<Image> picture = image(src, baseurl)) {
            sz.width = static_cast<int>(std::lround(picture->size().width));
            sz.height = static_cast<int>(std::lround(picture->size().height));
        } else {
            sz.width = sz.height = 0;
        }
    }

    static void drawImage(cairo_t* cr, const Image& picture, const Rect& into) {
        cairo_surface_t* surface = picture.cairoSurface();
        if (!surface || into.width() <= 0 || into.height() <= 0)
            return;
        cairo_save(cr);
        cairo_translate(cr, into.minX(), into.minY());
        cairo_scale(cr, into.width() / picture.pixelsWide(), into.height() / picture.pixelsHigh());
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
    }

    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        if (!cr)
            return;
        cairo_save(cr);
        roundedRectangle(cr, bg.border_box, bg.border_radius);
        cairo_clip(cr);
        cairo_rectangle(cr, bg.clip_box.x, bg.clip_box.y, bg.clip_box.width, bg.clip_box.height);
        cairo_clip(cr);
        if (bg.color.alpha) {
            setColor(cr, bg.color);
            cairo_paint(cr);
        }
        if (std::shared_ptr<Image> picture = image(bg.image.c_str(), bg.baseurl.c_str())) {
            const double w = bg.image_size.width, h = bg.image_size.height;
            if (w > 0 && h > 0) {
                // Positions are the page's, not the box's.
                const double x0 = bg.position_x;
                const double y0 = bg.position_y;
                const bool repeatX = bg.repeat == litehtml::background_repeat_repeat ||
                                     bg.repeat == litehtml::background_repeat_repeat_x;
                const bool repeatY = bg.repeat == litehtml::background_repeat_repeat ||
                                     bg.repeat == litehtml::background_repeat_repeat_y;
                const auto first = [](double origin, double step, double edge) {
                    return origin - std::ceil((origin - edge) / step) * step;
                };
                const double startX = repeatX ? first(x0, w, bg.clip_box.x) : x0;
                const double startY = repeatY ? first(y0, h, bg.clip_box.y) : y0;
                const double endX = repeatX ? bg.clip_box.right() : x0 + 1;
                const double endY = repeatY ? bg.clip_box.bottom() : y0 + 1;
                for (double y = startY; y < endY; y += h)
                    for (double x = startX; x < endX; x += w)
                        drawImage(cr, *picture, {x, y, w, h});
            }
        }
        cairo_restore(cr);
    }

    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                      const litehtml::position& box, bool) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        if (!cr)
            return;
        const auto visible = [](const litehtml::border& side) {
            return side.width > 0 && side.style != litehtml::border_style_none &&
                   side.style != litehtml::border_style_hidden;
        };
        cairo_save(cr);
        const litehtml::border_radiuses& r = borders.radius;
        const bool rounded = r.top_left_x || r.top_right_x || r.bottom_left_x || r.bottom_right_x;
        if (rounded && visible(borders.top)) {
            // A rounded frame is drawn as one line in the top side's colour and width.
            const double half = borders.top.width / 2.0;
            litehtml::position inner = box;
            inner.x += static_cast<int>(half);
            inner.y += static_cast<int>(half);
            inner.width -= borders.top.width;
            inner.height -= borders.top.width;
            roundedRectangle(cr, inner, r);
            setColor(cr, borders.top.color);
            cairo_set_line_width(cr, borders.top.width);
            cairo_stroke(cr);
            cairo_restore(cr);
            return;
        }
        const auto side = [&](const litehtml::border& b, double x, double y, double w, double h) {
            if (!visible(b))
                return;
            litehtml::web_color color = b.color;
            if (b.style == litehtml::border_style_inset || b.style == litehtml::border_style_groove)
                color = litehtml::web_color(color.red / 2, color.green / 2, color.blue / 2,
                                            color.alpha);
            setColor(cr, color);
            if (b.style == litehtml::border_style_dotted ||
                b.style == litehtml::border_style_dashed) {
                const double dash =
                    b.style == litehtml::border_style_dotted ? b.width : 3 * b.width;
                const double step = 2 * dash;
                const bool across = w >= h;
                const double length = across ? w : h;
                for (double at = 0; at < length; at += step) {
                    const double piece = std::min(dash, length - at);
                    if (across)
                        cairo_rectangle(cr, x + at, y, piece, h);
                    else
                        cairo_rectangle(cr, x, y + at, w, piece);
                }
            } else {
                cairo_rectangle(cr, x, y, w, h);
            }
            cairo_fill(cr);
        };
        side(borders.top, box.x, box.y, box.width, borders.top.width);
        side(borders.bottom, box.x, box.bottom() - borders.bottom.width, box.width,
             borders.bottom.width);
        side(borders.left, box.x, box.y, borders.left.width, box.height);
        side(borders.right, box.right() - borders.right.width, box.y, borders.right.width,
             box.height);
        cairo_restore(cr);
    }

    void set_caption(const char* caption) override { title = caption ? caption : ""; }
    void set_base_url(const char*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const char*, const litehtml::element::ptr&) override {}
    void set_cursor(const char*) override {}

    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override {
        gchar* changed = nullptr;
        if (tt == litehtml::text_transform_uppercase)
            changed = g_utf8_strup(text.c_str(), -1);
        else if (tt == litehtml::text_transform_lowercase)
            changed = g_utf8_strdown(text.c_str(), -1);
        else if (tt == litehtml::text_transform_capitalize && !text.empty()) {
            text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
            return;
        }
        if (changed) {
            text = changed;
            g_free(changed);
        }
    }

    // Style sheets the page links to are not fetched: a page brings its style inline.
    void import_css(litehtml::tstring&, const litehtml::tstring&, litehtml::tstring&) override {}

    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radius, bool,
                  bool) override {
        if (!cr)
            return;
        cairo_save(cr);
        roundedRectangle(cr, pos, radius);
        cairo_clip(cr);
    }

    void del_clip() override {
        if (cr)
            cairo_restore(cr);
    }

    void get_client_rect(litehtml::position& client) const override {
        client = litehtml::position(0, 0, viewportWidth, viewportHeight);
    }

    std::shared_ptr<litehtml::element>
    create_element(const char* tag, const litehtml::string_map&,
                   const std::shared_ptr<litehtml::document>& document) override {
        const std::string_view name = tag ? tag : "";
        if (name == "div")
            return std::make_shared<CullingBlock<litehtml::el_div>>(document);
        if (name == "body")
            return std::make_shared<CullingBlock<litehtml::el_body>>(document);
        if (name == "section" || name == "article" || name == "main" || name == "ul" ||
            name == "ol")
            return std::make_shared<CullingBlock<litehtml::html_tag>>(document);
        return nullptr;
    }

    void get_media_features(litehtml::media_features& media) const override {
        media.type = litehtml::media_type_screen;
        media.width = media.device_width = viewportWidth;
        media.height = media.device_height = viewportHeight;
        media.color = 8;
        media.color_index = 0;
        media.monochrome = 0;
        media.resolution = 96;
    }

    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override {
        language = "en";
        culture.clear();
    }
};

struct WebPageRenderer::Impl {
    PageContainer container;
    std::shared_ptr<litehtml::document> document;
    int contentHeight = 0;
    // Derived from the layout, made when first asked for.
    mutable bool runsValid = false;
    mutable std::vector<WebTextRun> runs;
    mutable std::vector<WebPageLink> links;
    mutable std::vector<std::string> markers;
    // While set, walk() keeps to the blocks that meet this area.
    mutable const Rect* area = nullptr;

    static litehtml::context& context() {
        static litehtml::context* shared = [] {
            auto* made = new litehtml::context;
            made->load_master_stylesheet(kMasterStyleSheet);
            return made;
        }();
        return *shared;
    }

    litehtml::element::ptr elementAt(const DOMElementPath& path) const {
        if (!document || !document->root())
            return nullptr;
        litehtml::element::ptr node = childWithTag(document->root(), "body");
        for (const auto& [index, tag] : path) {
            if (!node)
                return nullptr;
            node = elementChild(node, index);
            const char* name = node ? node->get_tagName() : nullptr;
            if (!name || tag != name)
                return nullptr;
        }
        return node;
    }

    static bool isTag(const litehtml::element::ptr& element) {
        const char* name = element->get_tagName();
        return name && *name && element->get_display() != litehtml::display_inline_text &&
               name[0] != ':';
    }

    static bool containsTable(const litehtml::element::ptr& element) {
        const char* name = element->get_tagName();
        static constexpr std::string_view tabular[] = {
            "table", "tr", "td", "th", "tbody", "thead", "tfoot", "caption", "col", "colgroup"};
        if (name && std::find(std::begin(tabular), std::end(tabular), name) != std::end(tabular))
            return true;
        for (std::size_t i = 0; i < element->get_children_count(); ++i)
            if (containsTable(element->get_child(static_cast<int>(i))))
                return true;
        return false;
    }

    static litehtml::element::ptr childWithTag(const litehtml::element::ptr& parent,
                                               std::string_view tag) {
        for (std::size_t i = 0; i < parent->get_children_count(); ++i) {
            litehtml::element::ptr child = parent->get_child(static_cast<int>(i));
            if (isTag(child) && tag == child->get_tagName())
                return child;
        }
        return nullptr;
    }

    // The element child at `index`, counted from the end when it is negative.
    static litehtml::element::ptr elementChild(const litehtml::element::ptr& parent,
                                               std::ptrdiff_t index) {
        const auto count = static_cast<std::ptrdiff_t>(parent->get_children_count());
        if (index < 0) {
            std::ptrdiff_t fromEnd = -1 - index;
            for (std::ptrdiff_t i = count; i-- > 0;) {
                litehtml::element::ptr child = parent->get_child(static_cast<int>(i));
                if (isTag(child) && fromEnd-- == 0)
                    return child;
            }
            return nullptr;
        }
        for (std::ptrdiff_t i = 0; i < count; ++i) {
            litehtml::element::ptr child = parent->get_child(static_cast<int>(i));
            if (isTag(child) && index-- == 0)
                return child;
        }
        return nullptr;
    }

    void walk(const litehtml::element::ptr& element, int x, int y, int link,
              std::string& pendingMarker) const {
        if (!element->is_visible() || element->skip())
            return;
        // Asked about one area only, blocks outside it are passed over whole.
        if (area && isBlockFlow(*element) &&
            (y + element->bottom() < area->minY() || y + element->top() > area->maxY()))
            return;
        const litehtml::position& pos = element->get_position();
        const int left = x + pos.x;
        const int top = y + pos.y;
        if (element->get_children_count() == 0 &&
            element->get_display() == litehtml::display_inline_text) {
            litehtml::tstring text;
            element->get_text(text);
            if (text.empty())
                return;
            WebTextRun run;
            run.blank = element->is_white_space();
            run.text = run.blank ? std::string(" ") : text;
            const litehtml::white_space space = element->get_white_space();
            const bool keepsBreaks = space == litehtml::white_space_pre ||
                                     space == litehtml::white_space_pre_line ||
                                     space == litehtml::white_space_pre_wrap;
            if (run.blank && keepsBreaks && text.find('\n') != std::string::npos)
                run.text = "\n";
            run.rect = {double(left), double(top), double(pos.width), double(pos.height)};
            run.link = link;
            if (link >= 0 && !run.blank) {
                std::vector<Rect>& rects = links[link].rects;
                if (!rects.empty() && rects.back().minY() < run.rect.maxY() &&
                    run.rect.minY() < rects.back().maxY())
                    rects.back() = rects.back().unionWith(run.rect);
                else
                    rects.push_back(run.rect);
            }
            markers.push_back(run.blank ? std::string() : std::exchange(pendingMarker, {}));
            runs.push_back(std::move(run));
            return;
        }
        const char* tag = element->get_tagName();
        if (tag && std::string_view(tag) == "a") {
            if (const char* href = element->get_attr("href")) {
                const char* target = element->get_attr("target");
                links.push_back({href, target ? target : "", {}});
                link = static_cast<int>(links.size()) - 1;
            }
        }
        if (element->get_display() == litehtml::display_list_item) {
            const char* type = element->get_style_property("list-style-type", true, "disc");
            pendingMarker = std::string_view(type) == "disc"     ? "\u2022 "
                            : std::string_view(type) == "circle" ? "\u25e6 "
                            : std::string_view(type) == "square" ? "\u25aa "
                                                                 : "";
        }
        for (std::size_t i = 0; i < element->get_children_count(); ++i)
            walk(element->get_child(static_cast<int>(i)), left, top, link, pendingMarker);
    }
};

WebPageRenderer::WebPageRenderer() : impl_(std::make_unique<Impl>()) {}

WebPageRenderer::~WebPageRenderer() {
    // The document's elements hand their fonts back to the container as they go.
    impl_->document.reset();
}

void WebPageRenderer::setImageSource(ImageSource source) {
    impl_->container.imageSource = std::move(source);
}

void WebPageRenderer::setURLResolver(URLResolver resolver) {
    impl_->container.resolver = std::move(resolver);
}

void WebPageRenderer::setHTML(std::string_view html) {
    impl_->document.reset();
    impl_->container.title.clear();
    const std::string text(html);
    impl_->document =
        litehtml::document::createFromUTF8(text.c_str(), &impl_->container, &Impl::context());
    impl_->runsValid = false;
    needsLayout_ = true;
}

void WebPageRenderer::layout(double width) {
    width_ = std::max(1.0, width);
    impl_->container.viewportWidth = static_cast<int>(width_);
    needsLayout_ = false;
    impl_->runsValid = false;
    if (!impl_->document)
        return;
    impl_->document->media_changed();
    impl_->document->render(static_cast<int>(width_));
    impl_->contentHeight = impl_->document->height();
}

double WebPageRenderer::height() const {
    return impl_->contentHeight;
}

WebPageRenderer::Appended WebPageRenderer::appendHTML(const DOMElementPath& parentPath,
                                                      std::string_view html) {
    litehtml::element::ptr parent = impl_->elementAt(parentPath);
    if (!parent)
        return {};
    const std::size_t before = parent->get_children_count();
    const std::string text(html);
    impl_->document->append_children_from_utf8(*parent, text.c_str());
    impl_->runsValid = false;
    // The fragment arrives as a whole parsed page (html, head, body): its body's children take
    // its place, and are styled again where they now are (selectors and inherited values
    // depend on the ancestors).
    std::vector<litehtml::element::ptr> wrappers;
    for (std::size_t i = before; i < parent->get_children_count(); ++i)
        wrappers.push_back(parent->get_child(static_cast<int>(i)));
    std::vector<litehtml::element::ptr> added;
    for (const litehtml::element::ptr& wrapper : wrappers) {
        parent->removeChild(wrapper);
        litehtml::element::ptr body =
            Impl::isTag(wrapper) && std::string_view(wrapper->get_tagName()) == "html"
                ? Impl::childWithTag(wrapper, "body")
                : wrapper;
        if (body == wrapper) {
            added.push_back(wrapper);
            continue;
        }
        for (std::size_t i = 0; body && i < body->get_children_count(); ++i)
            added.push_back(body->get_child(static_cast<int>(i)));
    }
    for (const litehtml::element::ptr& child : added) {
        // Tables need the anonymous boxes only a whole build makes.
        if (Impl::containsTable(child))
            return {};
        parent->appendChild(child);
    }
    for (const litehtml::element::ptr& child : added) {
        child->refresh_styles();
        child->parse_styles(true);
    }
    if (needsLayout_)
        return {true, std::nullopt};

    // Only a block at the end of a plain block's flow can be placed without its neighbours
    // moving sideways; anything else lays the whole page out again.
    const auto whole = [this]() -> Appended {
        needsLayout_ = true;
        return {true, std::nullopt};
    };
    if (!isBlockFlow(*parent) || !parent->get_css_height().is_predefined())
        return whole();
    for (litehtml::element::ptr node = parent; node->have_parent(); node = node->parent())
        if (!isBlockFlow(*node->parent()) || !node->parent()->get_css_height().is_predefined())
            return whole();
    litehtml::element::ptr previous;
    for (std::size_t i = before; i-- > 0;) {
        litehtml::element::ptr child = parent->get_child(static_cast<int>(i));
        if (child->skip() || child->get_display() == litehtml::display_none ||
            child->is_white_space())
            continue;
        if (!isBlockFlow(*child))
            return whole();
        previous = child;
        break;
    }
    std::erase_if(added, [](const litehtml::element::ptr& child) {
        return child->is_white_space() || child->get_display() == litehtml::display_none;
    });
    for (const litehtml::element::ptr& child : added)
        if (!isBlockFlow(*child) || child->get_clear() != litehtml::clear_none)
            return whole();

    if (added.empty())
        return {true, Rect{}};
    // An empty parent's first child shares its top margin with it: a whole layout places it.
    if (!previous)
        return whole();
    // Blocks follow one another as the whole layout places them: margins meet (the larger
    // one kept) only between blocks without padding or border on that side.
    const int oldContentHeight = parent->get_position().height;
    const int width = parent->get_position().width;
    int y = previous->bottom();
    const int top = y;
    litehtml::element::ptr above = previous;
    for (const litehtml::element::ptr& child : added) {
        child->render(0, y, width);
        if (above->collapse_bottom_margin() && child->collapse_top_margin())
            child->get_position().y -= std::min(above->margin_bottom(), child->margin_top());
        y = child->bottom();
        above = child;
    }
    const litehtml::element::ptr& last = added.back();
    const bool sharesBottomMargin =
        parent->collapse_bottom_margin() && last->collapse_bottom_margin();
    const int newContentHeight = last->bottom() - (sharesBottomMargin ? last->margin_bottom() : 0);
    const int delta = std::max(0, newContentHeight - oldContentHeight);
    parent->get_position().height += delta;
    for (litehtml::element::ptr node = parent; delta > 0 && node->have_parent();
         node = node->parent()) {
        litehtml::element::ptr up = node->parent();
        bool after = false;
        for (std::size_t i = 0; i < up->get_children_count(); ++i) {
            litehtml::element::ptr sibling = up->get_child(static_cast<int>(i));
            if (after && sibling->in_normal_flow())
                sibling->get_position().y += delta;
            if (sibling == node)
                after = true;
        }
        up->get_position().height += delta;
    }
    impl_->contentHeight += delta;
    const litehtml::position where = parent->get_placement();
    const double changedTop = where.y + top;
    return {true, Rect{0, changedTop, width_, std::max(0.0, impl_->contentHeight - changedTop)}};
}

void WebPageRenderer::draw(void* cairoContext, const Rect& clip) const {
    if (!impl_->document)
        return;
    auto* cr = static_cast<cairo_t*>(cairoContext);
    impl_->container.cr = cr;
    const litehtml::position area(static_cast<int>(std::floor(clip.minX())),
                                  static_cast<int>(std::floor(clip.minY())),
                                  static_cast<int>(std::ceil(clip.width())) + 1,
                                  static_cast<int>(std::ceil(clip.height())) + 1);
    impl_->container.viewportHeight = area.height;
    impl_->document->draw(reinterpret_cast<litehtml::uint_ptr>(cr), 0, 0, &area);
    impl_->container.cr = nullptr;
}

void WebPageRenderer::collectRuns() const {
    if (impl_->runsValid)
        return;
    impl_->runs.clear();
    impl_->links.clear();
    impl_->markers.clear();
    impl_->runsValid = true;
    if (!impl_->document || !impl_->document->root() || needsLayout_)
        return;
    std::string pendingMarker;
    impl_->walk(impl_->document->root(), 0, 0, -1, pendingMarker);
    // Lines: a word starts one when it sits below (or above) the line's first word, comes back
    // to the left of the word before it, or follows a kept line break.
    const WebTextRun* first = nullptr;
    const WebTextRun* previous = nullptr;
    bool broken = false;
    for (WebTextRun& run : impl_->runs) {
        if (run.blank) {
            broken = broken || run.text == "\n";
            continue;
        }
        run.startsLine = !first || broken || run.rect.midY() > first->rect.maxY() ||
                         run.rect.midY() < first->rect.minY() ||
                         run.rect.minX() < previous->rect.maxX() - 1;
        if (run.startsLine)
            first = &run;
        previous = &run;
        broken = false;
    }
}

const std::vector<WebTextRun>& WebPageRenderer::textRuns() const {
    collectRuns();
    return impl_->runs;
}

const std::vector<WebPageLink>& WebPageRenderer::links() const {
    collectRuns();
    return impl_->links;
}

std::optional<std::size_t> WebPageRenderer::linkAt(Point point) const {
    const std::vector<WebPageLink>& all = links();
    for (std::size_t i = 0; i < all.size(); ++i)
        for (const Rect& rect : all[i].rects)
            if (rect.containsPoint(point))
                return i;
    return std::nullopt;
}

std::vector<WebPageLink> WebPageRenderer::linksIn(const Rect& area) const {
    std::vector<WebPageLink> found;
    if (impl_->runsValid || !impl_->document || !impl_->document->root() || needsLayout_) {
        for (const WebPageLink& link : links())
            if (std::any_of(link.rects.begin(), link.rects.end(),
                            [&](const Rect& rect) { return rect.intersects(area); }))
                found.push_back(link);
        return found;
    }
    // Without the whole page's words at hand, only the blocks in the area are read.
    std::vector<WebTextRun> runs;
    std::vector<std::string> markers;
    std::swap(runs, impl_->runs);
    std::swap(found, impl_->links);
    std::swap(markers, impl_->markers);
    impl_->area = &area;
    std::string pendingMarker;
    impl_->walk(impl_->document->root(), 0, 0, -1, pendingMarker);
    impl_->area = nullptr;
    std::swap(runs, impl_->runs);
    std::swap(found, impl_->links);
    std::swap(markers, impl_->markers);
    std::erase_if(found, [&](const WebPageLink& link) {
        return std::none_of(link.rects.begin(), link.rects.end(),
                            [&](const Rect& rect) { return rect.intersects(area); });
    });
    return found;
}

std::string WebPageRenderer::renderedText() const {
    return textOfRuns(0, textRuns().size());
}

std::string WebPageRenderer::textOfRuns(std::size_t first, std::size_t end) const {
    const std::vector<WebTextRun>& all = textRuns();
    std::string text;
    bool blank = false;
    for (std::size_t i = first; i < end && i < all.size(); ++i) {
        const WebTextRun& run = all[i];
        if (run.blank) {
            blank = true;
            continue;
        }
        if (run.startsLine && !text.empty())
            text += '\n';
        else if (blank && !text.empty())
            text += ' ';
        blank = false;
        text += impl_->markers[i];
        text += run.text;
    }
    return text;
}

std::optional<Rect> WebPageRenderer::rectOfElement(const DOMElementPath& path) const {
    if (needsLayout_)
        return std::nullopt;
    litehtml::element::ptr element = impl_->elementAt(path);
    if (!element)
        return std::nullopt;
    litehtml::position box = element->get_placement();
    box.x -= element->padding_left() + element->border_left();
    box.y -= element->padding_top() + element->border_top();
    box.width += element->padding_left() + element->padding_right() + element->border_left() +
                 element->border_right();
    box.height += element->padding_top() + element->padding_bottom() + element->border_top() +
                  element->border_bottom();
    return rectOf(box);
}

const std::string& WebPageRenderer::title() const {
    return impl_->container.title;
}

} // namespace platform
