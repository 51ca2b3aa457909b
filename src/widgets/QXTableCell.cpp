#include "widgets/QXTableCell.h"

#include "platform/graphics/Image.h"
#include "platform/kit/View.h"

namespace {

constexpr const char* kBackgroundGradient =
    "linear@-90.0:c(0.59,0.59,0.59,1.0)@0.0,c(0.86,0.86,0.86,1.0)@1.0";
constexpr const char* kHighlightGradient =
    "linear@-90.0:c(0.69,0.69,0.79,1.0)@0.0,c(0.86,0.86,0.96,1.0)@1.0";

} // namespace

QXTableCell::QXTableCell() = default;

QXTableCell::QXTableCell(std::string text) : platform::Cell(std::move(text)) {}

QXTableCell::QXTableCell(std::shared_ptr<platform::Image> image)
    : platform::Cell(std::move(image)) {}

void QXTableCell::initialize() {
    platform::Cell::initialize();
    setup();
}

std::shared_ptr<platform::Cell> QXTableCell::copy() const {
    return std::make_shared<QXTableCell>(*this);
}

void QXTableCell::setup() {
    _background = QXGradient::gradientFromString(std::string_view(kBackgroundGradient));
    _highlight = QXGradient::gradientFromString(std::string_view(kHighlightGradient));
}

void QXTableCell::setBackgroundGradient(std::shared_ptr<QXGradient> gradient) {
    _background = std::move(gradient);
}

void QXTableCell::setHighlightGradient(std::shared_ptr<QXGradient> gradient) {
    _highlight = std::move(gradient);
}

void QXTableCell::drawInteriorWithFrame(const platform::Rect& cellFrame,
                                        platform::View* /*controlView*/) {
    const std::shared_ptr<QXGradient>& gradient = isHighlighted() ? _highlight : _background;
    if (gradient)
        gradient->drawInRect(cellFrame);
}

platform::Size QXTableCell::minSize() const {
    return {0, 0};
}

platform::Size QXTableCell::maxSize() const {
    return {10000, 10000};
}

void QXTableCell::addCursorRectsForFrame(const platform::Rect& /*frame*/,
                                         platform::View* /*view*/) {}
