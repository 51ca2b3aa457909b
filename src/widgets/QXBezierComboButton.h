#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Button.h"
#include "widgets/QXBezierComboButtonCell.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <memory>
#include <optional>

// A split button drawn like the bezier button: the left part sends the action, a click in the
// right 20 points pops the button's menu up. A flipped view, as the original's controls were.
class QXBezierComboButton : public platform::Button {
public:
    // Width of the menu part at the right edge.
    static constexpr double kMenuPartWidth = 20;

    explicit QXBezierComboButton(const platform::Rect& frame = {});
    static std::shared_ptr<QXBezierComboButton>
    initWithCoder(const platform::Rect& frame, std::shared_ptr<platform::Cell> decodedCell);

    bool isFlipped() const override { return true; }

    QXBezierComboButtonCell* comboCell() const;
    std::shared_ptr<QXOutlinePath> shape() const;
    void setShape(std::shared_ptr<QXOutlinePath> shape);
    std::shared_ptr<QXGradient> normalGradient() const;
    void setNormalGradient(std::shared_ptr<QXGradient> gradient);
    std::shared_ptr<QXGradient> pressedGradient() const;
    void setPressedGradient(std::shared_ptr<QXGradient> gradient);
    std::shared_ptr<QXGradient> highlightGradient() const;
    void setHighlightGradient(std::shared_ptr<QXGradient> gradient);
    std::optional<platform::Color> borderColor() const;
    void setBorderColor(std::optional<platform::Color> color);
    std::optional<platform::Color> fontColor() const;
    void setFontColor(std::optional<platform::Color> color);

    // The button part (up to 20 points from the right edge, one or two clicks) clicks; a
    // single click on the menu part pops the menu up.
    void mouseDown(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;
    void rightMouseDown(const platform::Event& event) override;
};
