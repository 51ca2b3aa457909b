#pragma once

// The margins of skinned windows, collection-view items and image buttons, in points, in the
// order brand texts give them: left, right, top, bottom.
struct QXMargin {
    float left = 0;
    float right = 0;
    float top = 0;
    float bottom = 0;

    friend bool operator==(const QXMargin&, const QXMargin&) = default;
};
