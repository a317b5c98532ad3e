#pragma once

#include <chrono>

// How far a scan has come, on standard error, on one line that it rewrites; only when
// standard error is a terminal, never into a pipe or a file.
class ScanProgress {
public:
    explicit ScanProgress(int ticks);
    ~ScanProgress();
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    void Show(int ticksDone);
    // Takes the line away, so that other text starts on a clean line.
    void Hide();

private:
    int m_ticks = 0;
    bool m_terminal = false;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_lastShown;
};
