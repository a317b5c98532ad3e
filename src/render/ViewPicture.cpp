#include "render/ViewPicture.h"

#include "render/SensorChart.h"
#include "render/ViewRendering.h"

#include <QBuffer>
#include <QGuiApplication>

#include <clocale>
#include <memory>

namespace {

QtMessageHandler PreviousHandler = nullptr;

// Qt's complaint about a missing XDG_RUNTIME_DIR, usual on a machine without a
// desktop, says nothing about the picture.
void DropRuntimeDirNotice(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: "))) {
        return;
    }
    PreviousHandler(type, context, message);
}

// Text needs a QGuiApplication for its fonts; it lives only while the picture is made.
class GuiSupport {
public:
    GuiSupport() {
        if (QCoreApplication::instance() != nullptr) {
            return;
        }
        // Always off-screen, whatever QT_QPA_PLATFORM says: a picture needs no display,
        // and a platform that can't start (xcb without one) would abort the program.
        // The command line's -platform wins over the environment.
        PreviousHandler = qInstallMessageHandler(DropRuntimeDirNotice);
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
        // The application has set the C library's locale from the environment; the
        // runner's figures and messages, printed after the picture is made, must read as
        // they do without one.
        std::setlocale(LC_NUMERIC, "C");
    }
    ~GuiSupport() {
        if (m_app) {
            m_app.reset();
            qInstallMessageHandler(PreviousHandler);
        }
    }
    GuiSupport(const GuiSupport&) = delete;
    GuiSupport& operator=(const GuiSupport&) = delete;

private:
    int m_argc = 3;
    char m_name[18] = "wintesseltest-cli";
    char m_platformOption[10] = "-platform";
    char m_platform[10] = "offscreen";
    char* m_argv[4] = {m_name, m_platformOption, m_platform, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

bool EncodePng(const QImage& image, int width, int height, std::string* png, std::string* error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) {
        *error =
            "can't make a " + std::to_string(width) + "x" + std::to_string(height) + " PNG picture";
        return false;
    }
    png->assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

} // namespace

bool RenderViewPng(const ScannerState& state, int width, int height, std::string* png,
                   std::string* error) {
    GuiSupport gui;
    return EncodePng(RenderViewImage(state, QSize(width, height)), width, height, png, error);
}

bool RenderSensorChartPng(const StripStatsWorkArea& stats, const LimitOptions& limits, int width,
                          int height, std::string* png, std::string* error) {
    GuiSupport gui;
    return EncodePng(SensorChart(stats, limits, QSize(width, height)).Image(), width, height, png,
                     error);
}
