#include "cli/ScanProgress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

void WriteError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// Back to the start of the line, and everything after the cursor cleared.
constexpr char kRewind[] = "\r\x1b[K";

} // namespace

ScanProgress::ScanProgress(int ticks) : m_ticks(ticks), m_terminal(isatty(STDERR_FILENO) == 1) {}

ScanProgress::~ScanProgress() {
    Hide();
}

void ScanProgress::Show(int ticksDone) {
    if (!m_terminal) {
        return;
    }
    // A fast poll would otherwise keep the terminal busy rewriting one line.
    const auto now = std::chrono::steady_clock::now();
    if (m_shown && ticksDone != m_ticks && now - m_lastShown < std::chrono::milliseconds(100)) {
        return;
    }
    m_lastShown = now;
    WriteError(std::string(kRewind) + "wintesseltest-cli: scan: " + std::to_string(ticksDone) +
               " of " + std::to_string(m_ticks) + " ticks");
    m_shown = true;
}

void ScanProgress::Hide() {
    if (m_shown) {
        WriteError(kRewind);
        m_shown = false;
    }
}
