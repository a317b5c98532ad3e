#include "FrameFixture.h"
#include "ProcessStateGuard.h"
#include "ScriptedMidiServices.h"
#include "gui/CommandIds.h"
#include "gui/MidiPortDlg.h"
#include "ports/MidiPortLayer.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

QStringList LogLinesFrom(int first) {
    QStringList lines;
    for (int n = first; n < MessageLog.LogCount; ++n) {
        lines << QString::fromLatin1(MessageLog.Line(n));
    }
    return lines;
}

QStringList ListLines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text();
    }
    return lines;
}

// A frame on scripted MIDI devices, with the two port dialogs reachable.
struct PortFixture {
    std::unique_ptr<ScriptedMidiServices> services =
        std::make_unique<ScriptedMidiServices>(std::vector<std::string>{"In A", "In B", "In C"},
                                               std::vector<std::string>{"Out A", "Out B"});
    ProcessStateGuard state{services.get()};
    // Goes before the guard takes the services out.
    std::unique_ptr<FrameFixture> f = std::make_unique<FrameFixture>();
    CMidiPortDlg& In() { return *static_cast<CMidiPortDlg*>(f->View().m_pInPortDlg); }
    CMidiPortDlg& Out() { return *static_cast<CMidiPortDlg*>(f->View().m_pOutPortDlg); }
    void ShowIn() { Show(CommandId::MidiInPortSelect, In()); }
    void ShowOut() { Show(CommandId::MidiOutPortSelect, Out()); }
    // The menu command, then the dialog window becoming active as on a desktop: the
    // list gets the focus, which must not choose a line.
    void Show(int command, CMidiPortDlg& dialog) {
        f->frame->CommandAction(command)->trigger();
        dialog.Window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.Window()));
        dialog.List()->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
    // A user's click on a line.
    static void Choose(CMidiPortDlg& dialog, int row) {
        QListWidget* list = dialog.List();
        const QPoint centre = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    }
};

// Gathers what the view paints.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget& view, QRegion& painted) : m_view(view), m_painted(painted) {
        m_view.installEventFilter(this);
    }
    ~PaintWatch() override { m_view.removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_view && event->type() == QEvent::Paint) {
            m_painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QWidget& m_view;
    QRegion& m_painted;
};

} // namespace

class PortDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void inputDialogListsDevicesInOrderWithNothingSelected() {
        PortFixture p;
        p.ShowIn();
        QVERIFY(p.In().Window()->isVisible());
        QCOMPARE(p.In().Window()->windowTitle(), QStringLiteral("Midi Inout Port Select"));
        QCOMPARE(p.In().Window()->findChild<QPushButton*>("IDCANCEL")->text(),
                 QStringLiteral("Squelch Input"));
        QCOMPARE(ListLines(p.In().List()), QStringList({"In A", "In B", "In C"}));
        QCOMPARE(p.In().m_nDevices, 3);
        // Active and focused, the dialog has still chosen nothing and opened nothing.
        QVERIFY(p.In().List()->hasFocus());
        QCOMPARE(p.In().List()->currentRow(), -1);
        QVERIFY(p.In().List()->selectedItems().isEmpty());
        QCOMPARE(MessageLog.LogCount, 6);
        QVERIFY(!p.services->InputOpen());
        p.ShowOut();
        QCOMPARE(p.Out().List()->currentRow(), -1);
        QCOMPARE(p.f->View().m_bOutOpen, 0);
        QCOMPARE(MessageLog.LogCount, 6);
    }

    void theKeyboardChoosesLinesAsTheMouseDoes() {
        PortFixture p;
        p.ShowIn();
        QTest::keyClick(p.In().List(), Qt::Key_Down);
        QCOMPARE(p.In().m_nDevice, 0);
        QCOMPARE(p.f->View().m_bInOpen, 1);
        QTest::keyClick(p.In().List(), Qt::Key_End);
        QCOMPARE(p.In().m_nDevice, 2);
        QCOMPARE(p.services->InputOpen(), true);
        QCOMPARE(LogLinesFrom(6),
                 QStringList({"In Open In A ", "In Close In A ", "In Open In C "}));
    }

    void outputDialogEndsItsListWithTheScanCount() {
        PortFixture p;
        p.f->View().m_scanCount = 41;
        p.ShowOut();
        QCOMPARE(p.Out().Window()->windowTitle(), QStringLiteral("Midi Output Port Select"));
        QCOMPARE(p.Out().Window()->findChild<QPushButton*>("IDCANCEL")->text(),
                 QStringLiteral("Squelch Port"));
        QCOMPARE(ListLines(p.Out().List()),
                 QStringList({"Out A", "Out B", "TesselHistoryCount 41"}));
        // The count is read when the dialog is shown, not kept up to date.
        p.f->View().m_scanCount = 42;
        QCOMPARE(p.Out().List()->item(2)->text(), QStringLiteral("TesselHistoryCount 41"));
    }

    void choosingALineClosesTheOpenDeviceAndOpensTheChosenOne() {
        PortFixture p;
        p.ShowIn();
        const int before = MessageLog.LogCount;
        PortFixture::Choose(p.In(), 2);
        QCOMPARE(p.f->View().m_bInOpen, 1);
        QCOMPARE(p.In().m_nDevice, 2);
        PortFixture::Choose(p.In(), 0);
        QCOMPARE(p.f->View().m_bInOpen, 1);
        QCOMPARE(p.In().m_nDevice, 0);
        QCOMPARE(LogLinesFrom(before),
                 QStringList({"In Open In C ", "In Close In C ", "In Open In A "}));
    }

    void reshowingMarksTheOpenDeviceAndChoosingItAgainDoesNothing() {
        PortFixture p;
        p.ShowIn();
        PortFixture::Choose(p.In(), 1);
        p.In().OnOK();
        QVERIFY(!p.In().Window()->isVisible());
        QCOMPARE(p.In().m_strSelection, QStringLiteral("In B"));
        QCOMPARE(p.f->View().m_bInOpen, 1);
        p.ShowIn();
        QVERIFY(p.In().Window()->isVisible());
        QCOMPARE(p.In().List()->currentRow(), 1);
        const int before = MessageLog.LogCount;
        PortFixture::Choose(p.In(), 1);
        QCOMPARE(MessageLog.LogCount, before);
        QCOMPARE(p.f->View().m_bInOpen, 1);
    }

    void squelchEscapeAndCloseBoxCloseThePortAndHide() {
        PortFixture p;
        p.ShowOut();
        PortFixture::Choose(p.Out(), 0);
        QCOMPARE(p.f->View().m_bOutOpen, 1);
        p.Out().Window()->findChild<QPushButton*>("IDCANCEL")->click();
        QCOMPARE(p.f->View().m_bOutOpen, 0);
        QVERIFY(!p.Out().Window()->isVisible());

        p.ShowOut();
        PortFixture::Choose(p.Out(), 1);
        QTest::keyClick(p.Out().Window(), Qt::Key_Escape);
        QCOMPARE(p.f->View().m_bOutOpen, 0);
        QVERIFY(!p.Out().Window()->isVisible());

        p.ShowOut();
        PortFixture::Choose(p.Out(), 1);
        p.Out().Window()->close();
        QCOMPARE(p.f->View().m_bOutOpen, 0);
        QVERIFY(!p.Out().Window()->isVisible());

        // With the port already closed, squelch only hides.
        p.ShowOut();
        const int before = MessageLog.LogCount;
        p.Out().Window()->close();
        QCOMPARE(MessageLog.LogCount, before);
    }

    void choosingTheCountLineFailsTheOpenAndLeavesThePortClosed() {
        PortFixture p;
        p.ShowOut();
        PortFixture::Choose(p.Out(), 0);
        const int before = MessageLog.LogCount;
        PortFixture::Choose(p.Out(), 2);
        QCOMPARE(p.f->View().m_bOutOpen, 0);
        const QStringList lines = LogLinesFrom(before);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("Out Close Out A "));
        QVERIFY2(lines[1].startsWith("Out Open ") && !lines[1].endsWith("successfully."),
                 qPrintable(lines[1]));
    }

    void aFailedOpenIsTriedAgainOnTheNextChoice() {
        PortFixture p;
        p.services->FailNextInOpen(MidiResult::Allocated);
        p.ShowIn();
        const int before = MessageLog.LogCount;
        PortFixture::Choose(p.In(), 1);
        QCOMPARE(p.f->View().m_bInOpen, 0);
        QCOMPARE(p.In().List()->currentRow(), -1);
        QVERIFY(p.In().List()->selectedItems().isEmpty());
        QCOMPARE(
            LogLinesFrom(before),
            QStringList({"In Open In B ", "In Open FAILED  The MIDI device is already in use."}));
        // The same line again tries again, as a choice of any other line would.
        p.services->FailNextInOpen(MidiResult::Allocated);
        PortFixture::Choose(p.In(), 1);
        QCOMPARE(p.f->View().m_bInOpen, 0);
        PortFixture::Choose(p.In(), 1);
        QCOMPARE(p.f->View().m_bInOpen, 1);
        QCOMPARE(p.In().m_nDevice, 1);
        QCOMPARE(LogLinesFrom(before).size(), 5);
    }

    void aDeviceAddedSinceTheLastShowingIsListedByTheNextMenuUse() {
        PortFixture p;
        p.ShowIn();
        QCOMPARE(p.In().List()->count(), 3);
        ScriptedMidiServices more({"In A", "In B", "In C", "In D"}, {"Out A"});
        SetMidiServices(&more);
        p.ShowIn();
        QCOMPARE(ListLines(p.In().List()), QStringList({"In A", "In B", "In C", "In D"}));
        SetMidiServices(p.services.get());
    }

    void bothDialogsWorkAtOnceAndIndependently() {
        PortFixture p;
        p.ShowIn();
        p.ShowOut();
        QVERIFY(p.In().Window()->isVisible() && p.Out().Window()->isVisible());
        PortFixture::Choose(p.In(), 2);
        PortFixture::Choose(p.Out(), 1);
        QCOMPARE(p.In().m_nDevice, 2);
        QCOMPARE(p.Out().m_nDevice, 1);
        p.In().OnCancel();
        QCOMPARE(p.f->View().m_bInOpen, 0);
        QCOMPARE(p.f->View().m_bOutOpen, 1);
        QVERIFY(p.Out().Window()->isVisible());
        QVERIFY(p.f->frame->isEnabled());
    }

    void bothDialogsOpenAtTheClientAreasCornerBelowTheMenuBar() {
        PortFixture p;
        p.ShowIn();
        p.ShowOut();
        const QMenuBar* bar = p.f->frame->menuBar();
        const QPoint corner = p.f->frame->mapToGlobal(QPoint(0, bar->geometry().bottom() + 1));
        QCOMPARE(p.In().Window()->frameGeometry().topLeft(), corner);
        QCOMPARE(p.Out().Window()->frameGeometry().topLeft(), corner);
    }

    void aRightClickNeitherMarksNorChoosesALine() {
        PortFixture p;
        p.ShowIn();
        PortFixture::Choose(p.In(), 1);
        QCOMPARE(p.In().m_nDevice, 1);
        QListWidget* list = p.In().List();
        const QPoint onLineTwo = list->visualItemRect(list->item(2)).center();
        const int logged = MessageLog.LogCount;
        QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier, onLineTwo);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(list->selectedItems().value(0)->text(), QStringLiteral("In B"));
        QCOMPARE(MessageLog.LogCount, logged);
        p.In().Window()->findChild<QPushButton*>("IDOK")->click();
        QCOMPARE(p.In().m_strSelection, QStringLiteral("In B"));
    }

    void aHiddenDialogHasTheViewRepaintWhatItCovered() {
        PortFixture p;
        p.ShowIn();
        PortFixture::Choose(p.In(), 0);
        QCoreApplication::processEvents();
        QRegion painted;
        PaintWatch watch(p.f->View(), painted);
        const QRect covered(p.f->View().mapFromGlobal(p.In().Window()->frameGeometry().topLeft()),
                            p.In().Window()->frameGeometry().size());
        // The squelch asks for no repaint of its own; the timer is stopped.
        p.In().Window()->findChild<QPushButton*>("IDCANCEL")->click();
        QVERIFY(!p.In().Window()->isVisible());
        QTRY_VERIFY(painted.contains(covered & p.f->View().rect()));
    }

    void closingTheProgramClosesTheInputWithItsLinesAndTheOutputSilently() {
        PortFixture p;
        p.ShowIn();
        p.ShowOut();
        PortFixture::Choose(p.In(), 0);
        PortFixture::Choose(p.Out(), 0);
        const int before = MessageLog.LogCount;
        // As the program ends: the frame closes, then the application closes every
        // window still shown, the port dialogs among them.
        QVERIFY(p.f->frame->close());
        QApplication::closeAllWindows();
        p.f->frame.reset();
        QVERIFY(!p.services->InputOpen());
        const QStringList lines = LogLinesFrom(before);
        QVERIFY2(!lines.isEmpty() && lines[0] == "In Close In A ", qPrintable(lines.join('|')));
        QVERIFY(!lines.join('|').contains("Out Close"));
    }
};

QTEST_MAIN(PortDialogsTest)
#include "PortDialogsTest.moc"
