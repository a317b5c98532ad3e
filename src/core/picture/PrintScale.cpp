#include "picture/PrintScale.h"

#include <algorithm>

namespace {
constexpr double kScreenUnitsPerInch = 96.0;
} // namespace

double PrintScale(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight,
                  int dotsPerInch) {
    const double screenScale = dotsPerInch / kScreenUnitsPerInch;
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0 ||
        screenScale <= 0.0) {
        return std::max(screenScale, 1.0);
    }
    const double fit = std::min(static_cast<double>(areaWidth) / pictureWidth,
                                static_cast<double>(areaHeight) / pictureHeight);
    return std::min(screenScale, fit);
}
