#include "history/latest_job.h"

namespace ziq::history {

LatestJob::LatestJob() : thread_([this] { loop(); }) {}

LatestJob::~LatestJob() {
    {
        const std::scoped_lock lock(mutex_);
        quit_ = true;
        pending_.reset();
        cancel_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void LatestJob::run(Job job) {
    {
        const std::scoped_lock lock(mutex_);
        pending_ = std::move(job);
        cancel_ = true;
    }
    wake_.notify_all();
}

void LatestJob::stop() {
    std::unique_lock lock(mutex_);
    pending_.reset();
    cancel_ = true;
    wake_.notify_all();
    idle_.wait(lock, [this] { return !busy_; });
}

bool LatestJob::waitUntil(const std::function<bool()>& ready) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return cancel_.load() || ready(); });
    return !cancel_.load();
}

void LatestJob::update(const std::function<void()>& change) {
    {
        const std::scoped_lock lock(mutex_);
        change();
    }
    wake_.notify_all();
}

void LatestJob::loop() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return quit_ || pending_.has_value(); });
        if (quit_) {
            return;
        }
        Job job = std::move(*pending_);
        pending_.reset();
        cancel_ = false;
        busy_ = true;
        lock.unlock();
        job(cancel_);
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

} // namespace ziq::history
