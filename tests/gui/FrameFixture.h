#pragma once

#include "ProcessStateGuard.h"
#include "gui/MainFrame.h"
#include "gui/ProfileSettings.h"
#include "gui/WinTesselTestDoc.h"
#include "gui/WinTesselTestView.h"

#include <QTest>

#include <memory>

// A document with its frame, created the way start-up creates them.
struct FrameFixture {
    ProfileSettings profile;
    std::unique_ptr<CWinTesselTestDoc> document;
    std::unique_ptr<CMainFrame> frame;

    FrameFixture() {
        // The state a fresh program starts with; the device services stay those the
        // test's own guard installed.
        ProcessStateGuard::Reset();
        document = std::make_unique<CWinTesselTestDoc>();
        frame = std::make_unique<CMainFrame>(*document, profile);
        frame->OnCreate();
        document->OnNewDocument();
        frame->resize(1300, 760);
        frame->show();
        // Accelerators reach only the active window.
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame.get())) {
            qWarning("the frame did not become active");
        }
    }
    ~FrameFixture() {
        frame.reset();
        document.reset();
    }

    CWinTesselTestView& View() const { return *frame->View(); }
};
