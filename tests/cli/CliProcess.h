#pragma once

#include <fcntl.h>
#include <poll.h>
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
    std::string stdinPath;     // standard input from this file or FIFO; else none
    std::string stdoutPath;    // standard output into this file or device; else captured
    bool stdoutClosed = false; // a reader that has gone away: the pipe's end is closed
    // The runner, or another of the project's programs (QZ4SIM_PATH).
    std::string program = WT_CLI_PROGRAM;
};

// Runs the program with `args`, from `directory` when not empty. Without a display,
// as on a test bench: DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are unset unless
// `environment` sets them. Whatever MIDI system the machine has stays out of it: the
// program is sent to a JACK server that does not run, unless `environment` says else.
inline CliRun RunCli(const std::vector<std::string>& args, const CliEnvironment& environment = {},
                     const std::string& directory = {}) {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
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
        const int in = environment.stdinPath.empty()
                           ? open("/dev/null", O_RDONLY)
                           : open(environment.stdinPath.c_str(), O_RDONLY);
        dup2(in, STDIN_FILENO);
        if (!environment.stdoutPath.empty()) {
            const int redirected = open(environment.stdoutPath.c_str(), O_WRONLY);
            dup2(redirected, STDOUT_FILENO);
        } else {
            dup2(out[1], STDOUT_FILENO);
        }
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        close(out[1]);
        close(err[1]);
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
    close(out[1]);
    close(err[1]);
    if (environment.stdoutClosed) {
        close(out[0]);
        out[0] = -1;
    }
    CliRun run;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int openPipes = out[0] < 0 ? 1 : 2;
    while (openPipes > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --openPipes;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return run;
}

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
