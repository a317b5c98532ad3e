#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn at run time so that no image file has to ship.
namespace AppIcons {
constexpr int kToolbarImageWidth = 16;
constexpr int kToolbarImageHeight = 15;

QIcon ApplicationIcon();
QIcon DocumentIcon();
// The 16 x 15 toolbar image of a command: New, Open, Save, Cut, Copy, Paste, Print, About.
QPixmap ToolbarImage(int commandId);
} // namespace AppIcons
