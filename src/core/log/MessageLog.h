#pragma once

#include <cstdarg>
#include <cstdint>

// The program's running text journal: a fixed table of lines that the view's
// construction, the MIDI port layer and the SysEx decoder append to, and whose
// newest seven lines the view paints. Window thread only.
class MessageLogTable {
public:
    static constexpr int kLines = 512;
    static constexpr int kLineBytes = 512;
    // An entry is a line's number masked with kLines - 1.
    static_assert((kLines & (kLines - 1)) == 0, "kLines must be a power of two");

    // Told of every line as soon as it is complete: a line at once, a two-piece line
    // once its second piece is written. A first piece that never gets its second is
    // told when the next line starts, when the log is cleared, or on FlushObserver.
    class LineObserver {
    public:
        virtual ~LineObserver() = default;
        virtual void OnLineCompleted(const char* text) = 0;
    };

    char LogLines[kLines][kLineBytes] = {};
    int32_t LogCount = 0;

    // printf-style; the result is cut to 511 characters.
    void Append(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Copies the text unchanged (a percent sign is an ordinary character).
    void AppendText(const char* text);
    // As Append, for a line whose second piece AppendToLast writes next.
    void AppendFirstPiece(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Writes the text behind the end of the newest line, so both form one line.
    void AppendToLast(const char* text);
    void Clear();

    // The text of line n, for LogCount - kLines <= n < LogCount. Past 512 lines the
    // table wraps: line n lives in entry n modulo 512.
    const char* Line(int32_t n) const { return LogLines[n & (kLines - 1)]; }

    void SetObserver(LineObserver* observer);
    void FlushObserver();

private:
    char* BeginLine();
    void AppendFormatted(bool complete, const char* format, va_list args);
    void NotifyNewest();

    LineObserver* m_observer = nullptr;
    int32_t m_reported = 0; // lines up to here have been reported to the observer
};

// The one Message log of the process, zero at start.
extern MessageLogTable MessageLog;
