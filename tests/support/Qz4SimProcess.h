#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "WaitUntil.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

// A qz4sim run by a test: started on JACK with its own name, ready once it has said so
// on its standard output, stopped with SIGTERM.
class Qz4SimProcess {
public:
    explicit Qz4SimProcess(const std::string& name) {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> arguments{QZ4SIM_PATH, "--api", "jack", "--name", name};
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, QZ4SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        // Its first line says that its ports exist.
        char line[256];
        FILE* stream = fdopen(out[0], "r");
        if (m_pid > 0 && stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr) {
            m_firstLine = line;
        }
        m_ready = m_firstLine.find("ready") != std::string::npos;
        if (stream != nullptr) {
            std::fclose(stream);
        }
    }
    ~Qz4SimProcess() { Stop(); }
    Qz4SimProcess(const Qz4SimProcess&) = delete;
    Qz4SimProcess& operator=(const Qz4SimProcess&) = delete;

    bool Ready() const { return m_ready; }
    const std::string& FirstLine() const { return m_firstLine; }

    // The exit status once it has ended by itself, waiting at most `bound`; -1 when it
    // did not exit normally, -2 when it still runs.
    int WaitForExit(std::chrono::milliseconds bound) {
        const auto exited = [this] {
            int status = 0;
            if (m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            return m_pid <= 0;
        };
        return WaitUntil(exited, bound, std::chrono::milliseconds(1)) ? m_status : -2;
    }

    // Returns the exit status, or -1 when it did not exit normally. SIGKILL ends it as
    // if it crashed or its device was unplugged.
    int Stop(int signal = SIGTERM) {
        if (m_pid <= 0) {
            return m_status;
        }
        kill(m_pid, signal);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
    std::string m_firstLine;
    int m_status = -1;
};
