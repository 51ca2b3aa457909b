#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Geometry.h"

#include <string>
#include <string_view>
#include <vector>

// One vertex of an outline: an anchor (fractions of the frame's width and height) and offsets
// in points from that anchored spot for the vertex and, for a curve, its two control points.
class BezierPoint {
public:
    enum Type { Move = 0, Line = 1, Curve = 2 };

    BezierPoint(platform::Point point, platform::Point handle1, platform::Point handle2,
                platform::Point anchor, int type);
    static BezierPoint moveToPoint(platform::Point point, platform::Point anchor);
    static BezierPoint lineToPoint(platform::Point point, platform::Point anchor);
    static BezierPoint curveToPoint(platform::Point point, platform::Point handle1,
                                    platform::Point handle2, platform::Point anchor);

    platform::Point point() const { return _p; }
    platform::Point handle1() const { return _h1; }
    platform::Point handle2() const { return _h2; }
    platform::Point anchor() const { return _a; }
    int type() const { return _type; }

private:
    platform::Point _p;
    platform::Point _h1;
    platform::Point _h2;
    platform::Point _a;
    int _type;
};

// A closed outline written relative to a frame, so one description fits a window, a
// background or a button at any size. Brand "Path" entries are arrays of commands such as
// "m p(3.5,0.5) a(0,0)", "l p(-3.5,0.5) a(1,0)" and
// "c p(-0.5,3.5) h1(-1.5,0.5) h2(-0.5,1.5) a(1,0)". Appending vertices does not rebuild the
// path: finish with endPath or setFrame. An outline whose first vertex is not a move starts
// at that vertex.
class QXOutlinePath {
public:
    QXOutlinePath();
    // Reads each command in order, then ends the path.
    explicit QXOutlinePath(const std::vector<std::string>& commands);
    // The same from a brand array; elements that are not texts are skipped.
    static QXOutlinePath initFromArray(const platform::Value& commands);

    void moveTo(platform::Point point, platform::Point anchor);
    void lineTo(platform::Point point, platform::Point anchor);
    void curveTo(platform::Point point, platform::Point handle1, platform::Point handle2,
                 platform::Point anchor);
    // Appends the vertex a command text describes, or nothing: texts shorter than 10
    // characters and kinds other than m, l and c are ignored.
    void parseCommand(std::string_view command);
    void endPath();
    void clearPath();
    void recalculatePath();

    const platform::Rect& frame() const { return _frame; }
    // Always rebuilds the path, even for an unchanged frame.
    void setFrame(const platform::Rect& frame);
    // The outline in frame coordinates, owned by this object.
    const platform::BezierPath& bezierPath() const { return _thePath; }
    const std::vector<BezierPoint>& dataPoints() const { return _dataPoints; }

private:
    platform::BezierPath _thePath;
    platform::Rect _frame;
    std::vector<BezierPoint> _dataPoints;
};
