#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>

// Wall-clock measurements shared by the benchmarks.
namespace bench {

// Seconds since the timer started.
inline double seconds(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e9;
}

// Seconds that one run of work takes.
inline double seconds(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return seconds(t);
}

// The fastest of a few runs, for the short measurements.
inline double best(int runs, const std::function<void()> &work)
{
    double fastest = 1e9;
    for (int i = 0; i < runs; ++i)
        fastest = std::min(fastest, seconds(work));
    return fastest;
}

} // namespace bench
