#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace ziq::history {

// A thread that runs the newest job it is given: a new job cancels the one running (through
// the flag the job hands on to the scan) and any that still waits.
class LatestJob {
public:
    using Job = std::function<void(const std::atomic<bool>& cancel)>;

    LatestJob();
    ~LatestJob(); // cancels, then waits for the thread to end
    LatestJob(const LatestJob&) = delete;
    LatestJob& operator=(const LatestJob&) = delete;

    void run(Job job);
    // Cancels what runs or waits, and returns once nothing runs.
    void stop();

    // From inside a job: waits until `ready()` holds (asked under the lock `update` takes) or
    // the job is cancelled; false when it was cancelled.
    bool waitUntil(const std::function<bool()>& ready);
    // Changes what the job waits for or hands over, under that lock, and wakes the job.
    void update(const std::function<void()>& change);

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> pending_;
    bool busy_ = false;
    bool quit_ = false;
    std::atomic<bool> cancel_{false};
    std::thread thread_; // last: starts once the rest is ready
};

} // namespace ziq::history
