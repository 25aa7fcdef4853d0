// Work spread over the processor's cores: each thread takes the next unclaimed index, so that
// uneven pieces of work still keep every core busy to the end.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Threads to use for nWork pieces: nThreads, or one per core when it is 0, never more than the
// pieces.
inline unsigned ThreadCount(unsigned nThreads, size_t nWork) {
    unsigned n = nThreads ? nThreads : std::max(1u, std::thread::hardware_concurrency());
    return unsigned(std::max<size_t>(1, std::min<size_t>(n, nWork)));
}

// Calls body(i, t) for every i below n; t, below ThreadCount(nThreads, n), names the calling
// thread so that it can keep scratch space of its own.  The first exception a body throws is
// thrown again here once every thread has stopped.
template <class Body>
void ParallelFor(size_t n, unsigned nThreads, Body&& body) {
    const unsigned nUsed = ThreadCount(nThreads, n);
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&](unsigned t) {
        try {
            for (size_t i; (i = next.fetch_add(1)) < n;) body(i, t);
        } catch (...) {
            std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure) failure = std::current_exception();
            next = n;  // the others stop after their current piece
        }
    };
    if (nUsed == 1) {
        work(0);
    } else {
        std::vector<std::thread> threads;
        for (unsigned t = 1; t < nUsed; ++t) threads.emplace_back(work, t);
        work(0);
        for (std::thread& thread : threads) thread.join();
    }
    if (failure) std::rethrow_exception(failure);
}
