#include "FrameFixture.h"
#include "gui/AboutDlg.h"
#include "gui/CommandIds.h"
#include "gui/StatusBar.h"
#include "picture/ViewPainter.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* action : actions) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

QMenu* Popup(CMainFrame& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->menu() != nullptr && action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

// Runs `inspect` on the modal dialog that `open` brings up, then closes it.
template <typename Inspect> void WithModalDialog(Inspect inspect) {
    QTimer::singleShot(0, [inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        inspect(modal);
        modal->close();
    });
}

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void captionNamesTheUntitledDocument() {
        FrameFixture f;
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("Untitled - WinTesselTest"));
        // For looking at the window by eye: WT_SCREENSHOT_DIR=/tmp/shots.
        if (const QString dir = qEnvironmentVariable("WT_SCREENSHOT_DIR"); !dir.isEmpty()) {
            QVERIFY(f.frame->grab().save(dir + QStringLiteral("/main-frame.png")));
        }
    }

    void menuBarHoldsTheCommandsAndPopupsInOrder() {
        FrameFixture f;
        QCOMPARE(Texts(f.frame->menuBar()->actions()),
                 QStringList({"Midi In Port Select", "Midi Out Port Select", "StartTimer",
                              "StopTimer", "Strip Statistics", "Get Setup Information", "&File",
                              "&Edit", "&View", "ScanDump", "Clear Screen", "&Help"}));
        QCOMPARE(Texts(Popup(*f.frame, "&File")->actions()),
                 QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...",
                              "-", "&Print...\tCtrl+P", "Print Pre&view", "P&rint Setup...", "-",
                              "Recent File", "-", "E&xit"}));
        QCOMPARE(
            Texts(Popup(*f.frame, "&Edit")->actions()),
            QStringList({"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V"}));
        QCOMPARE(
            Texts(Popup(*f.frame, "&View")->actions()),
            QStringList({"&Toolbar", "&Status Bar", "-", "Sensor &Limits...", "Sensor &Chart"}));
        QCOMPARE(Texts(Popup(*f.frame, "&Help")->actions()),
                 QStringList({"&About WinTesselTest..."}));
    }

    void menuStatesAreTheResourceStatesAndMarksStayWhenChosen() {
        FrameFixture f;
        using namespace CommandId;
        for (int id : {MidiInPortSelect, MidiOutPortSelect, StartTimer, StopTimer, StripStatistics,
                       GetSetupInformation, ClearScreen, FileSave, FileSaveAs, AppExit, AppAbout}) {
            QVERIFY2(f.frame->CommandAction(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        for (int id : {ScanDump, MenuFileNew, MenuFileOpen, MenuFilePrint, MenuFilePrintPreview,
                       MenuFilePrintSetup, MenuRecentFile}) {
            QVERIFY2(!f.frame->CommandAction(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QVERIFY(!Popup(*f.frame, "&Edit")->menuAction()->isEnabled());
        for (int id : {StartTimer, StopTimer, ClearScreen}) {
            QVERIFY(f.frame->CommandAction(id)->isChecked());
        }
        // Marked items keep their mark when chosen.
        f.frame->CommandAction(StartTimer)->trigger();
        f.frame->CommandAction(ClearScreen)->trigger();
        QVERIFY(f.frame->CommandAction(StartTimer)->isChecked());
        QVERIFY(f.frame->CommandAction(ClearScreen)->isChecked());
    }

    void toolbarHasTheButtonsInOrderWithEditButtonsDisabled() {
        FrameFixture f;
        QToolBar* toolbar = f.frame->ToolBar();
        QStringList ids;
        for (QAction* action : toolbar->actions()) {
            ids << (action->isSeparator() ? QStringLiteral("-") : action->data().toString());
        }
        QCOMPARE(ids, QStringList({"57600", "57601", "57603", "-", "57635", "57634", "57637", "-",
                                   "57607", "-", "57664"}));
        QCOMPARE(toolbar->iconSize(), QSize(16, 15));
        QVERIFY(toolbar->isMovable());
        QCOMPARE(toolbar->allowedAreas(), Qt::AllToolBarAreas);
        QCOMPARE(f.frame->toolBarArea(toolbar), Qt::TopToolBarArea);
        for (int id : {CommandId::EditCut, CommandId::EditCopy, CommandId::EditPaste}) {
            QVERIFY(!f.frame->CommandAction(id)->isEnabled());
        }
        QAction* save = f.frame->CommandAction(CommandId::FileSave);
        QCOMPARE(save->toolTip(), QStringLiteral("Save"));
        QCOMPARE(save->statusTip(), QStringLiteral("Save the active document"));
        QCOMPARE(f.frame->CommandAction(CommandId::StripStatistics)->statusTip(),
                 QStringLiteral("Display Stats about instalation"));
        QVERIFY(!f.frame->CommandAction(CommandId::FileNew)->icon().isNull());
    }

    void statusBarHasTheThreeIndicators() {
        FrameFixture f;
        CStatusBar* bar = f.frame->StatusBar();
        QCOMPARE(bar->Indicator(59137)->text(), QStringLiteral("CAP"));
        QCOMPARE(bar->Indicator(59138)->text(), QStringLiteral("NUM"));
        QCOMPARE(bar->Indicator(59139)->text(), QStringLiteral("SCRL"));
    }

    void lockIndicatorsShowTheirTextOnlyWhileTheLockIsOn() {
        FrameFixture f;
        CStatusBar* bar = f.frame->StatusBar();
        bar->ShowLockIndicators(LockIndicators{true, false, true});
        QCOMPARE(bar->Indicator(59137)->text(), QStringLiteral("CAP"));
        QCOMPARE(bar->Indicator(59138)->text(), QString());
        QCOMPARE(bar->Indicator(59139)->text(), QStringLiteral("SCRL"));
        QVERIFY(bar->Indicator(59137)->isEnabled());
        // The panes keep their places while blank.
        QVERIFY(bar->Indicator(59138)->isVisible());
        QVERIFY(bar->Indicator(59138)->width() >= bar->Indicator(59137)->width());
        bar->ShowLockIndicators(LockIndicators{false, true, false});
        QCOMPARE(bar->Indicator(59137)->text(), QString());
        QCOMPARE(bar->Indicator(59138)->text(), QStringLiteral("NUM"));
        QCOMPARE(bar->Indicator(59139)->text(), QString());
    }

    void viewMenuTogglesToolbarAndStatusBar() {
        FrameFixture f;
        QAction* toolbar = f.frame->CommandAction(CommandId::ViewToolbar);
        QAction* statusBar = f.frame->CommandAction(CommandId::ViewStatusBar);
        QVERIFY(toolbar->isChecked() && statusBar->isChecked());
        toolbar->trigger();
        statusBar->trigger();
        QVERIFY(!f.frame->ToolBar()->isVisible());
        QVERIFY(!f.frame->StatusBar()->isVisible());
        QVERIFY(!toolbar->isChecked() && !statusBar->isChecked());
        toolbar->trigger();
        QVERIFY(f.frame->ToolBar()->isVisible());
    }

    void editAcceleratorsAndPaneKeysDoNothing() {
        FrameFixture f;
        QSignalSpy cutSpy(f.frame->CommandAction(CommandId::EditCut), &QAction::triggered);
        QSignalSpy pasteSpy(f.frame->CommandAction(CommandId::EditPaste), &QAction::triggered);
        const auto pressCutAndPasteKeys = [&f](bool enabled) {
            f.frame->CommandAction(CommandId::EditCut)->setEnabled(enabled);
            f.frame->CommandAction(CommandId::EditPaste)->setEnabled(enabled);
            QTest::keyClick(f.frame.get(), Qt::Key_X, Qt::ControlModifier);
            QTest::keyClick(f.frame.get(), Qt::Key_Insert, Qt::ShiftModifier);
        };
        // The keys do reach the two commands: enabled, each runs once.
        pressCutAndPasteKeys(true);
        QCOMPARE(cutSpy.count(), 1);
        QCOMPARE(pasteSpy.count(), 1);
        // As the program has them, without a handler and disabled, nothing runs.
        pressCutAndPasteKeys(false);
        QCOMPARE(cutSpy.count(), 1);
        QCOMPARE(pasteSpy.count(), 1);

        // F6 belongs to the frame's accelerators and runs no command at all.
        QShortcut* nextPane = nullptr;
        for (QShortcut* shortcut : f.frame->findChildren<QShortcut*>()) {
            if (shortcut->key() == QKeySequence(Qt::Key_F6)) {
                nextPane = shortcut;
            }
        }
        QVERIFY(nextPane != nullptr);
        QSignalSpy f6(nextPane, &QShortcut::activated);
        std::vector<std::unique_ptr<QSignalSpy>> anyCommand;
        for (QAction* action : f.frame->findChildren<QAction*>()) {
            anyCommand.push_back(std::make_unique<QSignalSpy>(action, &QAction::triggered));
        }
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(f.frame.get(), Qt::Key_F6);
        QCOMPARE(f6.count(), 1);
        for (const auto& spy : anyCommand) {
            QCOMPARE(spy->count(), 0);
        }
        QCOMPARE(QApplication::focusWidget(), focus);
        QCOMPARE(MessageLog.LogCount, 6);
    }

    void statusBarPaneFollowsTheHighlightedMenuItem() {
        FrameFixture f;
        CStatusBar* bar = f.frame->StatusBar();
        QMenuBar* menu = f.frame->menuBar();
        QCOMPARE(bar->Message(), QStringLiteral("Ready"));
        const auto hover = [menu](int id, CMainFrame& frame) {
            const QPoint at = menu->actionGeometry(frame.CommandAction(id)).center();
            QMouseEvent move(QEvent::MouseMove, at, menu->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(menu, &move);
        };
        hover(CommandId::StripStatistics, *f.frame);
        QTRY_COMPARE(bar->Message(), QStringLiteral("Display Stats about instalation"));
        // An item without a prompt string empties the pane.
        hover(CommandId::MidiInPortSelect, *f.frame);
        QTRY_COMPARE(bar->Message(), QString());
        // The frame settles the idle text once the event loop has gone round; a call
        // queued behind it has run only after that.
        bool wentRound = false;
        QTimer::singleShot(0, f.frame.get(), [&wentRound] { wentRound = true; });
        QTRY_VERIFY(wentRound);
        QCOMPARE(bar->Message(), QString());
        // Nothing highlighted: "Ready".
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(menu, &leave);
        QTRY_COMPARE(bar->Message(), QStringLiteral("Ready"));
        // Buttons bring their prompts, and leaving them brings back "Ready".
        QStatusTipEvent button(QStringLiteral("Save the active document"));
        QApplication::sendEvent(f.frame.get(), &button);
        QCOMPARE(bar->Message(), QStringLiteral("Save the active document"));
        QStatusTipEvent left{QString()};
        QApplication::sendEvent(f.frame.get(), &left);
        QCOMPARE(bar->Message(), QStringLiteral("Ready"));
    }

    void firstSizeShowsTheWholePictureWithinTheScreen() {
        FrameFixture f;
        CMainFrame& frame = *f.frame;
        const QSize wanted = frame.sizeHint();
        // Room for the view's whole picture under the menu bar and toolbar.
        QVERIFY(wanted.width() >= kPictureWidth);
        QVERIFY(wanted.height() >= kPictureHeight + frame.menuBar()->sizeHint().height() +
                                       frame.ToolBar()->sizeHint().height() +
                                       frame.StatusBar()->sizeHint().height());
        // Every menu-bar item fits its width: none is folded behind the extension.
        QVERIFY(wanted.width() >= frame.menuBar()->sizeHint().width());
        const QSize decoration(10, 30);
        QCOMPARE(CMainFrame::FirstSize(wanted, QSize(1920, 1080), decoration), wanted);
        QCOMPARE(CMainFrame::FirstSize(wanted, QSize(1024, 600), decoration), QSize(1014, 570));
        QCOMPARE(CMainFrame::FirstSize(wanted, QSize(1920, 600), decoration),
                 QSize(wanted.width(), 570));
        // At its first size the frame lays out every item and stays resizable.
        frame.resize(wanted);
        QTRY_COMPARE(frame.View()->size().width(), wanted.width());
        QVERIFY(frame.View()->height() >= kPictureHeight);
        for (QAction* item : frame.menuBar()->actions()) {
            QVERIFY2(!frame.menuBar()->actionGeometry(item).isEmpty(), qPrintable(item->text()));
        }
        QVERIFY(frame.minimumWidth() < wanted.width() && frame.maximumWidth() > wanted.width());
    }

    void printAcceleratorTriggersThePrintCommand() {
        FrameFixture f;
        QSignalSpy print(f.frame->CommandAction(CommandId::FilePrint), &QAction::triggered);
        // The print dialog is modal: close it as soon as it shows.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        closer.start(20);
        QTest::keyClick(f.frame.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(print.count(), 1);
    }

    void clearScreenEmptiesTheLogAndLeavesTheState() {
        FrameFixture f;
        QCOMPARE(MessageLog.LogCount, 6);
        f.frame->CommandAction(CommandId::ClearScreen)->trigger();
        QCOMPARE(MessageLog.LogCount, 0);
        QCOMPARE(f.View().m_stripLength, int8_t{93});
    }

    void startTimerTwiceMakesOneTimerAndStopStopsIt() {
        FrameFixture f;
        QAction* start = f.frame->CommandAction(CommandId::StartTimer);
        QAction* stop = f.frame->CommandAction(CommandId::StopTimer);
        // The timers the window system really runs for the view, with their periods.
        const auto running = [&f] {
            QList<int> periods;
            for (const auto& timer :
                 QAbstractEventDispatcher::instance()->registeredTimers(&f.View())) {
                periods << timer.interval;
            }
            return periods;
        };
        QCOMPARE(running(), QList<int>());
        start->trigger();
        start->trigger();
        QCOMPARE(f.View().m_bTimerOn, 1);
        QCOMPARE(running(), QList<int>({120}));
        stop->trigger();
        stop->trigger();
        QCOMPARE(f.View().m_bTimerOn, 0);
        QCOMPARE(running(), QList<int>());
        start->trigger();
        QCOMPARE(f.View().m_nTimerId, 1u);
        QCOMPARE(running(), QList<int>({120}));
        stop->trigger();
        QCOMPARE(running(), QList<int>());
    }

    void f10AndTheArrowsReachEveryMenuBarCommand() {
        FrameFixture f;
        QMenuBar* bar = f.frame->menuBar();
        const QList<QAction*> items = bar->actions();
        QTest::keyClick(f.frame.get(), Qt::Key_F10);
        QTRY_COMPARE(bar->activeAction(), items.value(0));
        QCOMPARE(QApplication::focusWidget(), bar);
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(bar->activeAction(), items.value(1));
        // Escape leaves the menu bar; the next F10 starts again from its first item.
        QTest::keyClick(bar, Qt::Key_Escape);
        QTRY_VERIFY(bar->activeAction() == nullptr);

        // Enter on a command runs it: StartTimer, the third item.
        QTest::keyClick(f.frame.get(), Qt::Key_F10);
        QTRY_COMPARE(bar->activeAction(), items.value(0));
        QTest::keyClick(bar, Qt::Key_Right);
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(bar->activeAction()->text(), QStringLiteral("StartTimer"));
        QTest::keyClick(bar, Qt::Key_Return);
        QTRY_VERIFY(f.View().m_nTimerId != 0);
        f.View().StopPollTimer();
    }

    void aboutBoxShowsNameVersionAndOk() {
        FrameFixture f;
        bool inspected = false;
        WithModalDialog([&inspected](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("About WinTesselTest"));
            auto* version = dialog->findChild<QLabel*>(QStringLiteral("version"));
            QVERIFY(version != nullptr);
            QCOMPARE(version->text(), QStringLiteral("WinTesselTest Version " WT_PRODUCT_VERSION));
            QVERIFY(QStringLiteral(WT_VERSION).startsWith(QStringLiteral(WT_PRODUCT_VERSION ".")));
            auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("IDOK"));
            QVERIFY(ok != nullptr && ok->isDefault());
            QCOMPARE(ok->text(), QStringLiteral("OK"));
            // 235 x 55 dialog units: wider than tall, about four to one.
            QVERIFY(dialog->width() > 3 * dialog->height());
            inspected = true;
        });
        f.frame->CommandAction(CommandId::AppAbout)->trigger();
        QVERIFY(inspected);
    }

    void sensorLimitsDialogSetsAndClearsTheLimitsAndTheProfileKeepsThem() {
        FrameFixture f;
        bool inspected = false;
        WithModalDialog([&inspected](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Sensor Limits"));
            const Qt::WindowFlags flags = dialog->windowFlags();
            QVERIFY(flags & Qt::WindowCloseButtonHint);
            QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            for (const char* name : {"avgDeviation", "swing", "sensorRms", "sensorSwing"}) {
                auto* field = dialog->findChild<QLineEdit*>(QLatin1String(name));
                QVERIFY(field != nullptr && field->text().isEmpty());
            }
            dialog->findChild<QLineEdit*>(QStringLiteral("sensorRms"))->setText("3.0");
            dialog->findChild<QLineEdit*>(QStringLiteral("swing"))->setText("12");
            dialog->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
            inspected = true;
        });
        f.frame->CommandAction(CommandId::ViewSensorLimits)->trigger();
        QVERIFY(inspected);
        const LimitOptions& set = f.View().Watch().Limits();
        QVERIFY(set.maxSensorRms && set.maxSensorRms->text == "3.0" && set.maxSwing &&
                set.maxSwing->value == 12 && !set.maxAvgDeviation && !set.maxSensorSwing);

        f.profile.Save();
        ProfileSettings read;
        read.Load();
        QCOMPARE(read.SensorLimits().maxSensorRms->text, std::string("3.0"));
        QCOMPARE(read.SensorLimits().maxSwing->value, 12);
        QVERIFY(!read.SensorLimits().maxAvgDeviation && !read.SensorLimits().maxSensorSwing);

        // Emptied fields mean no limit, in the view and in the profile.
        inspected = false;
        WithModalDialog([&inspected](QWidget* dialog) {
            auto* rms = dialog->findChild<QLineEdit*>(QStringLiteral("sensorRms"));
            QCOMPARE(rms->text(), QStringLiteral("3.0"));
            rms->clear();
            dialog->findChild<QLineEdit*>(QStringLiteral("swing"))->clear();
            dialog->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
            inspected = true;
        });
        f.frame->CommandAction(CommandId::ViewSensorLimits)->trigger();
        QVERIFY(inspected);
        QVERIFY(!f.View().Watch().Limits().HasSensorLimits());
        QVERIFY(!f.View().Watch().Limits().maxSwing);
        f.profile.Save();
        read.Load();
        QVERIFY(!read.SensorLimits().HasSensorLimits() && !read.SensorLimits().maxSwing);
    }

    void sensorLimitsDialogRefusesABadValueNamingItsField() {
        FrameFixture f;
        QString refusal;
        bool stillOpen = false;
        WithModalDialog([&](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("sensorRms"))->setText("2");
            dialog->findChild<QLineEdit*>(QStringLiteral("sensorSwing"))->setText("300");
            QTimer::singleShot(0, [&refusal] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr);
                refusal = box->text();
                box->close();
            });
            dialog->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
            stillOpen = dialog->isVisible();
        });
        f.frame->CommandAction(CommandId::ViewSensorLimits)->trigger();
        QVERIFY(stillOpen);
        QVERIFY2(refusal.startsWith(QStringLiteral("Sensor Swing: '300'")), qPrintable(refusal));
        // Closing the dialog after a refusal changes nothing.
        QVERIFY(!f.View().Watch().Limits().HasSensorLimits());
        QVERIFY(!f.profile.SensorLimits().HasSensorLimits());
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
