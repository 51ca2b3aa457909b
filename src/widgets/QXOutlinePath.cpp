#include "widgets/QXOutlinePath.h"

#include "support/BrandText.h"

#include <algorithm>

namespace {

// Length as the original counted it: UTF-16 units, a character beyond the basic plane
// counting twice.
std::size_t utf16Length(std::string_view text) {
    std::size_t length = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) == 0x80)
            continue;
        length += c >= 0xF0 ? 2 : 1;
    }
    return length;
}

// The point written after `opening` up to the next ")"; (0, 0) when either is missing.
platform::Point part(std::string_view command, std::string_view opening) {
    const auto start = command.find(opening);
    if (start == std::string_view::npos)
        return {};
    const auto from = start + opening.size();
    const auto end = command.find(')', from);
    if (end == std::string_view::npos)
        return {};
    return valueWithPointFromString(command.substr(from, end - from));
}

} // namespace

BezierPoint::BezierPoint(platform::Point point, platform::Point handle1, platform::Point handle2,
                         platform::Point anchor, int type)
    : _p(point), _h1(handle1), _h2(handle2), _a(anchor), _type(type) {}

BezierPoint BezierPoint::moveToPoint(platform::Point point, platform::Point anchor) {
    return {point, {}, {}, anchor, Move};
}

BezierPoint BezierPoint::lineToPoint(platform::Point point, platform::Point anchor) {
    return {point, {}, {}, anchor, Line};
}

BezierPoint BezierPoint::curveToPoint(platform::Point point, platform::Point handle1,
                                      platform::Point handle2, platform::Point anchor) {
    return {point, handle1, handle2, anchor, Curve};
}

QXOutlinePath::QXOutlinePath() {
    _dataPoints.reserve(10);
}

QXOutlinePath::QXOutlinePath(const std::vector<std::string>& commands) : QXOutlinePath() {
    clearPath();
    for (const auto& command : commands)
        parseCommand(command);
    endPath();
}

QXOutlinePath QXOutlinePath::initFromArray(const platform::Value& commands) {
    QXOutlinePath outline;
    outline.clearPath();
    if (const auto* array = commands.array()) {
        for (const auto& command : *array) {
            if (const auto* text = command.string())
                outline.parseCommand(*text);
        }
    }
    outline.endPath();
    return outline;
}

void QXOutlinePath::moveTo(platform::Point point, platform::Point anchor) {
    _dataPoints.push_back(BezierPoint::moveToPoint(point, anchor));
}

void QXOutlinePath::lineTo(platform::Point point, platform::Point anchor) {
    _dataPoints.push_back(BezierPoint::lineToPoint(point, anchor));
}

void QXOutlinePath::curveTo(platform::Point point, platform::Point handle1, platform::Point handle2,
                            platform::Point anchor) {
    _dataPoints.push_back(BezierPoint::curveToPoint(point, handle1, handle2, anchor));
}

void QXOutlinePath::parseCommand(std::string_view original) {
    std::string command(original);
    std::transform(command.begin(), command.end(), command.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (utf16Length(command) < 10)
        return;
    const platform::Point point = part(command, "p(");
    const platform::Point anchor = part(command, "a(");
    const platform::Point handle1 = part(command, "h1(");
    const platform::Point handle2 = part(command, "h2(");
    switch (command.front()) {
    case 'm':
        moveTo(point, anchor);
        break;
    case 'l':
        lineTo(point, anchor);
        break;
    case 'c':
        curveTo(point, handle1, handle2, anchor);
        break;
    default:
        break;
    }
}

void QXOutlinePath::endPath() {
    recalculatePath();
}

void QXOutlinePath::clearPath() {
    _thePath.removeAllPoints();
    _dataPoints.clear();
}

void QXOutlinePath::recalculatePath() {
    _thePath.removeAllPoints();
    const double x = _frame.origin.x, y = _frame.origin.y;
    const double w = _frame.size.width, h = _frame.size.height;
    for (const auto& vertex : _dataPoints) {
        const platform::Point spot(x + vertex.anchor().x * w, y + vertex.anchor().y * h);
        const platform::Point p = spot.offsetBy(vertex.point().x, vertex.point().y);
        switch (vertex.type()) {
        case BezierPoint::Move:
            _thePath.moveToPoint(p);
            break;
        case BezierPoint::Line:
            _thePath.lineToPoint(p);
            break;
        case BezierPoint::Curve:
            // The handles are offsets from the anchored spot, not from the vertex.
            _thePath.curveToPoint(p, spot.offsetBy(vertex.handle1().x, vertex.handle1().y),
                                  spot.offsetBy(vertex.handle2().x, vertex.handle2().y));
            break;
        default:
            break;
        }
    }
    _thePath.closePath();
}

void QXOutlinePath::setFrame(const platform::Rect& frame) {
    _frame = frame;
    recalculatePath();
}
