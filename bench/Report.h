#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <vector>

// One line of timings for bench/run.sh: "<what> <count> <median> <p95> <p99> <worst>", in ns.
inline void report(const char* what, std::vector<qint64>& ns) {
    std::sort(ns.begin(), ns.end());
    const auto at = [&ns](std::size_t percent) {
        return static_cast<long long>(ns[std::min(ns.size() - 1, ns.size() * percent / 100)]);
    };
    std::printf("%s %zu %lld %lld %lld %lld\n", what, ns.size(), at(50), at(95), at(99),
                static_cast<long long>(ns.back()));
}
