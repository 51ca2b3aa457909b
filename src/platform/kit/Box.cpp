#include "platform/kit/Box.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace platform {

Box::Box(const Rect& frame) : View(frame) {
    auto content = std::make_shared<View>();
    content->setAutoresizingMask(ViewWidthSizable | ViewHeightSizable);
    setContentView(std::move(content));
}

void Box::setTitle(std::string title) {
    title_ = std::move(title);
    layoutContentView();
    setNeedsDisplay(true);
}

void Box::setTitlePosition(TitlePosition position) {
    titlePosition_ = position;
    layoutContentView();
    setNeedsDisplay(true);
}

void Box::setTitleFont(const Font& font) {
    titleFont_ = font;
    layoutContentView();
    setNeedsDisplay(true);
}

void Box::setBoxType(BoxType type) {
    boxType_ = type;
    layoutContentView();
    setNeedsDisplay(true);
}

void Box::setBorderType(BorderType type) {
    borderType_ = type;
    layoutContentView();
    setNeedsDisplay(true);
}

void Box::setBorderColor(const Color& color) {
    borderColor_ = color;
    setNeedsDisplay(true);
}

void Box::setFillColor(const Color& color) {
    fillColor_ = color;
    setNeedsDisplay(true);
}

void Box::setBorderWidth(double width) {
    borderWidth_ = width;
    layoutContentView();
    setNeedsDisplay(true);
}

void Box::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    setNeedsDisplay(true);
}

void Box::setTransparent(bool flag) {
    transparent_ = flag;
    setNeedsDisplay(true);
}

void Box::setContentViewMargins(Size margins) {
    margins_ = margins;
    layoutContentView();
}

void Box::setContentView(std::shared_ptr<View> view) {
    if (contentView_)
        contentView_->removeFromSuperview();
    contentView_ = std::move(view);
    if (contentView_) {
        addSubview(contentView_);
        layoutContentView();
    }
}

double Box::titleHeight() const {
    if (titlePosition_ == TitlePosition::NoTitle || title_.empty() ||
        boxType_ == BoxType::Separator)
        return 0;
    return std::ceil(titleFont_.defaultLineHeightForFont());
}

Rect Box::borderRect() const {
    Rect r = bounds();
    const double h = titleHeight();
    switch (titlePosition_) {
    case TitlePosition::AboveTop:
        r.size.height -= h;
        break;
    case TitlePosition::AtTop:
        r.size.height -= std::floor(h / 2);
        break;
    case TitlePosition::AboveBottom:
        r.origin.y += h;
        r.size.height -= h;
        break;
    case TitlePosition::AtBottom:
        r.origin.y += std::floor(h / 2);
        r.size.height -= std::floor(h / 2);
        break;
    default:
        break;
    }
    return r;
}

Rect Box::titleRect() const {
    const double h = titleHeight();
    if (h == 0)
        return ZeroRect;
    TextAttributes attributes;
    attributes.font = titleFont_;
    const double w = std::ceil(sizeWithAttributes(title_, attributes).width);
    const Rect border = borderRect();
    const double x = border.minX() + 8;
    switch (titlePosition_) {
    case TitlePosition::AboveTop:
        return {x, border.maxY(), w, h};
    case TitlePosition::AtTop:
        return {x, border.maxY() - std::ceil(h / 2), w, h};
    case TitlePosition::BelowTop:
        return {x, border.maxY() - h - 2, w, h};
    case TitlePosition::AboveBottom:
        return {x, border.minY() + 2, w, h};
    case TitlePosition::AtBottom:
        return {x, border.minY() - std::floor(h / 2), w, h};
    case TitlePosition::BelowBottom:
        return {x, 0, w, h};
    default:
        return ZeroRect;
    }
}

Rect Box::contentRect() const {
    Rect r = borderRect();
    const double edge = borderType_ == BorderType::NoBorder ? 0
                        : boxType_ == BoxType::Custom       ? borderWidth_
                                                            : 1;
    r = r.insetBy(edge, edge);
    const double h = titleHeight();
    if (titlePosition_ == TitlePosition::AtTop || titlePosition_ == TitlePosition::BelowTop)
        r.size.height -= titlePosition_ == TitlePosition::AtTop ? std::ceil(h / 2) : h + 2;
    if (titlePosition_ == TitlePosition::AtBottom || titlePosition_ == TitlePosition::AboveBottom) {
        const double cut = titlePosition_ == TitlePosition::AtBottom ? std::ceil(h / 2) : h + 2;
        r.origin.y += cut;
        r.size.height -= cut;
    }
    r = r.insetBy(margins_.width, margins_.height);
    r.size.width = std::max(0.0, r.width());
    r.size.height = std::max(0.0, r.height());
    return r;
}

void Box::layoutContentView() {
    if (contentView_)
        contentView_->setFrame(contentRect());
}

void Box::setFrameSize(Size size) {
    View::setFrameSize(size);
    layoutContentView();
}

void Box::setFrameFromContentFrame(const Rect& contentFrame) {
    const Rect inner = contentRect();
    const Rect all = bounds();
    setFrame({contentFrame.minX() - (inner.minX() - all.minX()),
              contentFrame.minY() - (inner.minY() - all.minY()),
              contentFrame.width() + all.width() - inner.width(),
              contentFrame.height() + all.height() - inner.height()});
}

void Box::sizeToFit() {
    if (!contentView_)
        return;
    Rect used;
    for (const auto& sub : contentView_->subviews())
        used = used.unionWith(sub->frame());
    const Rect inner = contentRect();
    setFrameSize({used.maxX() + bounds().width() - inner.width(),
                  used.maxY() + bounds().height() - inner.height()});
}

void Box::drawRect(const Rect& /*dirtyRect*/) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context || transparent_)
        return;
    GraphicsStateSaver saver;
    const Rect border = borderRect();
    if (boxType_ == BoxType::Separator) {
        context->setFillColor(Color::colorWithCalibratedWhite(0.7, 1));
        if (bounds().width() >= bounds().height())
            context->fillRect({0, std::floor(bounds().midY()), bounds().width(), 1});
        else
            context->fillRect({std::floor(bounds().midX()), 0, 1, bounds().height()});
        return;
    }
    if (boxType_ == BoxType::Custom) {
        BezierPath path = BezierPath::bezierPathWithRoundedRect(
            border.insetBy(borderWidth_ / 2, borderWidth_ / 2), cornerRadius_, cornerRadius_);
        context->setFillColor(fillColor_);
        context->fillPath(path);
        if (borderType_ != BorderType::NoBorder && borderWidth_ > 0) {
            path.setLineWidth(borderWidth_);
            context->setStrokeColor(borderColor_);
            context->strokePath(path);
        }
    } else if (borderType_ != BorderType::NoBorder) {
        if (boxType_ == BoxType::Primary) {
            context->setFillColor(Color::colorWithCalibratedWhite(0, 0.04));
            context->fillRect(border.insetBy(1, 1));
        }
        context->setFillColor(borderType_ == BorderType::LineBorder
                                  ? Color::blackColor()
                                  : Color::colorWithCalibratedWhite(0.7, 1));
        FrameRect(border);
    }
    const Rect title = titleRect();
    if (!title.isEmpty()) {
        if (titlePosition_ == TitlePosition::AtTop || titlePosition_ == TitlePosition::AtBottom) {
            context->setFillColor(Color::windowBackgroundColor());
            context->fillRect(title.insetBy(-3, 0));
        }
        TextAttributes attributes;
        attributes.font = titleFont_;
        attributes.foregroundColor = Color::controlTextColor();
        drawInRect(title_, title.insetBy(0, 0), attributes);
    }
}

} // namespace platform
