#include "ExampleTexts.h"
#include "FrameFixture.h"
#include "ProcessStateGuard.h"
#include "gui/CommandIds.h"

#include "ScriptedMidiServices.h"
#include "ports/MidiPortLayer.h"
#include <QAction>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A folder whose file system has no room left, or, where mounting is not allowed, a
// read-only folder: either way a save into it must fail.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString& path) : m_path(path) {
        QDir().mkpath(path);
        if (geteuid() == 0 &&
            QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", path}) == 0) {
            m_mounted = true;
        }
    }
    // Writes the old file, then takes away the room for anything else.
    void Seal(const QString& oldFile, const QByteArray& bytes) {
        WriteAll(oldFile, bytes);
        if (m_mounted) {
            QFile filler(m_path + "/filler");
            if (filler.open(QIODevice::WriteOnly)) {
                const QByteArray block(1024, 'f');
                while (filler.write(block) == block.size() && filler.flush()) {
                }
            }
        } else {
            QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
    }
    ~UnwritableFolder() {
        if (m_mounted) {
            QProcess::execute("umount", {m_path});
        } else {
            QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        }
    }

private:
    QString m_path;
    bool m_mounted = false;
};

// Answers the question box that the next step brings up, noting its text; a box that
// does not come leaves a note that fails the comparison.
void AnswerNextQuestion(QMessageBox::StandardButton answer, QStringList* questions) {
    QTimer::singleShot(0, [answer, questions] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            questions->append(QStringLiteral("(no question)"));
            return;
        }
        questions->append(box->text());
        box->button(answer)->click();
    });
}

} // namespace

class DocumentTest : public QObject {
    Q_OBJECT
private slots:
    void saveWithoutScansWritesThe267ByteInstructions() {
        FrameFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("report.wtt");
        QString error;
        QVERIFY(f.frame->SaveDocumentAs(path, &error));
        const QByteArray bytes = ReadAll(path);
        QCOMPARE(bytes.size(), 267);
        QCOMPARE(bytes.left(3), QByteArray("\xFF\x08\x01", 3));
        QCOMPARE(bytes.mid(3), QByteArray::fromStdString(kNoScanReport));
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("report.wtt - WinTesselTest"));
        QCOMPARE(f.profile.RecentFiles().value(0), QFileInfo(path).absoluteFilePath());
    }

    void ctrlSOntoAnOpenedFileAsksBeforeItReplacesItOnce() {
        FrameFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("anything.bin");
        const QByteArray old(5000, 'q');
        WriteAll(path, old);
        QString error;
        QVERIFY(f.frame->OpenDocumentFile(path, &error));

        QStringList questions;
        AnswerNextQuestion(QMessageBox::No, &questions);
        QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(questions, QStringList({path + " already exists.\nDo you want to replace it?"}));
        QCOMPARE(ReadAll(path), old);
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("anything.bin - WinTesselTest"));

        // The box took the activation; accelerators reach only the active window.
        f.frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
        AnswerNextQuestion(QMessageBox::Yes, &questions);
        QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(questions.size(), 2);
        QCOMPARE(ReadAll(path).size(), 267);

        // Now the file is this run's own report: Save replaces it without a word.
        const QDateTime firstSave = QFileInfo(path).lastModified();
        f.frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
        AnswerNextQuestion(QMessageBox::No, &questions);
        QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(questions.size(), 3);
        QCOMPARE(questions.last(), QStringLiteral("(no question)"));
        QCOMPARE(ReadAll(path).size(), 267);
        QVERIFY(QFileInfo(path).lastModified() >= firstSave);
    }

    void saveOntoAFileThisRunWroteOrOntoANewNameAsksNothing() {
        FrameFixture f;
        QTemporaryDir dir;
        const QString written = dir.filePath("written.wtt");
        QString error;
        QVERIFY(f.frame->SaveDocumentAs(written, &error));
        QStringList questions;
        AnswerNextQuestion(QMessageBox::No, &questions);
        QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(questions, QStringList({QStringLiteral("(no question)")}));

        // A name opened while no file has it: the file Save makes is a new one.
        const QString vanished = dir.filePath("vanished.wtt");
        WriteAll(vanished, "x");
        QVERIFY(f.frame->OpenDocumentFile(vanished, &error));
        QVERIFY(QFile::remove(vanished));
        QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadAll(vanished).size(), 267);
    }

    void openReadsNothingAndOnlyTakesTheName() {
        FrameFixture f;
        f.View().m_scanCount = 7;
        f.View().m_values[3] = 99;
        QTemporaryDir dir;
        const QString path = dir.filePath("old-report.wtt");
        WriteAll(path, QByteArray("\xFF\x08\x01 anything at all", 20));
        QString error;
        QVERIFY(f.frame->OpenDocumentFile(path, &error));
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("old-report.wtt - WinTesselTest"));
        QCOMPARE(f.View().m_scanCount, 7);
        QCOMPARE(f.View().m_values[3], uint8_t{99});
        QCOMPARE(MessageLog.LogCount, 6);
        QCOMPARE(ReadAll(path).size(), 20);
        QCOMPARE(f.profile.RecentFiles().size(), 1);
    }

    void newAndOpenLeaveStateLogAndOpenPortsAlone() {
        ScriptedMidiServices devices({"In A"}, {"Out A"});
        const ProcessStateGuard state(&devices);
        {
            FrameFixture f;
            f.View().m_pInPortDlg->m_nDevice = 0;
            f.View().OpenMidiIn();
            f.View().m_pOutPortDlg->m_nDevice = 0;
            f.View().OpenMidiOut();
            QVERIFY(devices.InputOpen());
            const int logged = MessageLog.LogCount;
            QTemporaryDir dir;
            const QString path = dir.filePath("x.wtt");
            WriteAll(path, "x");
            QString error;
            QVERIFY(f.frame->OpenDocumentFile(path, &error));
            f.View().m_scanCount = 3;
            QTest::keyClick(f.frame.get(), Qt::Key_N, Qt::ControlModifier);
            QCOMPARE(f.frame->windowTitle(), QStringLiteral("Untitled - WinTesselTest"));
            QCOMPARE(f.View().m_scanCount, 3);
            QCOMPARE(MessageLog.LogCount, logged);
            QCOMPARE(f.View().m_bInOpen, 1);
            QCOMPARE(f.View().m_bOutOpen, 1);
            QVERIFY(devices.InputOpen());
        }
    }

    void saveAsStartsInTheDocumentsFolderWithItsName() {
        FrameFixture f;
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).absoluteFilePath("bench-17.wtt");
        WriteAll(path, "x");
        QString error;
        QVERIFY(f.frame->OpenDocumentFile(path, &error));
        QString folder;
        QStringList chosen;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            folder = dialog->directory().absolutePath();
            chosen = dialog->selectedFiles();
            dialog->reject();
        });
        QVERIFY(!f.frame->OnFileSaveAs());
        QCOMPARE(folder, QDir(dir.path()).absolutePath());
        QCOMPARE(chosen, QStringList({path}));
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("bench-17.wtt - WinTesselTest"));
    }

    void theFileDialogsOfferAllFilesStarDotStarAndListNamesWithoutADotToo() {
        FrameFixture f;
        QTemporaryDir dir;
        const QString plain = QDir(dir.path()).absoluteFilePath("bench-17");
        const QString dotted = QDir(dir.path()).absoluteFilePath("bench-18.wtt");
        WriteAll(plain, "x");
        WriteAll(dotted, "x");
        QString error;
        QVERIFY(f.frame->OpenDocumentFile(dotted, &error));
        QStringList filters;
        bool plainListed = false;
        bool dottedListed = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            filters = dialog->nameFilters();
            // The folder is read on a thread of the model's, its names come in a while.
            if (auto* model = dialog->findChild<QFileSystemModel*>()) {
                const QModelIndex folder = model->index(dir.path());
                const auto listed = [&](const QString& name) {
                    for (int row = 0; row < model->rowCount(folder); ++row) {
                        if (model->index(row, 0, folder).data().toString() == name) {
                            return true;
                        }
                    }
                    return false;
                };
                plainListed = QTest::qWaitFor([&] { return listed("bench-17"); }, 3000);
                dottedListed = QTest::qWaitFor([&] { return listed("bench-18.wtt"); }, 3000);
            }
            dialog->reject();
        });
        QVERIFY(!f.frame->OnFileSaveAs());
        QCOMPARE(filters, QStringList({QStringLiteral("All Files (*.*)")}));
        QVERIFY(dottedListed);
        QVERIFY(plainListed);
    }

    void openingAMissingFileFailsAndKeepsTheName() {
        FrameFixture f;
        QString error;
        QVERIFY(!f.frame->OpenDocumentFile("/nonexistent/dir/report.wtt", &error));
        QVERIFY(error.contains("/nonexistent/dir/report.wtt"));
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("Untitled - WinTesselTest"));
    }

    void failedSaveReportsAndLeavesTheOldFileIntact() {
        FrameFixture f;
        QTemporaryDir dir;
        const QString folder = dir.filePath("full");
        const QString path = folder + "/report.wtt";
        const QByteArray old(3000, 'o');
        {
            UnwritableFolder unwritable(folder);
            unwritable.Seal(path, old);
            QString error;
            QVERIFY(!f.frame->SaveDocumentAs(path, &error));
            QVERIFY2(error.contains(path), qPrintable(error));
            QCOMPARE(ReadAll(path), old);
            QCOMPARE(f.frame->windowTitle(), QStringLiteral("Untitled - WinTesselTest"));
            QVERIFY(f.profile.RecentFiles().isEmpty());
        }
    }

    void recentFileListKeepsFourNewestFirst() {
        FrameFixture f;
        QTemporaryDir dir;
        QString error;
        for (int i = 0; i < 6; ++i) {
            const QString path = dir.filePath(QStringLiteral("f%1").arg(i));
            WriteAll(path, "x");
            QVERIFY(f.frame->OpenDocumentFile(path, &error));
        }
        QCOMPARE(f.profile.RecentFiles().size(), 4);
        QCOMPARE(QFileInfo(f.profile.RecentFiles().first()).fileName(), QStringLiteral("f5"));
        f.profile.Save();
        ProfileSettings reloaded;
        reloaded.Load();
        QCOMPARE(reloaded.RecentFiles(), f.profile.RecentFiles());
    }
};

QTEST_MAIN(DocumentTest)
#include "DocumentTest.moc"
