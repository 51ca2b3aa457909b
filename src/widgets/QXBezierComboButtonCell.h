#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ButtonCell.h"
#include "widgets/QXBezierButtonCell.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <memory>
#include <optional>

// The cell of QXBezierComboButton: a bezier face whose right 20 points are a menu part with a
// separator and a triangle; whichever part is held looks pressed. Unset look fields fall back
// to class-wide defaults of its own, apart from those of QXBezierButtonCell.
class QXBezierComboButtonCell : public platform::ButtonCell {
public:
    QXBezierComboButtonCell();
    explicit QXBezierComboButtonCell(std::string title);
    explicit QXBezierComboButtonCell(std::shared_ptr<platform::Image> image);
    explicit QXBezierComboButtonCell(const platform::ButtonCell& plain);
    QXBezierComboButtonCell(const QXBezierComboButtonCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    // Builds the class defaults still missing, then clears the cell's own fields.
    void initialize() override;

    const std::shared_ptr<QXOutlinePath>& shape() const { return _shape; }
    void setShape(std::shared_ptr<QXOutlinePath> shape);
    const std::shared_ptr<QXGradient>& normalGradient() const { return _normalState; }
    void setNormalGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& pressedGradient() const { return _pressedState; }
    void setPressedGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& highlightGradient() const { return _highlightState; }
    void setHighlightGradient(std::shared_ptr<QXGradient> gradient);
    const std::optional<platform::Color>& borderColor() const { return _border; }
    void setBorderColor(std::optional<platform::Color> color);
    const std::optional<platform::Color>& fontColor() const { return _fontColor; }
    void setFontColor(std::optional<platform::Color> color);
    bool mouseOver() const { return _mouseOver; }
    void setMouseOver(bool flag) { _mouseOver = flag; }
    // Which part is held down.
    bool mouseClickedMenu() const { return _mouseClickedMenu; }
    void setMouseClickedMenu(bool flag) { _mouseClickedMenu = flag; }
    bool mouseClickedButton() const { return _mouseClickedButton; }
    void setMouseClickedButton(bool flag) { _mouseClickedButton = flag; }

    // The class-wide defaults, with the right part's outline, which cells never override.
    static const QXBezierButtonDefaults& defaults();
    static void setDefaultShape(std::shared_ptr<QXOutlinePath> shape);
    static void setDefaultShapeRight(std::shared_ptr<QXOutlinePath> shape);
    static void setDefaultNormalGradient(std::shared_ptr<QXGradient> gradient);
    static void setDefaultPressedGradient(std::shared_ptr<QXGradient> gradient);
    static void setDefaultHighlightGradient(std::shared_ptr<QXGradient> gradient);
    static void setDefaultBorderColor(std::optional<platform::Color> color);
    static void setDefaultFontColor(std::optional<platform::Color> color);
    static void setDefaultShowBorder(bool flag);

    QXOutlinePath* effectiveShape() const;
    QXGradient* effectiveNormalGradient() const;
    QXGradient* effectivePressedGradient() const;
    platform::Color effectiveBorderColor() const;
    platform::Color effectiveFontColor() const;

    void drawWithFrame(const platform::Rect& cellFrame, platform::View* controlView) override;
    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
    // The whole image scaled into the rectangle, source-atop: only over the face.
    void drawImage(const platform::Image& image, const platform::Rect& frame,
                   platform::View* controlView) override;
    platform::Rect drawTitle(const platform::AttributedString& title, const platform::Rect& frame,
                             platform::View* controlView) override;

    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;

private:
    std::shared_ptr<QXOutlinePath> _shape;
    std::shared_ptr<QXGradient> _normalState;
    std::shared_ptr<QXGradient> _pressedState;
    std::shared_ptr<QXGradient> _highlightState;
    std::optional<platform::Color> _border;
    std::optional<platform::Color> _fontColor;
    bool _mouseOver = false;
    bool _mouseClickedMenu = false;
    bool _mouseClickedButton = false;
};
