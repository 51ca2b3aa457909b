#include "platform/kit/ButtonCell.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/View.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr double kMarkSize = 14;
constexpr double kMarkGap = 4;
constexpr double kImageGap = 4;

bool toggles(int type) {
    return type == PushOnPushOffButton || type == ToggleButton || type == SwitchButton ||
           type == RadioButton || type == OnOffButton;
}

} // namespace

ButtonCell::ButtonCell() : ButtonCell(std::string("Button")) {}

ButtonCell::ButtonCell(std::string title) : title_(std::move(title)) {
    Cell::setObjectValue(Value(OffState));
    setBordered(true);
    setAlignment(TextAlignment::Center);
    setLineBreakMode(LineBreakMode::ByClipping);
}

ButtonCell::ButtonCell(std::shared_ptr<Image> image) : ButtonCell(std::string()) {
    Cell::setImage(std::move(image));
    imagePosition_ = CellImagePosition::ImageOnly;
}

void ButtonCell::setObjectValue(Value value) {
    setState(value.intValue());
}

std::string ButtonCell::stringValue() const {
    return std::to_string(state());
}

void ButtonCell::setStringValue(std::string value) {
    setState(Value(value).intValue());
}

void ButtonCell::setState(CellStateValue state) {
    Cell::setState(state);
    Cell::setObjectValue(Value(this->state()));
}

void ButtonCell::setTitle(std::string title) {
    title_ = std::move(title);
    attributedTitle_.reset();
    redrawControl();
}

TextAttributes ButtonCell::textAttributes() const {
    TextAttributes attributes = Cell::textAttributes();
    if (isSwitchOrRadio() && attributes.paragraphStyle)
        attributes.paragraphStyle->alignment = TextAlignment::Natural;
    return attributes;
}

AttributedString ButtonCell::attributedTitle() const {
    if (attributedTitle_)
        return *attributedTitle_;
    return AttributedString(title_, textAttributes());
}

void ButtonCell::setAttributedTitle(AttributedString title) {
    title_ = title.string();
    attributedTitle_ = std::move(title);
    redrawControl();
}

void ButtonCell::setAlternateTitle(std::string title) {
    alternateTitle_ = std::move(title);
    attributedAlternateTitle_.reset();
    redrawControl();
}

AttributedString ButtonCell::attributedAlternateTitle() const {
    if (attributedAlternateTitle_)
        return *attributedAlternateTitle_;
    return AttributedString(alternateTitle_, textAttributes());
}

void ButtonCell::setAttributedAlternateTitle(AttributedString title) {
    alternateTitle_ = title.string();
    attributedAlternateTitle_ = std::move(title);
    redrawControl();
}

void ButtonCell::setAlternateImage(std::shared_ptr<Image> image) {
    alternateImage_ = std::move(image);
    redrawControl();
}

void ButtonCell::setImagePosition(CellImagePosition position) {
    imagePosition_ = position;
    redrawControl();
}

void ButtonCell::setImageScaling(ImageScaling scaling) {
    imageScaling_ = scaling;
    redrawControl();
}

void ButtonCell::setButtonType(int type) {
    buttonType_ = type;
    if (type == SwitchButton || type == RadioButton) {
        setBordered(false);
        if (imagePosition_ == CellImagePosition::NoImage)
            imagePosition_ = CellImagePosition::ImageLeft;
    }
    redrawControl();
}

CellStateValue ButtonCell::nextState() const {
    if (!toggles(buttonType_))
        return state();
    if (buttonType_ == RadioButton)
        return OnState;
    return Cell::nextState();
}

void ButtonCell::setNextState() {
    setState(nextState());
}

void ButtonCell::setBezelStyle(BezelStyle style) {
    bezelStyle_ = style;
    redrawControl();
}

void ButtonCell::setTransparent(bool flag) {
    transparent_ = flag;
    redrawControl();
}

void ButtonCell::setShowsBorderOnlyWhileMouseInside(bool flag) {
    showsBorderOnlyWhileMouseInside_ = flag;
    redrawControl();
}

void ButtonCell::mouseEntered(const Event& /*event*/) {
    mouseInside_ = true;
    redrawControl();
}

void ButtonCell::mouseExited(const Event& /*event*/) {
    mouseInside_ = false;
    redrawControl();
}

bool ButtonCell::showsPressed() const {
    if (isHighlighted())
        return true;
    return state() == OnState && (buttonType_ == PushOnPushOffButton || buttonType_ == OnOffButton);
}

const std::shared_ptr<Image>& ButtonCell::currentImage() const {
    const bool alternate =
        alternateImage_ &&
        ((isHighlighted() && buttonType_ == MomentaryChangeButton) ||
         (state() == OnState && (buttonType_ == ToggleButton || isSwitchOrRadio())) ||
         (isHighlighted() && buttonType_ == ToggleButton));
    return alternate ? alternateImage_ : image();
}

void ButtonCell::layoutContent(const Rect& content, bool flipped, Rect* imageRect,
                               Rect* titleRect) const {
    const std::shared_ptr<Image>& image = currentImage();
    CellImagePosition position = image ? imagePosition_ : CellImagePosition::NoImage;
    *imageRect = ZeroRect;
    *titleRect = content;
    if (position == CellImagePosition::NoImage)
        return;
    const Size titleSize = title_.empty() ? ZeroSize : attributedTitle().size();
    const Size imageSize = image->size();
    const auto place = [&](const Rect& slot) {
        return rectForImageInFrame(imageSize, slot, imageScaling_, ImageAlignment::Center, flipped);
    };
    switch (position) {
    case CellImagePosition::NoImage:
        break;
    case CellImagePosition::ImageOnly:
        *imageRect = place(content);
        *titleRect = ZeroRect;
        break;
    case CellImagePosition::ImageOverlaps:
        *imageRect = place(content);
        break;
    case CellImagePosition::ImageLeft:
    case CellImagePosition::ImageRight: {
        const double width =
            std::min(imageSize.width, std::max(0.0, content.width() - titleSize.width - kImageGap));
        const double slotWidth = imageScaling_ == ImageScaling::None ? imageSize.width : width;
        // Image and title sit together in the middle when there is room to spare.
        const double used = slotWidth + (titleSize.width > 0 ? kImageGap + titleSize.width : 0);
        const double start = content.minX() + std::max(0.0, (content.width() - used) / 2);
        if (position == CellImagePosition::ImageLeft) {
            *imageRect = place({start, content.minY(), slotWidth, content.height()});
            *titleRect = {imageRect->maxX() + kImageGap, content.minY(),
                          content.maxX() - imageRect->maxX() - kImageGap, content.height()};
        } else {
            const double imageX = std::min(content.maxX() - slotWidth, start + used - slotWidth);
            *imageRect = place({imageX, content.minY(), slotWidth, content.height()});
            *titleRect = {content.minX(), content.minY(),
                          imageRect->minX() - kImageGap - content.minX(), content.height()};
        }
        break;
    }
    case CellImagePosition::ImageAbove:
    case CellImagePosition::ImageBelow: {
        const double titleHeight = title_.empty() ? 0 : std::ceil(titleSize.height);
        const double imageHeight =
            std::max(0.0, content.height() - titleHeight - (titleHeight > 0 ? kImageGap : 0));
        // "Above" is towards the top of the screen, the larger y unless flipped.
        const bool imageAtMaxY = (position == CellImagePosition::ImageAbove) != flipped;
        const Rect imageSlot{content.minX(),
                             imageAtMaxY ? content.maxY() - imageHeight : content.minY(),
                             content.width(), imageHeight};
        *imageRect = place(imageSlot);
        *titleRect = {content.minX(), imageAtMaxY ? content.minY() : content.maxY() - titleHeight,
                      content.width(), titleHeight};
        break;
    }
    }
}

Rect ButtonCell::titleRectForBounds(const Rect& bounds) const {
    Rect imageRect, titleRect;
    const bool flipped = controlView() && controlView()->isFlipped();
    Rect content = isBordered() && !isSwitchOrRadio() ? bounds.insetBy(6, 2) : bounds;
    if (isSwitchOrRadio())
        content = {bounds.minX() + kMarkSize + kMarkGap, bounds.minY(),
                   bounds.width() - kMarkSize - kMarkGap, bounds.height()};
    layoutContent(content, flipped, &imageRect, &titleRect);
    return titleRect;
}

Rect ButtonCell::imageRectForBounds(const Rect& bounds) const {
    Rect imageRect, titleRect;
    const bool flipped = controlView() && controlView()->isFlipped();
    layoutContent(isBordered() && !isSwitchOrRadio() ? bounds.insetBy(6, 2) : bounds, flipped,
                  &imageRect, &titleRect);
    return imageRect;
}

Size ButtonCell::cellSizeForBounds(const Rect& /*bounds*/) const {
    const Size text = title_.empty() ? ZeroSize : attributedTitle().size();
    Size content{std::ceil(text.width), std::ceil(text.height)};
    if (image() && imagePosition_ != CellImagePosition::NoImage) {
        const Size picture = image()->size();
        switch (imagePosition_) {
        case CellImagePosition::ImageOnly:
            content = picture;
            break;
        case CellImagePosition::ImageOverlaps:
            content = {std::max(content.width, picture.width),
                       std::max(content.height, picture.height)};
            break;
        case CellImagePosition::ImageLeft:
        case CellImagePosition::ImageRight:
            content = {content.width + picture.width + (text.width > 0 ? kImageGap : 0),
                       std::max(content.height, picture.height)};
            break;
        case CellImagePosition::ImageAbove:
        case CellImagePosition::ImageBelow:
            content = {std::max(content.width, picture.width),
                       content.height + picture.height + (text.height > 0 ? kImageGap : 0)};
            break;
        case CellImagePosition::NoImage:
            break;
        }
    }
    if (isSwitchOrRadio())
        return {content.width + kMarkSize + kMarkGap + 2, std::max(content.height, kMarkSize + 2)};
    if (isBordered())
        return {std::max(content.width + 24, 32.0), std::max(content.height + 8, 22.0)};
    return content;
}

void ButtonCell::drawWithFrame(const Rect& cellFrame, View* controlView) {
    if (transparent_)
        return;
    const bool bezel =
        isSwitchOrRadio() ||
        (isBordered() && (!showsBorderOnlyWhileMouseInside_ || mouseInside_ || isHighlighted()));
    if (bezel)
        drawBezelWithFrame(cellFrame, controlView);
    drawInteriorWithFrame(cellFrame, controlView);
}

void ButtonCell::drawBezelWithFrame(const Rect& frame, View* controlView) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    GraphicsStateSaver saver;
    const Color border = Color::colorWithCalibratedWhite(isEnabled() ? 0.55 : 0.75, 1);
    if (isSwitchOrRadio()) {
        const Rect mark{frame.minX() + 1, std::floor(frame.midY() - kMarkSize / 2), kMarkSize,
                        kMarkSize};
        BezierPath path = buttonType() == RadioButton
                              ? BezierPath::bezierPathWithOvalInRect(mark.insetBy(0.5, 0.5))
                              : BezierPath::bezierPathWithRoundedRect(mark.insetBy(0.5, 0.5), 2, 2);
        context->setFillColor(isHighlighted() ? Color::colorWithCalibratedWhite(0.8, 1)
                                              : Color::whiteColor());
        context->fillPath(path);
        context->setStrokeColor(border);
        path.setLineWidth(1);
        context->strokePath(path);
        context->setFillColor(isEnabled() ? Color::controlTextColor()
                                          : Color::disabledControlTextColor());
        if (state() == MixedState) {
            context->fillRect({mark.minX() + 3, mark.midY() - 1, mark.width() - 6, 2});
        } else if (state() == OnState && buttonType() == RadioButton) {
            context->fillPath(BezierPath::bezierPathWithOvalInRect(mark.insetBy(4, 4)));
        } else if (state() == OnState) {
            BezierPath check;
            const bool up = !(controlView && controlView->isFlipped());
            const double s = up ? -1 : 1;
            check.moveToPoint({mark.minX() + 3, mark.midY()});
            check.lineToPoint({mark.minX() + 6, mark.midY() + s * 3.5});
            check.lineToPoint({mark.maxX() - 3, mark.midY() - s * 4});
            check.setLineWidth(2);
            context->setStrokeColor(isEnabled() ? Color::controlTextColor()
                                                : Color::disabledControlTextColor());
            context->strokePath(check);
        }
        return;
    }
    const Rect r = frame.insetBy(0.5, 0.5);
    BezierPath path;
    switch (bezelStyle_) {
    case BezelStyle::Circular:
    case BezelStyle::HelpButton: {
        const double d = std::min(r.width(), r.height());
        path = BezierPath::bezierPathWithOvalInRect({r.midX() - d / 2, r.midY() - d / 2, d, d});
        break;
    }
    case BezelStyle::Rounded:
    case BezelStyle::RoundRect:
    case BezelStyle::TexturedRounded:
    case BezelStyle::Recessed:
    case BezelStyle::Inline:
        path = BezierPath::bezierPathWithRoundedRect(r, 4, 4);
        break;
    default:
        path = BezierPath::bezierPathWithRect(r);
        break;
    }
    context->setFillColor(showsPressed() ? Color::colorWithCalibratedWhite(0.72, 1)
                                         : Color::colorWithCalibratedWhite(0.96, 1));
    context->fillPath(path);
    path.setLineWidth(1);
    context->setStrokeColor(border);
    context->strokePath(path);
}

void ButtonCell::drawInteriorWithFrame(const Rect& cellFrame, View* controlView) {
    const bool flipped = controlView && controlView->isFlipped();
    Rect content = isBordered() && !isSwitchOrRadio() ? cellFrame.insetBy(6, 2) : cellFrame;
    if (isSwitchOrRadio())
        content = {cellFrame.minX() + kMarkSize + kMarkGap, cellFrame.minY(),
                   cellFrame.width() - kMarkSize - kMarkGap, cellFrame.height()};
    Rect imageRect, titleRect;
    layoutContent(content, flipped, &imageRect, &titleRect);
    if (const auto& image = currentImage(); image && !imageRect.isEmpty())
        drawImage(*image, imageRect, controlView);
    if (imagePosition_ == CellImagePosition::ImageOnly && image())
        return;
    const bool alternate = state() == OnState && !alternateTitle_.empty() && toggles(buttonType_);
    const AttributedString title = alternate ? attributedAlternateTitle() : attributedTitle();
    if (!title.empty() && !titleRect.isEmpty())
        drawTitle(title, titleRect, controlView);
}

void ButtonCell::drawImage(const Image& image, const Rect& frame, View* /*controlView*/) {
    image.drawInRect(frame, ZeroRect, CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.5,
                     true);
}

Rect ButtonCell::drawTitle(const AttributedString& title, const Rect& frame,
                           View* /*controlView*/) {
    const Rect used = title.boundingRectWithSize({frame.width(), 0});
    const double height = std::min(frame.height(), std::ceil(used.height()));
    const Rect r{frame.minX(), frame.minY() + std::floor((frame.height() - height) / 2),
                 frame.width(), height};
    title.drawInRect(r);
    return r;
}

CellHitResult ButtonCell::hitTestForEvent(const Event& event, const Rect& cellFrame,
                                          View* controlView) {
    CellHitResult result = Cell::hitTestForEvent(event, cellFrame, controlView);
    if (result != CellHitNone)
        result = CellHitContentArea | CellHitTrackableArea;
    return result;
}

} // namespace platform
