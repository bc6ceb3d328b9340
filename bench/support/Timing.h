#pragma once
// Timing helpers the benchmarks share.
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace tqen::bench {

// The middle value of a set of timings.
inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Milliseconds one call of f takes.
inline double timeMs(const std::function<void()> &f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// Runs the engine's way and the direct way of one operation `count` times
// each, interleaved (after `warm` unmeasured rounds of each), prints the
// medians and their ratio under `what`, and returns the ratio.
inline double compareMedians(const char *what, int count, int warm, const std::function<void(int)> &engine,
                             const std::function<void(int)> &direct, const char *directName) {
    std::vector<double> e, d;
    for (int i = 0; i < warm; ++i) { engine(i); direct(i); }
    const auto timed = [](const std::function<void(int)> &f, int i, std::vector<double> &into) {
        into.push_back(timeMs([&] { f(i); }));
    };
    for (int i = 0; i < count; ++i) {
        if (i % 2) { timed(engine, i, e); timed(direct, i, d); }
        else { timed(direct, i, d); timed(engine, i, e); }
    }
    const double me = median(e), md = median(d), ratio = me / md;
    std::printf("%-58s engine %8.3f ms   %-6s %8.3f ms   ratio %5.2f\n", what, me, directName, md, ratio);
    return ratio;
}

}  // namespace tqen::bench
