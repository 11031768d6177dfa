#pragma once
// Worker threads that compress archive blocks ahead of the writer. The caller hands over blocks
// in batches, in file order, and waits for them in the same order, so what it writes does not
// depend on which worker finished first. A batch gathers the blocks of several small files, so
// a site of many small pages costs one hand-off per batch rather than one per page. The caller
// bounds the blocks in flight; the pool keeps no more than it is given.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/backup_file.h"
#include "archive/block_compressor.h"

struct TPendingBlock {
    // One byte more than a block: the reader asks for it to see a file that grew.
    uint8_t In[BackupBlockSize + 1];
    uint8_t Out[4 + BackupBlockSize]; // room for the block's length field before the payload
    int32_t InLength = 0;
    int32_t OutLength = 0;
    TBlockCompressor::Result Result = TBlockCompressor::Failed;
    bool Done = false;
};

class TCompressionPool {
public:
    TCompressionPool(int threads, int zlibLevel);
    ~TCompressionPool();
    TCompressionPool(const TCompressionPool&) = delete;
    TCompressionPool& operator=(const TCompressionPool&) = delete;

    // Queues the blocks as one job; batch is left empty.
    void Submit(std::vector<TPendingBlock*>& batch);
    // Returns once block, submitted earlier, is compressed. While it is not, the caller does
    // not sleep if there is work queued: it compresses the next waiting batch itself with
    // helper. A writer that sleeps and is woken for every batch loses its turn on a busy
    // machine each time; one that helps keeps it.
    void Wait(TPendingBlock* block, TBlockCompressor& helper);

private:
    void Work();
    // Compresses the front batch with compressor; called and returning with the lock held.
    void RunFront(std::unique_lock<std::mutex>& lock, TBlockCompressor& compressor);

    int level_;
    std::mutex mutex_;
    std::condition_variable jobReady_;
    std::condition_variable jobDone_;
    std::deque<std::vector<TPendingBlock*>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
