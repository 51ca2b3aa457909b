#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ButtonCell.h"

#include <memory>
#include <string>

// The cell of QXHyperlinkButton: the title alone in the link colour, centred vertically,
// underlined while pressed or under the pointer, with the pointing hand over it.
class QXHyperlinkButtonCell : public platform::ButtonCell {
public:
    QXHyperlinkButtonCell();
    explicit QXHyperlinkButtonCell(std::string title);
    explicit QXHyperlinkButtonCell(std::shared_ptr<platform::Image> image);
    explicit QXHyperlinkButtonCell(const platform::ButtonCell& plain);
    QXHyperlinkButtonCell(const QXHyperlinkButtonCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    // Blue links, no pointer over, the regular square bezel and no border.
    void initialize() override;

    const platform::Color& hyperlinkColor() const { return _hyperlinkColor; }
    void setHyperlinkColor(const platform::Color& color);
    bool mouseOver() const { return _mouseOver; }
    // The colour for the state: plain, 0.3 towards black pressed, 0.8 towards grey disabled.
    platform::Color hyperlinkColorForState() const;

    void drawWithFrame(const platform::Rect& cellFrame, platform::View* controlView) override;
    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;

private:
    platform::Color _hyperlinkColor;
    bool _mouseOver = false;
};
