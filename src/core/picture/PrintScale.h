#pragma once

// Printer dots per picture unit: the screen's size, one unit per 1/96 inch, or less
// where the picture would be wider or taller than the printable area; both directions
// keep one scale, so the picture keeps its proportions.
double PrintScale(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight,
                  int dotsPerInch);
