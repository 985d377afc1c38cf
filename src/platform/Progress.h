#pragma once

#include <QString>
#include <functional>

// How far a long piece of work got: what it does, the units done and, when known, in all.
struct ProgressStep {
    QString task;
    qint64 done = 0;
    qint64 total = -1; // unknown
};

// Told of long work's progress from time to time. It may call the work off by throwing
// ECancelled; the work then leaves everything as it was before it began.
using ProgressListener = std::function<void(const ProgressStep &)>;

// How many units long work does between two reports.
constexpr qint64 kProgressInterval = 16384;
