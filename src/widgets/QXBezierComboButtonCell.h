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
class QXBezierComboButtonCell : public QXBezierLookCell {
public:
    QXBezierComboButtonCell();
    explicit QXBezierComboButtonCell(std::string title);
    explicit QXBezierComboButtonCell(std::shared_ptr<platform::Image> image);
    explicit QXBezierComboButtonCell(const platform::ButtonCell& plain);
    QXBezierComboButtonCell(const QXBezierComboButtonCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    // Builds the class defaults still missing, then clears the cell's own fields.
    void initialize() override;

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

protected:
    const QXBezierButtonDefaults& lookDefaults() const override { return defaults(); }

private:
    bool _mouseClickedMenu = false;
    bool _mouseClickedButton = false;
};
