#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;
struct ScannerState;

// The view's picture from the Scanner state and the Message log, drawn on `target`
// through a COffscreenDC over `clipBox`, exactly as the view paints itself.
void DrawScannerView(QPainter& target, const QRect& clipBox, const ScannerState& state);

// The view's picture at the given size, off-screen. Needs a QGuiApplication for text.
QImage RenderViewImage(const ScannerState& state, QSize size);
