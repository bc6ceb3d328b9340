#pragma once
// Timing helpers the benchmarks share.
#include <QElapsedTimer>

#include <algorithm>
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

}  // namespace tqen::bench
