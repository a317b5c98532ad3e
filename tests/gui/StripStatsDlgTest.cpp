#include "gui/StripStatsDlg.h"
#include "ExampleTexts.h"
#include "FrameFixture.h"
#include "ProcessStateGuard.h"
#include "ReceivedScans.h"
#include "TestView.h"
#include "gui/CommandIds.h"
#include "gui/DialogUnits.h"
#include "scanner/ScannerView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <iterator>
#include <memory>
#include <optional>

namespace {

// Answers the next message box with OK and keeps its text.
class MessageBoxWatcher {
public:
    MessageBoxWatcher() {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texts << box->text();
                box->accept();
            }
        });
        m_timer.start();
    }
    QStringList Texts() const { return m_texts; }

private:
    QTimer m_timer;
    QStringList m_texts;
};

QStringList Lines(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.value(lines.size() - 1).isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

} // namespace

class StripStatsDlgTest : public QObject {
    Q_OBJECT

private:
    std::optional<ProcessStateGuard> m_state;
    std::unique_ptr<TestView> m_view;
    std::unique_ptr<CStripStatsDlg> m_dlg;

    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(m_dlg->GetDlgItem(id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(m_dlg->GetDlgItem(id)); }
    QListWidget* List() const { return qobject_cast<QListWidget*>(m_dlg->GetDlgItem(1011)); }
    void OpenExample() {
        ReceiveOneSensorScans(*m_view, {10, 11, 9, 10});
        m_dlg->ShowStatistics();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    }

private slots:
    void init() {
        m_state.emplace();
        m_view = std::make_unique<TestView>();
        m_dlg = std::make_unique<CStripStatsDlg>(m_view.get());
    }
    void cleanup() {
        m_dlg.reset();
        m_view.reset();
        m_state.reset();
    }

    void layoutFollowsTemplate103InDialogUnits() {
        const DialogUnits units(m_dlg->font());
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Tessel Strip Statistic Monitor"));
        QCOMPARE(m_dlg->size(), units.Size(351, 165));
        QVERIFY(!m_dlg->isModal());
        QVERIFY(!m_dlg->isVisible());

        struct Control {
            int id;
            const char* text;
            QRect rect;
        };
        const Control controls[] = {
            {1, "OK", units.Rect(294, 11, 50, 14)},
            {2, "Cancel", units.Rect(294, 25, 50, 14)},
            {3, "122 Note system", units.Rect(179, 11, 62, 14)},
            {6, "73 Note system", units.Rect(179, 25, 62, 14)},
            {7, "88 Note system", units.Rect(179, 39, 62, 14)},
            {8, "61 Note system", units.Rect(179, 53, 62, 14)},
            {1004, "Clear data and Restart", units.Rect(267, 42, 77, 14)},
            {1012, "Copy Stats to Buffer", units.Rect(251, 110, 89, 14)},
            {1011, nullptr, units.Rect(244, 65, 100, 40)},
            {1015, nullptr, units.Rect(112, 13, 40, 12)},
            {1003, nullptr, units.Rect(112, 26, 40, 12)},
            {1005, nullptr, units.Rect(112, 40, 40, 12)},
            {1006, nullptr, units.Rect(112, 54, 40, 12)},
            {1010, nullptr, units.Rect(112, 68, 40, 12)},
            {1007, nullptr, units.Rect(112, 82, 40, 12)},
            {1008, nullptr, units.Rect(112, 96, 101, 12)},
            {1009, nullptr, units.Rect(112, 110, 101, 12)},
            {1014, nullptr, units.Rect(112, 124, 101, 12)},
            {1013, nullptr, units.Rect(112, 138, 101, 12)},
        };
        for (const Control& c : controls) {
            QWidget* widget = m_dlg->GetDlgItem(c.id);
            QVERIFY2(widget != nullptr, qPrintable(QString::number(c.id)));
            QCOMPARE(widget->geometry(), c.rect);
            if (c.text != nullptr) {
                QCOMPARE(Button(c.id)->text(), QString::fromLatin1(c.text));
            }
        }

        const std::pair<const char*, QRect> labels[] = {
            {"Number Of Scans", units.Rect(19, 14, 77, 8)},
            {"Mean of all Tessels", units.Rect(19, 28, 77, 8)},
            {"Avg Deviation", units.Rect(19, 42, 77, 8)},
            {"Max Deviation Swing", units.Rect(19, 56, 77, 8)},
            {"Max Positive Deviation", units.Rect(19, 70, 77, 8)},
            {"Max Negative Deviation", units.Rect(19, 84, 77, 8)},
            {"Dead On Samples", units.Rect(19, 98, 77, 8)},
            {"Samples +/- 1", units.Rect(19, 112, 77, 8)},
            {"Samples +/- 2", units.Rect(19, 126, 77, 8)},
            {"3 or greater deviation", units.Rect(16, 140, 77, 8)},
        };
        QList<QLabel*> found = m_dlg->findChildren<QLabel*>();
        QCOMPARE(found.size(), 10);
        for (const auto& [text, rect] : labels) {
            const auto match = std::find_if(found.begin(), found.end(), [&](QLabel* label) {
                return label->text() == QString::fromLatin1(text);
            });
            QVERIFY2(match != found.end(), text);
            QCOMPARE((*match)->geometry(), rect);
        }
    }

    void showStatisticsFillsEveryFieldOfTheOneSensorExample() {
        OpenExample();
        QVERIFY(m_dlg->isVisible());
        QVERIFY(m_dlg->HasWindow());
        // The edit boxes in the order of the figures they show.
        const int ids[] = {1015, 1003, 1005, 1006, 1010, 1007, 1008, 1009, 1014, 1013};
        for (size_t n = 0; n < std::size(ids); ++n) {
            QCOMPARE(Edit(ids[n])->text().toStdString(), kOneSensorExampleFields[n].second);
            // A figure wider than its field shows its start, as an edit control does.
            QCOMPARE(Edit(ids[n])->cursorPosition(), 0);
        }
        QCOMPARE(List()->count(), 0);
    }

    void eachCopyStatsPressListsTheHistogramAndPutsAllOfItOnTheClipboard() {
        OpenExample();
        QApplication::clipboard()->clear();
        QTest::mouseClick(Button(1012), Qt::LeftButton);

        QCOMPARE(List()->count(), 256);
        QCOMPARE(List()->item(0)->text(), QStringLiteral("   0     2"));
        QCOMPARE(List()->item(255)->text(), QStringLiteral("  -1     1"));
        const QString text = QApplication::clipboard()->text();
        QVERIFY(!text.contains(QChar(0)));
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        const QStringList lines = Lines(text);
        QCOMPARE(lines.size(), 256);
        QCOMPARE(lines.first(), QStringLiteral("item   0:    0     2"));
        QCOMPARE(lines[128], QStringLiteral("item 128:  -128     0"));
        QCOMPARE(lines.last(), QStringLiteral("item 255:   -1     1"));

        QTest::mouseClick(Button(1012), Qt::LeftButton);
        QCOMPARE(List()->count(), 512);
        const QStringList twice = Lines(QApplication::clipboard()->text());
        QCOMPARE(twice.size(), 512);
        QCOMPARE(twice[256], QStringLiteral("item 256:    0     2"));
        QCOMPARE(twice.last(), QStringLiteral("item 511:   -1     1"));
    }

    void copyStatsWhenTheClipboardCannotBeHadListsTheHistogramAndLeavesTheClipboard() {
        OpenExample();
        QApplication::clipboard()->setText(QStringLiteral("someone else's text"));
        m_dlg->SetClipboardSource([] { return nullptr; });
        QTest::mouseClick(Button(1012), Qt::LeftButton);

        QCOMPARE(List()->count(), 256);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("someone else's text"));
    }

    void okWithANonNumberComplainsAndStays_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("complaint");
        QTest::addColumn<float>("avgDeviation");
        // The faulty field keeps its value; fields before it are read back from their text.
        QTest::newRow("float") << 1005 << "0.7x"
                               << "Please enter a number." << 0.70710677f;
        QTest::newRow("integer") << 1007 << "1.5"
                                 << "Please enter an integer." << 0.707107f;
    }

    void okWithANonNumberComplainsAndStays() {
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(QString, complaint);
        QFETCH(float, avgDeviation);
        OpenExample();
        Edit(id)->setText(typed);
        MessageBoxWatcher watcher;
        QTest::mouseClick(Button(1), Qt::LeftButton);

        QCOMPARE(watcher.Texts(), QStringList{complaint});
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_dlg->m_avgDeviation, avgDeviation);
        QCOMPARE(m_dlg->focusWidget(), Edit(id));
    }

    void okReadsTheFieldsBackAndHides() {
        OpenExample();
        Edit(1006)->setText(QStringLiteral(" 12 "));
        Edit(1015)->setText(QStringLiteral("scans"));
        QTest::mouseClick(Button(1), Qt::LeftButton);

        QVERIFY(!m_dlg->isVisible());
        QVERIFY(m_dlg->HasWindow());
        QCOMPARE(m_dlg->m_maxSwing, 12);
        QCOMPARE(m_dlg->m_numScans, std::string("scans"));
    }

    void fieldsTakeTypedDigitsOnly() {
        OpenExample();
        Edit(1006)->clear();
        QTest::keyClicks(Edit(1006), QStringLiteral("a1-b2."));
        QCOMPARE(Edit(1006)->text(), QStringLiteral("12"));
    }

    void cancelAndTheCloseBoxHide() {
        OpenExample();
        QTest::mouseClick(Button(2), Qt::LeftButton);
        QVERIFY(!m_dlg->isVisible());
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_dlg->close();
        QVERIFY(!m_dlg->isVisible());
        QVERIFY(m_dlg->HasWindow());
    }

    void noteSystemButtonsSetTheStripLengthOnly() {
        OpenExample();
        const std::pair<int, int> buttons[] = {{3, 127}, {6, 78}, {7, 93}, {8, 66}};
        for (const auto& [id, stripLength] : buttons) {
            QTest::mouseClick(Button(id), Qt::LeftButton);
            QCOMPARE(int(m_view->m_stripLength), stripLength);
            QCOMPARE(Edit(1006)->text(), QStringLiteral("2"));
        }
        QTest::mouseClick(Button(1004), Qt::LeftButton);
        QCOMPARE(int(m_view->m_stripLength), 66);
        QCOMPARE(List()->count(), 0);
        QVERIFY(m_dlg->isVisible());
    }

    void aNewWindowStartsWithAnEmptyList() {
        OpenExample();
        QTest::mouseClick(Button(1012), Qt::LeftButton);
        m_dlg->DestroyWindow();
        QVERIFY(!m_dlg->HasWindow());
        m_dlg->ShowStatistics();
        QCOMPARE(List()->count(), 0);
        QCOMPARE(Edit(1015)->text(), QStringLiteral("  4"));
        QTest::mouseClick(Button(1012), Qt::LeftButton);
        QCOMPARE(Lines(QApplication::clipboard()->text()).size(), 256);
    }

    void stripStatisticsCommandOpensAFreshMonitorEveryTime() {
        m_dlg.reset();
        FrameFixture fixture;
        CWinTesselTestView& view = fixture.View();
        ReceiveOneSensorScans(view, {10, 11, 9, 10});
        QAction* command = fixture.frame->CommandAction(CommandId::StripStatistics);
        command->trigger();

        auto* dlg = view.findChild<CStripStatsDlg*>();
        QVERIFY(dlg != nullptr);
        QCOMPARE(static_cast<StripStatsMonitor*>(dlg), view.m_pStatsDlg);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Tessel Strip Statistic Monitor"));
        const auto field = [dlg](int id) {
            return qobject_cast<QLineEdit*>(dlg->GetDlgItem(id))->text();
        };
        QCOMPARE(field(1015), QStringLiteral("  4"));
        QTest::mouseClick(qobject_cast<QPushButton*>(dlg->GetDlgItem(1012)), Qt::LeftButton);
        QTest::mouseClick(qobject_cast<QPushButton*>(dlg->GetDlgItem(2)), Qt::LeftButton);
        QVERIFY(!dlg->isVisible());

        ReceiveOneSensorScans(view, {10});
        command->trigger();
        QVERIFY(dlg->isVisible());
        QCOMPARE(field(1015), QStringLiteral("  5"));
        QCOMPARE(qobject_cast<QListWidget*>(dlg->GetDlgItem(1011))->count(), 0);
    }
};

QTEST_MAIN(StripStatsDlgTest)
#include "StripStatsDlgTest.moc"
