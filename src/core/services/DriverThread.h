#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A thread of a device backend that plays the driver: it runs jobs one at a time, each
// at its due time, and jobs due at the same time in the order they were posted. The
// input callbacks a backend makes from here are never made from the window thread and
// never from two threads at once.
class DriverThread {
public:
    using Clock = std::chrono::steady_clock;

    DriverThread();
    // Drops the jobs not yet due and joins the thread.
    ~DriverThread();
    DriverThread(const DriverThread&) = delete;
    DriverThread& operator=(const DriverThread&) = delete;

    void Post(Clock::duration delay, std::function<void()> job);
    // Runs the job after the jobs already due and returns when it has run. From the
    // thread itself, runs it at once.
    void RunAndWait(std::function<void()> job);
    bool IsCurrentThread() const;

private:
    struct Job {
        Clock::time_point due;
        uint64_t order;
        std::function<void()> run;
    };
    static bool Later(const Job& a, const Job& b);
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_ran;
    std::vector<Job> m_jobs; // a heap, earliest first
    uint64_t m_posted = 0;
    bool m_stopping = false;
    std::thread m_thread;
};
