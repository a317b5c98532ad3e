#include "app/WinTesselTestView.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

void CWinTesselTestView::OnFilePrint() {
    // The printer's own resolution: one logical unit per printer pixel, as on screen.
    QPrinter printer(QPrinter::HighResolution);
    if (OnPreparePrinting(printer)) {
        OnPrint(printer);
    }
}

bool CWinTesselTestView::OnPreparePrinting(QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

void CWinTesselTestView::OnPrint(QPrinter& printer) {
    QPainter dc;
    if (!dc.begin(&printer)) {
        return;
    }
    // One page, drawn straight onto the printer: nothing asks it for another.
    OnDraw(dc, QRect(0, 0, printer.width(), printer.height()));
    dc.end();
}
