#include "platform/user/second_core.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// The helper waits for one job at a time; it lives as long as the program.
class SecondCore {
public:
    SecondCore() {
        if (std::thread::hardware_concurrency() < 2) return;
        try {
            thread_ = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
        }
    }
    ~SecondCore() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    bool Running() const { return thread_.joinable(); }

    void Run(const std::function<void()>& here, const std::function<void()>& there) {
        {
            std::lock_guard lock(mutex_);
            job_ = &there;
        }
        wake_.notify_all();
        here();
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return job_ == nullptr; });
    }

private:
    void Serve() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || job_; });
            if (stopping_) return;
            const std::function<void()>* job = job_;
            lock.unlock();
            (*job)();
            lock.lock();
            job_ = nullptr;
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void()>* job_ = nullptr;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace

void RunOnTwoCores(const std::function<void()>& here, const std::function<void()>& there) {
    static SecondCore core;
    // One caller at a time: a job that arrives while the helper is busy runs here.
    static std::mutex busy;
    std::unique_lock claim(busy, std::try_to_lock);
    if (!core.Running() || !claim.owns_lock()) {
        here();
        there();
        return;
    }
    core.Run(here, there);
}
