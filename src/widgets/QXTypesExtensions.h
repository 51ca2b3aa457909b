#pragma once

#include "platform/foundation/Value.h"
#include "support/QXMargin.h"

// Margins boxed in a platform value, so that they travel in dictionaries and bindings like
// any other value. The box is an array of four reals in QXMargin's order (left, right, top,
// bottom), which also keeps it a property list.
platform::Value valueWithMargin(const QXMargin& margin);
// The margin a value holds; missing or unreadable parts read as 0.
QXMargin marginValue(const platform::Value& value);
