#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ButtonCell.h"

#include <memory>
#include <string>

// Drawing types of QXButtonCell, above the platform's own button types (0 to 500).
inline constexpr int QXButtonTypePlatform = 500;
inline constexpr int QXButtonTypeImage = 501;
inline constexpr int QXButtonTypeScalable = 502;
inline constexpr int QXButtonTypeHyperlink = 503;

// The cell of QXButton: the platform's own drawing (500), an image tinted by state (501), a
// nine-part image stretched over the frame with the title on it (502), or a text link that
// underlines itself under the pointer (503).
class QXButtonCell : public platform::ButtonCell {
public:
    // The original's initTextCell: and initImageCell:; make<QXButtonCell>(...) runs initialize.
    QXButtonCell();
    explicit QXButtonCell(std::string title);
    explicit QXButtonCell(std::shared_ptr<platform::Image> image);
    // Re-typing a plain button cell: every platform field is kept, the own fields start at
    // zero until initialize gives them their defaults.
    explicit QXButtonCell(const platform::ButtonCell& plain);
    QXButtonCell(const QXButtonCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    // Every field to its default; the images "GenericBtnNormal" and "GenericBtnPressed" where
    // the cell has no image or alternate image.
    void initialize() override;

    // Up to 500: the platform's own type (stored as 500); above: a drawing type of ours.
    void setButtonType(int type) override;
    int buttonType() const { return _type; }

    const std::shared_ptr<platform::Image>& mouseOverImage() const { return _highlightImage; }
    void setMouseOverImage(std::shared_ptr<platform::Image> image);
    const std::shared_ptr<platform::Image>& disabledImage() const { return _disableImage; }
    void setDisabledImage(std::shared_ptr<platform::Image> image);
    bool doesMouseOver() const { return _doesHighlight; }
    void setDoesMouseOver(bool flag) { _doesHighlight = flag; }
    void setSectionLeft(float left, float right);
    float leftSection() const { return _leftSection; }
    float rightSection() const { return _rightSection; }
    const platform::Color& hyperlinkColor() const { return _hyperlinkColor; }
    void setHyperlinkColor(const platform::Color& color);
    platform::Point topLeftPoint() const { return _topLeftPoint; }
    void setTopLeftPoint(platform::Point point);
    platform::Point bottomRightPoint() const { return _bottomRightPoint; }
    void setBottomRightPoint(platform::Point point);
    bool mouseOver() const { return _mouseOver; }
    void setMouseOver(bool flag) { _mouseOver = flag; }

    void drawWithFrame(const platform::Rect& cellFrame, platform::View* controlView) override;
    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
    void drawImageButton(const platform::Rect& frame, platform::View* controlView);
    void drawScalableImage(const platform::Rect& frame, platform::View* controlView);
    void drawHyperlink(const platform::Rect& frame, platform::View* controlView);

    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;

    // The link colour for the cell's state: plain, 0.3 towards black while pressed, 0.8
    // towards grey while disabled.
    platform::Color hyperlinkColorForState() const;
    // The image the state shows (disabled, pressed, pointer over, plain), the plain image
    // standing in for a missing one; `plain` tells whether the plain image was chosen.
    std::shared_ptr<platform::Image> imageForState(bool* plain = nullptr) const;

private:
    int _type = 0;
    std::shared_ptr<platform::Image> _highlightImage;
    std::shared_ptr<platform::Image> _disableImage;
    bool _mouseOver = false;
    bool _doesHighlight = false;
    float _leftSection = 0;
    float _rightSection = 0;
    platform::Color _hyperlinkColor;
    platform::Point _topLeftPoint;
    platform::Point _bottomRightPoint;
};
