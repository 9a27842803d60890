#include "core/parallel.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace ramulet {

namespace {

// One helper thread, started on first use and joined when the program ends. A job moves
// from Pending to Running when the helper takes it, or to Stolen when the caller, done with
// its own half first, takes it back; only Running jobs are waited for.
class Helper {
public:
    ~Helper()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    void RunJobs(int count, const std::function<void(int)> &job)
    {
        if (count <= 1 || !m_enabled.load(std::memory_order_relaxed) ||
            m_inUse.exchange(true, std::memory_order_acquire)) {
            for (int i = 0; i < count; ++i) {
                job(i);
            }
            return;
        }
        std::atomic<int> next{0};
        const std::function<void()> work = [&] {
            for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
                job(i);
            }
        };
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_thread.joinable()) {
                m_thread = std::thread([this] { Loop(); });
            }
            m_job = &work;
            m_state = State::Pending;
            m_jobs.fetch_add(1, std::memory_order_release);
        }
        m_wake.notify_one();
        work();
        {
            // All jobs are taken; wait for the one the helper may still be on, unless it
            // never started.
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_state == State::Pending) {
                m_state = State::Stolen;
            } else if (m_state != State::Done) {
                // The helper's last job ends soon: wait awake for a moment, so that this
                // thread goes on at once rather than when the scheduler wakes it again.
                lock.unlock();
                const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(5);
                while (!m_finished.load(std::memory_order_acquire) &&
                       std::chrono::steady_clock::now() < until) {
                    std::this_thread::yield();
                }
                lock.lock();
                m_done.wait(lock, [this] { return m_state == State::Done; });
            }
            m_state = State::Idle;
            m_job = nullptr;
        }
        m_inUse.store(false, std::memory_order_release);
    }

    bool SetEnabled(bool enabled) { return m_enabled.exchange(enabled); }
    bool Enabled() const { return m_enabled.load(); }

private:
    enum class State { Idle, Pending, Running, Stolen, Done };

    void Loop()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_state == State::Pending; });
            if (m_stop) {
                return;
            }
            m_state = State::Running;
            m_finished.store(false, std::memory_order_relaxed);
            const std::function<void()> *job = m_job;
            lock.unlock();
            (*job)();
            lock.lock();
            m_state = State::Done;
            m_finished.store(true, std::memory_order_release);
            m_done.notify_one();
            // The steps of one drawing (growth, record, scan conversion) follow each other
            // within microseconds: stay awake a little for the next, which then starts at
            // once instead of after the scheduler has woken this thread again.
            const uint64_t seen = m_jobs.load(std::memory_order_relaxed);
            lock.unlock();
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(500);
            while (m_jobs.load(std::memory_order_acquire) == seen &&
                   std::chrono::steady_clock::now() < until) {
                std::this_thread::yield();
            }
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::thread m_thread;
    State m_state = State::Idle;
    const std::function<void()> *m_job = nullptr;
    bool m_stop = false;
    std::atomic<bool> m_inUse{false};
    std::atomic<uint64_t> m_jobs{0}; // jobs posted so far
    std::atomic<bool> m_finished{false}; // the helper is done with the job it took
    std::atomic<bool> m_enabled{std::thread::hardware_concurrency() > 1};
};

Helper &TheHelper()
{
    static Helper helper;
    return helper;
}

} // namespace

void RunBoth(const std::function<void()> &first, const std::function<void()> &second)
{
    TheHelper().RunJobs(2, [&](int i) { (i == 0 ? first : second)(); });
}

void RunJobs(int count, const std::function<void(int)> &job) { TheHelper().RunJobs(count, job); }

bool SetHelperThreadEnabled(bool enabled) { return TheHelper().SetEnabled(enabled); }

bool HelperThreadEnabled() { return TheHelper().Enabled(); }

} // namespace ramulet
