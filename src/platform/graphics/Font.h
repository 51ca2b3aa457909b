#pragma once

#include <string>
#include <string_view>

namespace platform {

// A font: a name as the program asked for it, a size in points and its traits. Every name is
// mapped through one substitution table onto the DejaVu families that scripts/setup installs
// (fonts-dejavu-core), so text measures the same on every machine:
//   "Lucida Grande", "LucidaGrande", "Helvetica", "Arial", the system font -> DejaVu Sans
//   "...-Bold" / "... Bold" variants                                       -> DejaVu Sans Bold
//   "Arial Narrow", "Arial Narrow Bold"                 -> DejaVu Sans Condensed (Bold)
//   "Monaco", "Menlo", "Courier"                                            -> DejaVu Sans Mono
// Any other name is the system family with the traits its name spells ("-Bold", "Italic").
class Font {
public:
    // The system font at the system size.
    Font();

    // Size 0 means the original's user font size, 12 points.
    static Font fontWithName(std::string_view name, double size);
    // The original's standard sizes, used when 0 is asked for.
    static double systemFontSize() { return 13; }
    static double smallSystemFontSize() { return 11; }
    static double miniSystemFontSize() { return 9; }
    static double labelFontSize() { return 10; }
    static double menuFontSize() { return 14; }
    static double toolTipsFontSize() { return 11; }
    static Font systemFontOfSize(double size);
    static Font boldSystemFontOfSize(double size);
    static Font menuFontOfSize(double size);
    static Font menuBarFontOfSize(double size);
    static Font labelFontOfSize(double size);
    static Font toolTipsFontOfSize(double size);
    static Font userFontOfSize(double size);
    // Size 0 gives 10 points, as the original's fixed-pitch user font.
    static Font userFixedPitchFontOfSize(double size);

    // The name asked for ("Helvetica-Bold"); the system font is "LucidaGrande".
    const std::string& fontName() const { return name_; }
    // The family drawn with ("DejaVu Sans").
    const std::string& familyName() const { return family_; }
    double pointSize() const { return size_; }
    bool isBold() const { return bold_; }
    bool isItalic() const { return italic_; }
    bool isFixedPitch() const;

    Font fontWithSize(double size) const;
    // The same font with bold or italic added or removed (the original's font manager
    // conversions).
    Font fontWithBold(bool bold) const;
    Font fontWithItalic(bool italic) const;

    // Metrics in points: ascender above the baseline (positive), descender below it
    // (negative), and the default line height (ascender - descender + leading).
    double ascender() const;
    double descender() const;
    double defaultLineHeightForFont() const;
    double capHeight() const;
    double xHeight() const;

    // The Pango description string this font is drawn with ("DejaVu Sans Bold 13px").
    std::string pangoDescription() const;

    friend bool operator==(const Font& a, const Font& b) {
        return a.family_ == b.family_ && a.size_ == b.size_ && a.bold_ == b.bold_ &&
               a.italic_ == b.italic_ && a.name_ == b.name_;
    }

private:
    std::string name_;
    std::string family_;
    double size_ = 13;
    bool bold_ = false;
    bool italic_ = false;
};

} // namespace platform
