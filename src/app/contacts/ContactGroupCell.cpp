#include "app/contacts/ContactGroupCell.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "support/TextExtensions.h"

#include <cmath>

namespace {

platform::TextAttributes nameAttributes() {
    platform::TextAttributes attributes;
    attributes.font = platform::Font::fontWithName("Helvetica-BoldOblique", 12);
    return attributes;
}

platform::TextAttributes countAttributes() {
    platform::TextAttributes attributes;
    attributes.font = platform::Font::fontWithName("Helvetica", 10);
    attributes.foregroundColor = platform::Color(0.5, 0.5, 0.5, 1.0);
    return attributes;
}

} // namespace

std::shared_ptr<platform::Cell> ContactGroupCell::copy() const {
    return std::make_shared<ContactGroupCell>(*this);
}

std::string ContactGroupCell::countText() const {
    return _showTotal ? std::to_string(_groupItems) + "/" + std::to_string(_totalNum)
                      : std::to_string(_groupItems);
}

ContactGroupCell::Geometry ContactGroupCell::geometryForFrame(const platform::Rect& frame) const {
    Geometry geometry;
    const double width = frame.minX() + frame.width() + 2;
    const platform::AttributedString name(_groupName, nameAttributes());
    const platform::Size nameSize = name.size();
    geometry.nameWidth = std::floor(width - 40);
    geometry.shownName =
        OrvantaExtensions::truncateForWidth(name, static_cast<int>(geometry.nameWidth)).string();
    geometry.name = {20, frame.minY() + (frame.height() - nameSize.height) * 0.5,
                     std::min(nameSize.width, geometry.nameWidth), nameSize.height};
    const platform::Size countSize = platform::sizeWithAttributes(countText(), countAttributes());
    geometry.count = {width - countSize.width - 5,
                      frame.minY() + (frame.height() - countSize.height) * 0.5, countSize.width,
                      countSize.height};
    return geometry;
}

void ContactGroupCell::drawInteriorWithFrame(const platform::Rect& cellFrame,
                                             platform::View* /*controlView*/) {
    const Geometry geometry = geometryForFrame(cellFrame);
    platform::AttributedString(geometry.shownName, nameAttributes())
        .drawAtPoint(geometry.name.origin);
    platform::drawAtPoint(countText(), geometry.count.origin, countAttributes());
}
