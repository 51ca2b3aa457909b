#include "platform/kit/DockTile.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ScreenBackend.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>

namespace platform {

namespace {

constexpr double standardIconSide = 128;

// The label's disc, drawn the way a launcher draws a badge: red, white text, at the top right.
void drawBadgeLabel(const std::string& label, Size size) {
    TextAttributes attributes;
    attributes.font = Font::boldSystemFontOfSize(std::max(size.height * 0.18, 6.0));
    attributes.foregroundColor = Color::whiteColor();
    const Size text = sizeWithAttributes(label, attributes);
    const double pad = size.height * 0.05;
    const double height = text.height + pad;
    const double width = std::max(text.width + 2 * pad, height);
    const Rect disc(size.width - width - 1, size.height - height - 1, width, height);
    Color::redColor().setFill();
    BezierPath::bezierPathWithRoundedRect(disc, height / 2, height / 2).fill();
    drawAtPoint(
        label,
        Point(disc.minX() + (width - text.width) / 2, disc.minY() + (height - text.height) / 2),
        attributes);
}

// Same size in points and the same bitmap, pixel for pixel.
bool samePixels(const Image& a, const Image& b) {
    if (a.size() != b.size())
        return false;
    cairo_surface_t* first = a.cairoSurface();
    cairo_surface_t* second = b.cairoSurface();
    const int w = cairo_image_surface_get_width(first);
    const int h = cairo_image_surface_get_height(first);
    if (w != cairo_image_surface_get_width(second) || h != cairo_image_surface_get_height(second))
        return false;
    const unsigned char* p = cairo_image_surface_get_data(first);
    const unsigned char* q = cairo_image_surface_get_data(second);
    if (!p || !q)
        return p == q;
    const int strideP = cairo_image_surface_get_stride(first);
    const int strideQ = cairo_image_surface_get_stride(second);
    for (int row = 0; row < h; ++row)
        if (std::memcmp(p + row * strideP, q + row * strideQ, static_cast<std::size_t>(w) * 4) != 0)
            return false;
    return true;
}

} // namespace

DockTile::DockTile() = default;
DockTile::~DockTile() = default;

std::shared_ptr<Image> DockTile::standardApplicationIcon() const {
    if (!standardIcon_) {
        const Value file = Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleIconFile");
        if (file.isString() && !file.string()->empty())
            standardIcon_ = Image::imageNamed(*file.string());
        if (!standardIcon_)
            standardIcon_ = Image::imageNamed("AppIcon");
        if (!standardIcon_)
            standardIcon_ = std::make_shared<Image>(Size(standardIconSide, standardIconSide));
    }
    return standardIcon_;
}

std::shared_ptr<Image> DockTile::applicationIconImage() const {
    return iconImage_ ? iconImage_ : standardApplicationIcon();
}

void DockTile::setApplicationIconImage(std::shared_ptr<Image> image) {
    iconImage_ = std::move(image);
    display();
}

void DockTile::setContentImage(std::shared_ptr<Image> image) {
    contentImage_ = std::move(image);
}

void DockTile::setBadgeLabel(std::string label) {
    if (label == badgeLabel_)
        return;
    badgeLabel_ = std::move(label);
    display();
}

Size DockTile::size() const {
    const auto shown = contentImage_ ? contentImage_ : applicationIconImage();
    return shown->size();
}

void DockTile::display() {
    const auto shown = contentImage_ ? contentImage_ : applicationIconImage();
    Size size = shown->size();
    if (size.width <= 0 || size.height <= 0)
        size = Size(standardIconSide, standardIconSide);
    auto picture = std::make_shared<Image>(size);
    picture->lockFocus();
    shown->drawInRect(Rect(Point(), size), Rect(), CompositingOperation::SourceOver, 1.0);
    if (!badgeLabel_.empty())
        drawBadgeLabel(badgeLabel_, size);
    picture->unlockFocus();
    composed_ = std::move(picture);
    ++displayCount_;
    ScreenBackend* backend = screenBackend();
    if (!backend)
        return;
    const std::uint64_t generation = screenBackendGeneration();
    if (handedTo_ == generation && handedOver_ && samePixels(*handedOver_, *composed_))
        return;
    handedOver_ = composed_;
    handedTo_ = generation;
    backend->applicationIconChanged(composed_);
}

int DockTile::requestUserAttention(RequestUserAttentionType type) {
    attentionRequests_.push_back(type);
    cancelled_.push_back(false);
    return static_cast<int>(attentionRequests_.size());
}

void DockTile::cancelUserAttentionRequest(int request) {
    if (request >= 1 && request <= static_cast<int>(cancelled_.size()))
        cancelled_[static_cast<std::size_t>(request - 1)] = true;
}

std::vector<int> DockTile::pendingAttentionRequests() const {
    std::vector<int> pending;
    for (std::size_t i = 0; i < cancelled_.size(); ++i)
        if (!cancelled_[i])
            pending.push_back(static_cast<int>(i + 1));
    return pending;
}

} // namespace platform
