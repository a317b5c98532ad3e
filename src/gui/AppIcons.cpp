#include "gui/AppIcons.h"

#include "gui/CommandIds.h"

#include <QString>

// A resource file linked from a static library is registered by hand, once.
static void LoadIconResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    static_cast<void>(loaded);
}

namespace {

// Every size the picture ships in (icons/icons.qrc); the window system picks.
QIcon IconOfSizes(const char* name) {
    LoadIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size));
    }
    return icon;
}

const char* ToolbarImageName(int commandId) {
    switch (commandId) {
    case CommandId::FileNew:
        return "new";
    case CommandId::FileOpen:
        return "open";
    case CommandId::FileSave:
        return "save";
    case CommandId::EditCut:
        return "cut";
    case CommandId::EditCopy:
        return "copy";
    case CommandId::EditPaste:
        return "paste";
    case CommandId::FilePrint:
        return "print";
    case CommandId::AppAbout:
        return "about";
    default:
        return nullptr;
    }
}

} // namespace

QIcon AppIcons::ApplicationIcon() {
    return IconOfSizes("application");
}

QPixmap AppIcons::ToolbarImage(int commandId) {
    const char* name = ToolbarImageName(commandId);
    if (name == nullptr) {
        return QPixmap();
    }
    LoadIconResources();
    return QPixmap(QStringLiteral(":/icons/toolbar-%1.png").arg(QLatin1String(name)));
}
