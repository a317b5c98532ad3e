#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, image files shipped as Qt resources (icons/icons.qrc).
namespace AppIcons {
constexpr int kToolbarImageWidth = 16;
constexpr int kToolbarImageHeight = 15;

QIcon ApplicationIcon();
// The 16 x 15 toolbar image of a command: New, Open, Save, Cut, Copy, Paste, Print, About.
QPixmap ToolbarImage(int commandId);
} // namespace AppIcons
