#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "support/QXMargin.h"

#include <string>
#include <string_view>

// The brand dictionary writes colours and geometry as numbers in parentheses: "(r,g,b,a)",
// "(x,y)", "(w,h)", "(x,y,w,h)" and margins "(left,right,top,bottom)". These readers never
// fail: a malformed text reads as zeros, so a brand file with a mistyped entry still draws.
// Numbers are read like a string's float value and kept in single precision.
//
// A null text pointer is a missing entry: a missing colour is a translucent dark grey
// (0.1, 0.1, 0.1, 0.5), everything else zero. Pass `value.string()` of a brand Value to get
// that behaviour for entries that are absent or not texts.

platform::Color colorWithRGBAfromString(const std::string* text);
platform::Color colorWithRGBAfromString(std::string_view text);
platform::Point valueWithPointFromString(const std::string* text);
platform::Point valueWithPointFromString(std::string_view text);
platform::Size valueWithSizeFromString(const std::string* text);
platform::Size valueWithSizeFromString(std::string_view text);
platform::Rect valueWithRectFromString(const std::string* text);
platform::Rect valueWithRectFromString(std::string_view text);
QXMargin valueWithMarginFromString(const std::string* text);
QXMargin valueWithMarginFromString(std::string_view text);

// Brand "Margin" entries are often read as rectangles and used as margins: the four numbers
// keep their order (origin x, origin y, width, height become left, right, top, bottom).
QXMargin marginFromRectValue(const platform::Rect& rect);

// One decimal each: "(%1.1f,%1.1f)", "(%1.1f,%1.1f,%1.1f,%1.1f)"; margins with a blank after
// each comma. Written the same whatever the process locale.
std::string stringFromPointValue(platform::Point point);
std::string stringFromSizeValue(platform::Size size);
std::string stringFromRectValue(const platform::Rect& rect);
std::string stringFromMarginValue(const QXMargin& margin);

// Removes "(", ")" and blanks from both ends (never from the middle).
std::string_view trimBrandText(std::string_view text);
// The longest leading decimal number after leading blanks, as a float; 0 when there is none.
float brandFloatValue(std::string_view text);
// A double in single precision; beyond the float range it becomes an infinity (a plain cast
// would be undefined there).
float narrowToFloat(double value);
