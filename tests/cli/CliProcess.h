#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

// One run of the real wintesseltest-cli: what it printed and how it ended.
struct CliRun {
    int status = -1; // -1 when it did not exit normally
    int signal = 0;  // the signal that ended it, if one did
    std::string out;
    std::string err;
};

struct CliEnvironment {
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> unset;
    std::string stdinPath;            // standard input from this file or FIFO; else none
    std::string stdoutPath;           // standard output into this file or device; else captured
    bool stdoutAppend = false;        // `>> stdoutPath` rather than `> stdoutPath`
    bool stdoutClosed = false;        // a reader that has gone away: the pipe's end is closed
    bool stdoutClosedAtStart = false; // `>&-`: the program starts without descriptor 1
    rlim_t openFiles = 0;             // `ulimit -n`, when not 0
    // The runner, or another of the project's programs (QZ4SIM_PATH).
    std::string program = WT_CLI_PROGRAM;
};

// Starts the program with `args`, from `directory` when not empty, its standard output
// and error on `out` and `err` (unless `environment` says else). Without a display, as
// on a test bench: DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are unset unless
// `environment` sets them. Whatever MIDI system the machine has stays out of it: the
// program is sent to a JACK server that does not run, unless `environment` says else.
// `parentOnly` are the caller's ends, closed in the program.
inline pid_t StartCli(const std::vector<std::string>& args, const CliEnvironment& environment,
                      const std::string& directory, int out, int err,
                      const std::vector<int>& parentOnly) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        unsetenv(name);
    }
    setenv("WINTESSELTEST_MIDI_API", "jack", 1);
    setenv("JACK_DEFAULT_SERVER", "wt-cli-test-no-server", 1);
    for (const std::string& name : environment.unset) {
        unsetenv(name.c_str());
    }
    for (const auto& [name, value] : environment.set) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    if (!directory.empty() && chdir(directory.c_str()) != 0) {
        _exit(127);
    }
    const int in = environment.stdinPath.empty() ? open("/dev/null", O_RDONLY)
                                                 : open(environment.stdinPath.c_str(), O_RDONLY);
    dup2(in, STDIN_FILENO);
    if (!environment.stdoutPath.empty()) {
        const int redirected = open(environment.stdoutPath.c_str(),
                                    O_WRONLY | (environment.stdoutAppend ? O_APPEND : 0));
        dup2(redirected, STDOUT_FILENO);
    } else {
        dup2(out, STDOUT_FILENO);
    }
    dup2(err, STDERR_FILENO);
    for (const int descriptor : parentOnly) {
        close(descriptor);
    }
    close(out);
    close(err);
    if (environment.stdoutClosedAtStart) {
        close(STDOUT_FILENO);
    }
    if (environment.openFiles != 0) {
        const rlimit limit{environment.openFiles, environment.openFiles};
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    std::vector<std::string> all{environment.program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    execv(environment.program.c_str(), argv.data());
    _exit(127);
}

// Reads the program's standard output and error (either may be -1: not read) into
// `run` until `done` says so after a read, or both are at their end. False when
// neither delivered anything for a minute: a safety net, not a pause.
template <typename Done> bool ReadCli(int fds[2], CliRun* run, Done done) {
    std::string* sinks[2] = {&run->out, &run->err};
    for (;;) {
        pollfd polled[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        if (fds[0] < 0 && fds[1] < 0) {
            return true;
        }
        if (poll(polled, 2, 60000) <= 0) {
            return false;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || polled[i].revents == 0) {
                continue;
            }
            char buffer[65536];
            const ssize_t n = read(fds[i], buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i]); // the end, or EIO from a terminal whose program is gone
                fds[i] = -1;
            }
        }
        if (done()) {
            return true;
        }
    }
}

inline void WaitForCli(pid_t pid, CliRun* run) {
    int status = 0;
    waitpid(pid, &status, 0);
    run->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Runs the program with `args` to its end; see StartCli.
inline CliRun RunCli(const std::vector<std::string>& args, const CliEnvironment& environment = {},
                     const std::string& directory = {}) {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        return {};
    }
    const pid_t pid = StartCli(args, environment, directory, out[1], err[1], {out[0], err[0]});
    close(out[1]);
    close(err[1]);
    if (environment.stdoutClosed) {
        close(out[0]);
        out[0] = -1;
    }
    CliRun run;
    int fds[2] = {out[0], err[0]};
    ReadCli(fds, &run, [] { return false; });
    WaitForCli(pid, &run);
    return run;
}

// The program running, watched as it goes: its standard output through a pipe, its
// standard error through a pipe or, as a person at a terminal has it, a terminal.
class LiveCli {
public:
    explicit LiveCli(const std::vector<std::string>& args, bool errorOnTerminal = false,
                     const CliEnvironment& environment = {}) {
        int out[2] = {-1, -1};
        int err[2] = {-1, -1};
        if (pipe(out) != 0) {
            return;
        }
        if (errorOnTerminal) {
            err[0] = posix_openpt(O_RDWR | O_NOCTTY);
            if (err[0] < 0 || grantpt(err[0]) != 0 || unlockpt(err[0]) != 0) {
                return;
            }
            err[1] = open(ptsname(err[0]), O_RDWR | O_NOCTTY);
        } else if (pipe(err) != 0) {
            return;
        }
        m_pid = StartCli(args, environment, {}, out[1], err[1], {out[0], err[0]});
        close(out[1]);
        close(err[1]);
        m_fds[0] = out[0];
        m_fds[1] = err[0];
    }
    ~LiveCli() {
        if (m_pid > 0 && !m_finished) {
            kill(m_pid, SIGKILL);
            Finish();
        }
    }
    LiveCli(const LiveCli&) = delete;
    LiveCli& operator=(const LiveCli&) = delete;

    // Reads until `text` has appeared on standard output (or standard error), or
    // until `seen` says so of what came so far.
    bool WaitForOutput(const std::string& text) { return WaitFor(m_run.out, text); }
    bool WaitForError(const std::string& text) { return WaitFor(m_run.err, text); }
    template <typename Seen> bool WaitUntil(Seen seen) {
        return ReadCli(m_fds, &m_run, [&] { return seen(m_run); }) && seen(m_run);
    }
    const CliRun& SoFar() const { return m_run; }
    pid_t Pid() const { return m_pid; }
    // Whether it has ended, leaving it to Finish to collect.
    bool Exited() const {
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
               info.si_pid != 0;
    }
    void Signal(int signal) const { kill(m_pid, signal); }

    CliRun Finish() {
        ReadCli(m_fds, &m_run, [] { return false; });
        WaitForCli(m_pid, &m_run);
        m_finished = true;
        return m_run;
    }

private:
    bool WaitFor(const std::string& stream, const std::string& text) {
        return ReadCli(m_fds, &m_run, [&] { return stream.find(text) != std::string::npos; }) &&
               stream.find(text) != std::string::npos;
    }

    pid_t m_pid = -1;
    int m_fds[2] = {-1, -1};
    CliRun m_run;
    bool m_finished = false;
};

// A directory of its own for a test's files, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "wt-cli-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    std::string Path() const { return m_path.string(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The lines of a text, without their line feeds.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}
