// The window program's start as main() makes it, up to the end of the view's first
// paint; then it prints how long that took and ends. bench/startup.sh runs it.
// WT_STARTED_US (microseconds of the realtime clock, set just before the program is
// started) makes the figure include loading the program and its libraries.

#include "gui/WinTesselTestApp.h"
#include "gui/WinTesselTestView.h"

#include <QEvent>
#include <QMetaObject>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

int64_t NowMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

class FirstPaint : public QObject {
public:
    FirstPaint(int64_t started, int64_t mainEntered)
        : m_started(started), m_mainEntered(mainEntered) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint &&
            qobject_cast<CWinTesselTestView*>(watched) != nullptr) {
            m_seen = true;
            // Runs once the paint event has been handled.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    std::printf("main %lld us, first paint %lld us\n",
                                static_cast<long long>(m_mainEntered - m_started),
                                static_cast<long long>(NowMicroseconds() - m_started));
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    int64_t m_started;
    int64_t m_mainEntered;
    bool m_seen = false;
};

} // namespace

int main(int argc, char** argv) {
    const int64_t mainEntered = NowMicroseconds();
    const char* started = std::getenv("WT_STARTED_US");
    const int64_t start = started != nullptr ? std::atoll(started) : mainEntered;

    CWinTesselTestApp::PreparePlatform(argc, argv);
    CWinTesselTestApp app(argc, argv);
    FirstPaint watch(start, mainEntered);
    app.installEventFilter(&watch);
    if (!app.InitInstance()) {
        return app.ExitStatus();
    }
    return CWinTesselTestApp::exec();
}
