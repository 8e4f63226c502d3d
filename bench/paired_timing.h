#pragma once

// Times a piece of the product against the floors it is held to, in the same run: every
// iteration runs each floor and the product once, one after the other, so that a machine that
// slows down or speeds up affects both sides alike. The time shown is the product's; for each
// floor the counters NAME_median and NAME_min give the median and the least of the iterations'
// ratios of product time over floor time.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct Floor {
    std::string name;
    std::function<void()> run;
};

/// Which clock times a side: the wall clock, or for work done on the calling thread alone the
/// thread's processor time, which other processes on a busy machine do not stretch.
enum class PairedClock { Wall, ThreadCpu };

inline double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double secondsOf(const std::function<void()>& work, PairedClock clock = PairedClock::Wall) {
    if (clock == PairedClock::ThreadCpu) {
        const double start = threadCpuSeconds();
        work();
        return threadCpuSeconds() - start;
    }
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

/// Register with UseManualTime(). `product` and each floor must do the same amount of work.
inline void timeAgainstFloors(benchmark::State& state, const std::function<void()>& product,
                              const std::vector<Floor>& floors,
                              PairedClock clock = PairedClock::Wall) {
    std::vector<std::vector<double>> ratios(floors.size());
    for (auto _ : state) {
        std::vector<double> floorTimes;
        for (const Floor& floor : floors) floorTimes.push_back(secondsOf(floor.run, clock));
        const double productTime = secondsOf(product, clock);
        for (std::size_t i = 0; i < floors.size(); ++i) {
            ratios[i].push_back(productTime / std::max(floorTimes[i], 1e-9));
        }
        state.SetIterationTime(productTime);
    }
    for (std::size_t i = 0; i < floors.size(); ++i) {
        state.counters[floors[i].name + "_median"] = median(ratios[i]);
        state.counters[floors[i].name + "_min"] =
            ratios[i].empty() ? 0 : *std::min_element(ratios[i].begin(), ratios[i].end());
    }
}
