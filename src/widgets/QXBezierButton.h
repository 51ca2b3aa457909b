#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Button.h"
#include "widgets/QXBezierButtonCell.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <memory>
#include <optional>

// The branded push button: a gradient-filled outline with an optional border, drawn by a
// QXBezierButtonCell. With a menu, a click pops the menu up under the button after the
// action. A flipped view, as the original platform's controls were.
class QXBezierButton : public platform::Button {
public:
    explicit QXBezierButton(const platform::Rect& frame = {});
    // A button an interface definition made with the platform's plain cell, re-typed as a
    // QXBezierButtonCell.
    static std::shared_ptr<QXBezierButton>
    initWithCoder(const platform::Rect& frame, std::shared_ptr<platform::Cell> decodedCell);

    bool isFlipped() const override { return true; }

    QXBezierButtonCell* bezierCell() const;
    // The cell's look; empty when the cell is not a QXBezierButtonCell, and the setters then
    // do nothing.
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

    // The platform's click, then the menu when the button has one.
    void mouseDown(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;
    // A right click is swallowed.
    void rightMouseDown(const platform::Event& event) override;

    // Pops the button's menu up from a pull-down cell just off the button's frame.
    void popUpMenu();

private:
    // The click's release was still to come when the platform's tracking returned: the menu
    // waits for it.
    bool menuAfterRelease_ = false;
};
