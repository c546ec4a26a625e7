#pragma once

// What the benchmarks share: repeated timings (median, 99th percentile, extremes and CPU time of a body run a number
// of times, printed beside a target) and the large catalog they run on.

#include "DemoCatalog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <numeric>
#include <vector>

namespace bench {

struct Figures
{
    double median;
    double min;
    double max;
    double cpuMedian;
    double p99;  // the 99th percentile of the wall-clock times (the maximum below 100 runs)
    double mean; // for throughput
};

inline double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Wall-clock and CPU time per run; on a shared, loaded machine the CPU time is the steadier figure. `prepare`, when
// given, runs before each run untimed.
inline Figures measure(int runs, const std::function<void(int)>& body,
                       const std::function<void(int)>& prepare = nullptr)
{
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare(i);
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        body(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(processCpuMs() - cpuStart);
    }
    const double total = std::accumulate(times.begin(), times.end(), 0.0);
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    const std::size_t p99 = std::min(times.size() - 1, std::size_t(std::ceil(times.size() * 0.99)) - 1);
    return {times[times.size() / 2], times.front(), times.back(),
            cpu[cpu.size() / 2],     times[p99],    total / double(times.size())};
}

// targetMs <= 0: measured for information, no target.
inline void report(const char* name, const Figures& f, double targetMs, const QString& note)
{
    const QString verdict = targetMs > 0
                                ? QStringLiteral("target < %1 ms %2")
                                      .arg(targetMs)
                                      .arg(f.median < targetMs ? QStringLiteral("met") : QStringLiteral("MISSED"))
                                : QStringLiteral("no target");
    std::printf("%-40s median %7.2f ms (min %7.2f, max %7.2f), cpu %7.2f ms; %s; %s\n", name, f.median, f.min, f.max,
                f.cpuMedian, qPrintable(verdict), qPrintable(note));
}

// The 20,000-item catalog (about 190,000 codes) in the temporary folder, generated on first use.
inline QString defaultBenchCatalog()
{
    const QString dir = QDir::tempPath() + QStringLiteral("/velkorn-bench");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/KATALOG-20000.GDB");
    if (!QFileInfo::exists(path)) {
        std::printf("generating %s ...\n", qPrintable(path));
        catalog::DemoCatalogOptions options;
        options.filePath = path;
        options.items = 20000;
        options.seed = 7;
        options.forcedWrites = false;
        const auto summary = catalog::generateDemoCatalog(options);
        std::printf("%d items, %d codes, %d pictures\n", summary.items, summary.codes, summary.pictures);
    }
    return path;
}

} // namespace bench
