#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

/// How many threads share a batch of independent files: one per processor the system reports,
/// at least one.
unsigned workerThreads();

/// Runs `work(i)` for every `i` below `count`, spread over up to `threads` threads (the calling
/// thread among them), and hands each result to `deliver(i, result)` on the calling thread in the
/// order of `i`, each as soon as it and every one before it are done, so output keeps the order of
/// a plain loop. `deliver` returns false to stop: no later result is delivered and no new work
/// starts. `work` must be safe to run on several threads at once; `deliver` never runs
/// concurrently with itself. An exception from `work` reaches the caller when its result would
/// have been delivered, one from `deliver` at once; either way every thread has finished first.
/// One thread, or one item, runs the plain loop on the calling thread.
template <class Work, class Deliver>
void runInOrder(std::size_t count, Work work, Deliver deliver, unsigned threads = workerThreads()) {
    using Result = std::invoke_result_t<Work&, std::size_t>;
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            Result result = work(i);
            if (!deliver(i, result)) return;
        }
        return;
    }

    struct Slot {
        std::optional<Result> result;
        std::exception_ptr error;
        bool done = false;
    };
    std::vector<Slot> pending(count);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    // The item the calling thread sleeps until, guarded by `mutex`; `count` while it does not
    // sleep. Only that item's end wakes it, so that it does not take the processor from a worker
    // for every other item that ends.
    std::size_t awaited = count;

    const auto runItem = [&](std::size_t i) {
        Slot slot;
        try {
            slot.result.emplace(work(i));
        } catch (...) {
            slot.error = std::current_exception();
        }
        slot.done = true;
        bool wake = false;
        {
            const std::lock_guard lock(mutex);
            pending[i] = std::move(slot);
            wake = awaited == i;
        }
        if (wake) finished.notify_one();
    };
    // Stops the workers taking new items and waits for them, whichever way the caller leaves.
    struct Crew {
        std::atomic<std::size_t>& next;
        std::size_t count;
        std::vector<std::thread> threads;
        ~Crew() {
            next = count;
            for (std::thread& thread : threads) thread.join();
        }
    } crew{next, count, {}};
    crew.threads.reserve(threads - 1);
    for (unsigned t = 1; t < threads; ++t) {
        crew.threads.emplace_back([&] {
            for (std::size_t i = next++; i < count; i = next++) runItem(i);
        });
    }

    // The calling thread delivers in order; while the result it must deliver next is not done, it
    // works on the next item itself, and sleeps only when no item is left to start.
    for (std::size_t i = 0; i < count; ++i) {
        Slot slot;
        {
            std::unique_lock lock(mutex);
            while (!pending[i].done) {
                lock.unlock();
                if (const std::size_t mine = next++; mine < count) {
                    runItem(mine);
                    lock.lock();
                    continue;
                }
                lock.lock();
                awaited = i;
                finished.wait(lock, [&] { return pending[i].done; });
                awaited = count;
            }
            slot = std::move(pending[i]);
        }
        if (slot.error) std::rethrow_exception(slot.error);
        if (!deliver(i, *slot.result)) return;
    }
}
