#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ButtonCell.h"
#include "support/QXMargin.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <memory>
#include <string>
#include <utility>

// The cell of QXImageButton: an icon on a face (an outline filled with a gradient and stroked
// with a border) whose gradient, border colour and icon opacity follow the state, with an
// optional badge. Field prefixes: ds disabled, os on, fs off, ps pressed, hs pointer over.
class QXImageButtonCell : public platform::ButtonCell {
public:
    QXImageButtonCell();
    explicit QXImageButtonCell(std::string title);
    explicit QXImageButtonCell(std::shared_ptr<platform::Image> image);
    // Re-typing a plain button cell; the own fields start empty until initialize.
    explicit QXImageButtonCell(const platform::ButtonCell& plain);
    QXImageButtonCell(const QXImageButtonCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    void initialize() override;

    // What the state gives the drawing: the face gradient (none: no fill), the border colour
    // and the icon's opacity.
    struct StateLook {
        QXGradient* gradient = nullptr;
        platform::Color borderColor;
        float fraction = 1;
    };
    StateLook lookForState() const;

    bool mouseOver() const { return _mouseOver; }
    void setMouseOver(bool flag) { _mouseOver = flag; }
    const QXMargin& margins() const { return _margins; }
    void setMargins(const QXMargin& margins) { _margins = margins; }
    float borderWidth() const { return _borderWidth; }
    void setBorderWidth(float width) { _borderWidth = width; }
    const std::shared_ptr<QXOutlinePath>& shape() const { return _shape; }
    void setShape(std::shared_ptr<QXOutlinePath> shape) { _shape = std::move(shape); }

    const platform::Color& dsBorderColor() const { return _dsBorderColor; }
    void setDsBorderColor(const platform::Color& color) { _dsBorderColor = color; }
    const platform::Color& osBorderColor() const { return _osBorderColor; }
    void setOsBorderColor(const platform::Color& color) { _osBorderColor = color; }
    const platform::Color& fsBorderColor() const { return _fsBorderColor; }
    void setFsBorderColor(const platform::Color& color) { _fsBorderColor = color; }
    const platform::Color& psBorderColor() const { return _psBorderColor; }
    void setPsBorderColor(const platform::Color& color) { _psBorderColor = color; }
    const platform::Color& hsBorderColor() const { return _hsBorderColor; }
    void setHsBorderColor(const platform::Color& color) { _hsBorderColor = color; }

    float dsFraction() const { return _dsFraction; }
    void setDsFraction(float fraction) { _dsFraction = fraction; }
    float osFraction() const { return _osFraction; }
    void setOsFraction(float fraction) { _osFraction = fraction; }
    float fsFraction() const { return _fsFraction; }
    void setFsFraction(float fraction) { _fsFraction = fraction; }
    float psFraction() const { return _psFraction; }
    void setPsFraction(float fraction) { _psFraction = fraction; }
    float hsFraction() const { return _hsFraction; }
    void setHsFraction(float fraction) { _hsFraction = fraction; }

    const std::shared_ptr<QXGradient>& dsGradient() const { return _dsGradient; }
    void setDsGradient(std::shared_ptr<QXGradient> gradient) { _dsGradient = std::move(gradient); }
    const std::shared_ptr<QXGradient>& osGradient() const { return _osGradient; }
    void setOsGradient(std::shared_ptr<QXGradient> gradient) { _osGradient = std::move(gradient); }
    const std::shared_ptr<QXGradient>& fsGradient() const { return _fsGradient; }
    void setFsGradient(std::shared_ptr<QXGradient> gradient) { _fsGradient = std::move(gradient); }
    const std::shared_ptr<QXGradient>& psGradient() const { return _psGradient; }
    void setPsGradient(std::shared_ptr<QXGradient> gradient) { _psGradient = std::move(gradient); }
    const std::shared_ptr<QXGradient>& hsGradient() const { return _hsGradient; }
    void setHsGradient(std::shared_ptr<QXGradient> gradient) { _hsGradient = std::move(gradient); }

    const platform::AttributedString& badgeText() const { return _badgeText; }
    void setBadgeText(platform::AttributedString text) { _badgeText = std::move(text); }
    const std::shared_ptr<QXOutlinePath>& badgeShape() const { return _badgeShape; }
    void setBadgeShape(std::shared_ptr<QXOutlinePath> shape) { _badgeShape = std::move(shape); }
    const platform::Color& badgeColor() const { return _badgeColor; }
    void setBadgeColor(const platform::Color& color) { _badgeColor = color; }

    // Face, image, title and badge; no platform bezel.
    void drawWithFrame(const platform::Rect& cellFrame, platform::View* controlView) override;
    // Where the image and the title go inside `cellFrame` (step by step as drawn).
    platform::Rect contentRect(const platform::Rect& cellFrame, bool flipped) const;

    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;

private:
    bool _mouseOver = false;
    QXMargin _margins{};
    float _borderWidth = 0;
    std::shared_ptr<QXOutlinePath> _shape;
    platform::Color _dsBorderColor;
    platform::Color _osBorderColor;
    platform::Color _fsBorderColor;
    platform::Color _psBorderColor;
    platform::Color _hsBorderColor;
    float _dsFraction = 0;
    float _osFraction = 0;
    float _fsFraction = 0;
    float _psFraction = 0;
    float _hsFraction = 0;
    std::shared_ptr<QXGradient> _dsGradient;
    std::shared_ptr<QXGradient> _osGradient;
    std::shared_ptr<QXGradient> _fsGradient;
    std::shared_ptr<QXGradient> _psGradient;
    std::shared_ptr<QXGradient> _hsGradient;
    platform::AttributedString _badgeText;
    std::shared_ptr<QXOutlinePath> _badgeShape;
    platform::Color _badgeColor;
};
