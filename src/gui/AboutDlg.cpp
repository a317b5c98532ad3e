#include "gui/AboutDlg.h"

#include "gui/AppIcons.h"
#include "gui/DialogUnits.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About WinTesselTest"));
    setFont(DialogUnits::TemplateFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(235, 55));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    icon->setPixmap(AppIcons::ApplicationIcon().pixmap(iconSize, iconSize));
    icon->setGeometry(du.X(11), du.Y(17), iconSize, iconSize);

    auto* version = new QLabel(QStringLiteral("WinTesselTest Version " WT_PRODUCT_VERSION), this);
    version->setObjectName(QStringLiteral("version"));
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(du.Rect(40, 10, 119, 8));

    auto* purpose = new QLabel(QStringLiteral("QZ4 scanner diagnostics"), this);
    purpose->setObjectName(QStringLiteral("purpose"));
    purpose->setTextFormat(Qt::PlainText);
    purpose->setGeometry(du.Rect(40, 25, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    ok->setGeometry(du.Rect(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
