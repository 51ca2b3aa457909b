#include "platform/graphics/Font.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/PangoBridge.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <pango/pangocairo.h>
#include <tuple>

namespace platform {

namespace {

constexpr const char* sansFamily = "DejaVu Sans";
constexpr const char* condensedFamily = "DejaVu Sans Condensed";
constexpr const char* monoFamily = "DejaVu Sans Mono";
constexpr const char* systemFontName = "LucidaGrande";
constexpr const char* boldSystemFontName = "LucidaGrande-Bold";

std::string normalized(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == ' ' || c == '-' || c == '_' || c == '.')
            continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool removeWord(std::string& text, std::string_view word) {
    const auto at = text.find(word);
    if (at == std::string::npos || at == 0)
        return false;
    text.erase(at, word.size());
    return true;
}

struct Resolved {
    std::string family;
    bool bold = false;
    bool italic = false;
};

// The one substitution table: what the program asks for, what is drawn.
Resolved resolve(std::string_view name) {
    std::string key = normalized(name);
    Resolved r;
    r.bold = removeWord(key, "bold");
    r.italic = removeWord(key, "italic") || removeWord(key, "oblique");
    removeWord(key, "mt");
    removeWord(key, "regular");
    removeWord(key, "roman");
    static const std::map<std::string, const char*, std::less<>> families = {
        {"lucidagrande", sansFamily},
        {"lucidagrandeui", sansFamily},
        {"helvetica", sansFamily},
        {"helveticaneue", sansFamily},
        {"arial", sansFamily},
        {"system", sansFamily},
        {"dejavusans", sansFamily},
        {"arialnarrow", condensedFamily},
        {"dejavusanscondensed", condensedFamily},
        {"monaco", monoFamily},
        {"menlo", monoFamily},
        {"courier", monoFamily},
        {"couriernew", monoFamily},
        {"dejavusansmono", monoFamily},
    };
    const auto it = families.find(key);
    r.family = it != families.end() ? it->second : sansFamily;
    return r;
}

struct Metrics {
    double ascender = 0;
    double descender = 0;
    double lineHeight = 0;
    double capHeight = 0;
    double xHeight = 0;
};

double inkHeightOf(PangoFontDescription* desc, const char* text) {
    PangoLayout* layout = pango_layout_new(detail::pangoContext());
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_text(layout, text, -1);
    PangoRectangle ink;
    pango_layout_get_extents(layout, &ink, nullptr);
    const int baseline = pango_layout_get_baseline(layout);
    g_object_unref(layout);
    return static_cast<double>(baseline - ink.y) / PANGO_SCALE;
}

const Metrics& metricsOf(const Font& font) {
    using Key = std::tuple<std::string, double, bool, bool>;
    static std::map<Key, Metrics> cache;
    const Key key{font.familyName(), font.pointSize(), font.isBold(), font.isItalic()};
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    PangoFontDescription* desc = detail::newFontDescription(font);
    PangoFontMetrics* m = pango_context_get_metrics(detail::pangoContext(), desc, nullptr);
    Metrics metrics;
    metrics.ascender = static_cast<double>(pango_font_metrics_get_ascent(m)) / PANGO_SCALE;
    metrics.descender = -static_cast<double>(pango_font_metrics_get_descent(m)) / PANGO_SCALE;
    metrics.lineHeight = static_cast<double>(pango_font_metrics_get_height(m)) / PANGO_SCALE;
    if (metrics.lineHeight <= 0)
        metrics.lineHeight = metrics.ascender - metrics.descender;
    pango_font_metrics_unref(m);
    metrics.capHeight = inkHeightOf(desc, "H");
    metrics.xHeight = inkHeightOf(desc, "x");
    pango_font_description_free(desc);
    return cache.emplace(key, metrics).first->second;
}

Font makeFont(std::string_view name, double size) {
    return Font::fontWithName(name, size);
}

} // namespace

namespace detail {

PangoContext* pangoContext() {
    static PangoContext* context = [] {
        PangoFontMap* map = pango_cairo_font_map_new();
        pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 72.0);
        PangoContext* ctx = pango_font_map_create_context(map);
        g_object_unref(map);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(ctx, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(ctx, FALSE);

        // Text sizes are only the same everywhere when the DejaVu fonts are there.
        PangoFontDescription* desc = pango_font_description_from_string(sansFamily);
        PangoFont* font = pango_context_load_font(ctx, desc);
        if (font) {
            PangoFontDescription* got = pango_font_describe(font);
            const char* family = pango_font_description_get_family(got);
            if (!family || std::string_view(family) != sansFamily)
                Logf("Fonts: %s is not installed; text is drawn with %s and may measure "
                     "differently (run scripts/setup)",
                     sansFamily, family ? family : "(none)");
            pango_font_description_free(got);
            g_object_unref(font);
        }
        pango_font_description_free(desc);
        return ctx;
    }();
    return context;
}

PangoFontDescription* newFontDescription(const Font& font) {
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, font.familyName().c_str());
    pango_font_description_set_weight(desc,
                                      font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc,
                                     font.isItalic() ? PANGO_STYLE_OBLIQUE : PANGO_STYLE_NORMAL);
    const double size = std::clamp(font.pointSize(), 0.5, 4096.0);
    pango_font_description_set_absolute_size(desc, size * PANGO_SCALE);
    return desc;
}

} // namespace detail

Font::Font() : name_(systemFontName), family_(sansFamily), size_(systemFontSize()) {}

Font Font::fontWithName(std::string_view name, double size) {
    const Resolved r = resolve(name);
    Font font;
    font.name_ = std::string(name);
    font.family_ = r.family;
    font.bold_ = r.bold;
    font.italic_ = r.italic;
    font.size_ = size > 0 ? size : 12;
    return font;
}

Font Font::systemFontOfSize(double size) {
    return makeFont(systemFontName, size > 0 ? size : systemFontSize());
}

Font Font::boldSystemFontOfSize(double size) {
    return makeFont(boldSystemFontName, size > 0 ? size : systemFontSize());
}

Font Font::menuFontOfSize(double size) {
    return makeFont(systemFontName, size > 0 ? size : menuFontSize());
}

Font Font::menuBarFontOfSize(double size) {
    return makeFont(systemFontName, size > 0 ? size : menuFontSize());
}

Font Font::labelFontOfSize(double size) {
    return makeFont(systemFontName, size > 0 ? size : labelFontSize());
}

Font Font::toolTipsFontOfSize(double size) {
    return makeFont(systemFontName, size > 0 ? size : toolTipsFontSize());
}

Font Font::userFontOfSize(double size) {
    return makeFont("Helvetica", size > 0 ? size : 12);
}

Font Font::userFixedPitchFontOfSize(double size) {
    return makeFont("Monaco", size > 0 ? size : 10);
}

bool Font::isFixedPitch() const {
    return family_ == monoFamily;
}

Font Font::fontWithSize(double size) const {
    Font font = *this;
    font.size_ = size > 0 ? size : size_;
    return font;
}

Font Font::fontWithBold(bool bold) const {
    Font font = *this;
    font.bold_ = bold;
    return font;
}

Font Font::fontWithItalic(bool italic) const {
    Font font = *this;
    font.italic_ = italic;
    return font;
}

double Font::ascender() const {
    return metricsOf(*this).ascender;
}

double Font::descender() const {
    return metricsOf(*this).descender;
}

double Font::defaultLineHeightForFont() const {
    return metricsOf(*this).lineHeight;
}

double Font::capHeight() const {
    return metricsOf(*this).capHeight;
}

double Font::xHeight() const {
    return metricsOf(*this).xHeight;
}

std::string Font::pangoDescription() const {
    PangoFontDescription* desc = detail::newFontDescription(*this);
    char* text = pango_font_description_to_string(desc);
    std::string out = text;
    g_free(text);
    pango_font_description_free(desc);
    return out;
}

} // namespace platform

// Fontconfig keeps its font cache for the life of the process in a form LeakSanitizer cannot
// trace, so every program that lays out text would report it as leaked at exit; D-Bus, which
// SDL opens on a real display, keeps a buffer of its connection the same way. The hook is only
// read by sanitizer builds.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
