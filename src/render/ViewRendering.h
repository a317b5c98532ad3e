#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

class PictureRecord;
class QPainter;
struct ScannerState;

// The view's picture from the Scanner state and the Message log, drawn on `target`
// through a COffscreenDC over `clipBox`, exactly as the view paints itself.
void DrawScannerView(QPainter& target, const QRect& clipBox, const ScannerState& state);

// The recorded picture drawn on `target` over each rectangle of `region` in turn, each
// with only the calls that reach it: the pixels of the whole picture there, and none
// changed outside the region.
void DrawPictureRecord(QPainter& target, const QRegion& region, const PictureRecord& picture);

// The view's picture at the given size, off-screen. Needs a QGuiApplication for text.
QImage RenderViewImage(const ScannerState& state, QSize size);
