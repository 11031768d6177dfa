#include "archive/compression_pool.h"

TCompressionPool::TCompressionPool(int threads, int zlibLevel) : level_(zlibLevel) {
    workers_.reserve(static_cast<size_t>(threads));
    for (int i = 0; i < threads; ++i)
        workers_.emplace_back([this] { Work(); });
}

TCompressionPool::~TCompressionPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    jobReady_.notify_all();
    for (auto& t : workers_)
        t.join();
}

void TCompressionPool::Submit(std::vector<TPendingBlock*>& batch) {
    if (batch.empty())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (TPendingBlock* block : batch)
            block->Done = false;
        jobs_.push_back(std::move(batch));
    }
    batch.clear();
    jobReady_.notify_one();
}

void TCompressionPool::Wait(TPendingBlock* block, TBlockCompressor& helper) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!block->Done) {
        if (!jobs_.empty())
            RunFront(lock, helper);
        else
            jobDone_.wait(lock);
    }
}

void TCompressionPool::RunFront(std::unique_lock<std::mutex>& lock, TBlockCompressor& compressor) {
    std::vector<TPendingBlock*> batch = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    for (TPendingBlock* block : batch)
        block->Result =
            compressor.Compress(block->In, block->InLength, block->Out + 4, block->OutLength);
    lock.lock();
    for (TPendingBlock* block : batch)
        block->Done = true;
    jobDone_.notify_all();
}

void TCompressionPool::Work() {
    // Each worker owns its compressor; a failed set-up fails every block it takes, which the
    // writer reports as a compression error, as a one-thread run would.
    TBlockCompressor compressor(level_);
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        jobReady_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty())
            return; // stopping with nothing left to do
        RunFront(lock, compressor);
    }
}
