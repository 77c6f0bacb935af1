#include "batch/WorkerPool.h"

#include <QThread>

#include <algorithm>

namespace vardolin::batch {

WorkerPool::WorkerPool(int threads)
{
    const int count = threads > 0 ? threads : defaultThreadCount();
    threads_.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        threads_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void WorkerPool::submit(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

int WorkerPool::defaultThreadCount()
{
    return std::max(1, QThread::idealThreadCount());
}

void WorkerPool::work()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return closing_ || !tasks_.empty(); });
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

} // namespace vardolin::batch
