#pragma once

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "WaitUntil.h"

#include <chrono>
#include <cstdlib>
#include <string>

// A JACK server run by a test that needs to take it away: started with the dummy
// driver under its own name (no sound card, no realtime rights), killed like a crash,
// and started again under the same name. The name is put in JACK_DEFAULT_SERVER.
class JackServerProcess {
public:
    explicit JackServerProcess(std::string name) : m_name(std::move(name)) {
        setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        Start();
    }
    ~JackServerProcess() { Kill(SIGTERM); }
    JackServerProcess(const JackServerProcess&) = delete;
    JackServerProcess& operator=(const JackServerProcess&) = delete;

    // Starts the server and waits until clients can reach it; false when it did not come.
    bool Start() {
        Kill(SIGTERM);
        m_pid = fork();
        if (m_pid == 0) {
            // A test that crashes takes its server with it.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            // -p 16 before -d keeps the server's shared memory small.
            execlp("jackd", "jackd", "--no-realtime", "-n", m_name.c_str(), "-p", "16", "-d",
                   "dummy", "-r", "48000", "-p", "256", static_cast<char*>(nullptr));
            _exit(127);
        }
        m_running = m_pid > 0 && WaitUntilReachable();
        return m_running;
    }

    // Ends the server with `signal` (SIGKILL: as if it crashed) and reaps it.
    void Kill(int signal = SIGKILL) {
        if (m_pid <= 0) {
            return;
        }
        kill(m_pid, signal);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        m_running = false;
    }

    bool Running() const { return m_running; }
    const std::string& Name() const { return m_name; }

private:
    bool WaitUntilReachable() {
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
        const auto reachableOrGone = [this] {
            jack_status_t status{};
            if (jack_client_t* client =
                    jack_client_open("wt-test-probe", JackNoStartServer, &status)) {
                jack_client_close(client);
                return true;
            }
            int exited = 0;
            if (waitpid(m_pid, &exited, WNOHANG) == m_pid) {
                m_pid = -1;
            }
            return m_pid <= 0;
        };
        // A probe is a whole client's opening, so not too often.
        return WaitUntil(reachableOrGone, std::chrono::seconds(10),
                         std::chrono::milliseconds(50)) &&
               m_pid > 0;
    }

    std::string m_name;
    pid_t m_pid = -1;
    bool m_running = false;
};
