#pragma once

// A rectangle as the platform's drawing calls take it: two corners, in any order.
struct ViewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // The same rectangle with left <= right and top <= bottom.
    ViewRect Normalised() const {
        return {left < right ? left : right, top < bottom ? top : bottom,
                left < right ? right : left, top < bottom ? bottom : top};
    }
    // True when the normalised rectangle covers no pixel: it covers columns
    // left .. right-1 and rows top .. bottom-1.
    bool IsEmpty() const { return left == right || top == bottom; }

    bool operator==(const ViewRect&) const = default;
};
