#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ButtonCell.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <memory>
#include <optional>

// The look every bezier button shares unless its cell says otherwise. One set belongs to
// QXBezierButtonCell and another to QXBezierComboButtonCell; start-up replaces both from the
// brand's "Buttons" entry. An empty member is a default not yet made.
struct QXBezierButtonDefaults {
    std::shared_ptr<QXOutlinePath> shape;
    std::shared_ptr<QXOutlinePath> shapeRight;
    std::shared_ptr<QXGradient> normalGradient;
    std::shared_ptr<QXGradient> pressedGradient;
    std::shared_ptr<QXGradient> highlightGradient;
    std::optional<platform::Color> borderColor;
    std::optional<platform::Color> fontColor;
    bool showBorder = true;

    // Makes the built-in values of whatever is still missing (never the highlight gradient).
    void buildMissing(bool withRightShape);
};

inline constexpr platform::Color QXBezierBuiltInBorderColor(0.6, 0.6, 0.6, 1.0);
inline constexpr platform::Color QXBezierBuiltInFontColor(0, 0, 0, 1.0);

// The built-in face outline: the frame inset by half a point, corners rounded over 3 points.
std::shared_ptr<QXOutlinePath> QXBezierButtonBuiltInShape();

// Where a bezier cell puts its image and title inside the content rectangle `content`, by the
// cell's image scaling and position; `title` starts as the rectangle the title may use.
struct QXBezierContentLayout {
    bool drawsImage = false;
    platform::Rect imageRect;
    platform::Rect titleRect;
};
QXBezierContentLayout QXBezierLayoutContent(const platform::ButtonCell& cell,
                                            const platform::Image* image,
                                            const platform::Rect& content,
                                            const platform::Rect& title);
// The title centred vertically in `rect` in `fontColor`, with the paragraph style and font of
// its first character; answers the rectangle used.
platform::Rect QXBezierDrawTitle(const platform::AttributedString& title,
                                 const platform::Rect& rect, const platform::Color& fontColor);
// The grey veil of a disabled bezier cell, laid over what is already drawn inside `path`.
void QXBezierVeil(const platform::BezierPath& path);
// The faint face of a transparent bezier cell.
void QXBezierFillTransparent(const platform::BezierPath& path);

// The look both bezier cells keep: face outline, gradients, border and font colours, each
// falling back to the class-wide defaults the concrete cell names.
class QXBezierLookCell : public platform::ButtonCell {
public:
    const std::shared_ptr<QXOutlinePath>& shape() const { return _shape; }
    void setShape(std::shared_ptr<QXOutlinePath> shape);
    const std::shared_ptr<QXGradient>& normalGradient() const { return _normalState; }
    void setNormalGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& pressedGradient() const { return _pressedState; }
    void setPressedGradient(std::shared_ptr<QXGradient> gradient);
    // Kept and answered; drawing does not use it.
    const std::shared_ptr<QXGradient>& highlightGradient() const { return _highlightState; }
    void setHighlightGradient(std::shared_ptr<QXGradient> gradient);
    const std::optional<platform::Color>& borderColor() const { return _border; }
    void setBorderColor(std::optional<platform::Color> color);
    const std::optional<platform::Color>& fontColor() const { return _fontColor; }
    void setFontColor(std::optional<platform::Color> color);
    bool mouseOver() const { return _mouseOver; }

    // What drawing uses: the cell's own value, else the class default.
    QXOutlinePath* effectiveShape() const;
    QXGradient* effectiveNormalGradient() const;
    QXGradient* effectivePressedGradient() const;
    platform::Color effectiveBorderColor() const;
    platform::Color effectiveFontColor() const;

protected:
    QXBezierLookCell() = default;
    explicit QXBezierLookCell(std::string title) : ButtonCell(std::move(title)) {}
    explicit QXBezierLookCell(std::shared_ptr<platform::Image> image)
        : ButtonCell(std::move(image)) {}
    explicit QXBezierLookCell(const platform::ButtonCell& plain) : ButtonCell(plain) {}
    QXBezierLookCell(const QXBezierLookCell& other) = default;

    // The class-wide defaults of the concrete cell.
    virtual const QXBezierButtonDefaults& lookDefaults() const = 0;
    // Empties the cell's own look, so every field falls back to the defaults.
    void clearLook();

    std::shared_ptr<QXOutlinePath> _shape;
    std::shared_ptr<QXGradient> _normalState;
    std::shared_ptr<QXGradient> _pressedState;
    std::shared_ptr<QXGradient> _highlightState;
    std::optional<platform::Color> _border;
    std::optional<platform::Color> _fontColor;
    bool _mouseOver = false;
};

// The cell of QXBezierButton: a face outline filled with a gradient (normal, or pressed while
// held), an optional border, an image and a title. Every look field left unset falls back to
// the class-wide default.
class QXBezierButtonCell : public QXBezierLookCell {
public:
    QXBezierButtonCell();
    explicit QXBezierButtonCell(std::string title);
    explicit QXBezierButtonCell(std::shared_ptr<platform::Image> image);
    // Re-typing a plain button cell; the look fields start empty.
    explicit QXBezierButtonCell(const platform::ButtonCell& plain);
    QXBezierButtonCell(const QXBezierButtonCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    // Builds the class defaults still missing, then clears the cell's own look.
    void initialize() override;

    // The class-wide defaults. A setter given what the default already is does nothing; an
    // empty value lets the next cell set up build the built-in one again.
    static const QXBezierButtonDefaults& defaults();
    static void setDefaultShape(std::shared_ptr<QXOutlinePath> shape);
    static void setDefaultNormalGradient(std::shared_ptr<QXGradient> gradient);
    static void setDefaultPressedGradient(std::shared_ptr<QXGradient> gradient);
    static void setDefaultHighlightGradient(std::shared_ptr<QXGradient> gradient);
    static void setDefaultBorderColor(std::optional<platform::Color> color);
    static void setDefaultFontColor(std::optional<platform::Color> color);
    static void setDefaultShowBorder(bool flag);

    void drawWithFrame(const platform::Rect& cellFrame, platform::View* controlView) override;
    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
    void drawImage(const platform::Image& image, const platform::Rect& frame,
                   platform::View* controlView) override;
    platform::Rect drawTitle(const platform::AttributedString& title, const platform::Rect& frame,
                             platform::View* controlView) override;

    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;

protected:
    const QXBezierButtonDefaults& lookDefaults() const override { return defaults(); }
};
