#pragma once
// A fixed set of worker threads that run submitted tasks in order of
// submission. The destructor finishes the tasks already submitted and joins.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vardolin::batch {

class WorkerPool {
public:
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void submit(std::function<void()> task);

    // The number of threads to use when the caller asks for 0 or fewer:
    // one per core.
    static int defaultThreadCount();

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vardolin::batch
