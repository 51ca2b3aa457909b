#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/kit/View.h"

#include <memory>
#include <string>

namespace platform {

// Box kinds, title places and borders, as the original numbered them.
enum class BoxType : int { Primary = 0, Secondary = 1, Separator = 2, OldStyle = 3, Custom = 4 };
enum class TitlePosition : int {
    NoTitle = 0,
    AboveTop = 1,
    AtTop = 2,
    BelowTop = 3,
    AboveBottom = 4,
    AtBottom = 5,
    BelowBottom = 6,
};
enum class BorderType : int { NoBorder = 0, LineBorder = 1, BezelBorder = 2, GrooveBorder = 3 };

// A framed group of views with an optional title: the box draws its border (or a separator
// line) and title, and keeps one content view inside its margins.
class Box : public View {
public:
    explicit Box(const Rect& frame = {});

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    TitlePosition titlePosition() const { return titlePosition_; }
    void setTitlePosition(TitlePosition position);
    const Font& titleFont() const { return titleFont_; }
    void setTitleFont(const Font& font);
    BoxType boxType() const { return boxType_; }
    void setBoxType(BoxType type);
    BorderType borderType() const { return borderType_; }
    void setBorderType(BorderType type);
    // Custom boxes only.
    const Color& borderColor() const { return borderColor_; }
    void setBorderColor(const Color& color);
    const Color& fillColor() const { return fillColor_; }
    void setFillColor(const Color& color);
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    bool isTransparent() const { return transparent_; }
    void setTransparent(bool flag);

    Size contentViewMargins() const { return margins_; }
    void setContentViewMargins(Size margins);
    View* contentView() const { return contentView_.get(); }
    void setContentView(std::shared_ptr<View> view);
    // The rectangle (in the box's coordinates) inside the border, below the title.
    Rect borderRect() const;
    Rect titleRect() const;
    // Resizes the box so that its content view gets `contentFrame` (in the superview's
    // coordinates).
    void setFrameFromContentFrame(const Rect& contentFrame);
    // Fits the box around its content view's subviews.
    void sizeToFit();

    void setFrameSize(Size size) override;
    void drawRect(const Rect& dirtyRect) override;

private:
    double titleHeight() const;
    Rect contentRect() const;
    void layoutContentView();

    std::string title_ = "Title";
    TitlePosition titlePosition_ = TitlePosition::AtTop;
    Font titleFont_ = Font::systemFontOfSize(Font::smallSystemFontSize());
    BoxType boxType_ = BoxType::Primary;
    BorderType borderType_ = BorderType::GrooveBorder;
    Color borderColor_ = Color::blackColor();
    Color fillColor_ = Color::clearColor();
    double borderWidth_ = 1;
    double cornerRadius_ = 0;
    bool transparent_ = false;
    Size margins_{5, 5};
    std::shared_ptr<View> contentView_;
};

} // namespace platform
