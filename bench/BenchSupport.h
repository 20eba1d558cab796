// What the benchmarks share: running a reader or a program as a fresh child process (its
// standard output, exit status and peak memory), and the figures taken over the rounds
// (median, lowest and highest, quartiles, medians of per-round ratios), and the plain text
// the editor benchmarks load.
//
// Promises: RunChild starts args[0] directly (no shell) with this process's environment plus
// extraEnv, captures the child's standard output whole, waits for it and answers its peak
// resident memory (kilobytes): its own high-water mark sampled every few milliseconds while
// it runs, never more than the kernel's figure (ru_maxrss, which also counts this process's
// memory at the start); a child too short to be sampled gets the kernel's figure. The figures
// never change their input; Median of nothing is 0.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct TChildRun {
    bool started = false;      // false: the process could not be started at all
    int status = 0;            // as waitpid reports it
    std::string output;        // everything the child wrote to its standard output
    long peakKilobytes = 0;    // the child's own peak (see RunChild)
    long long spawnedNs = 0;   // steady clock, nanoseconds, just before the start
    bool Succeeded() const;    // started, ended normally with exit code 0
};

TChildRun RunChild(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {},
                   bool silenceStderr = false);

// Runs every reader in turn, round after round: one warm-up round whose results are dropped,
// then `rounds` kept; answers, per reader, its results in round order, so that the i-th
// results of two readers were taken close in time. run(reader index) gives one result.
template <class TResult, class TRun>
std::vector<std::vector<TResult>> AlternateRounds(int rounds, std::size_t readers, TRun run)
{
    std::vector<std::vector<TResult>> results(readers);
    for (int round = 0; round <= rounds; ++round)
        for (std::size_t m = 0; m < readers; ++m) {
            TResult r = run(m);
            if (round > 0) results[m].push_back(std::move(r));  // round 0 warms the caches up
        }
    return results;
}

// Runs two readers round after round, which of them goes first alternating (`first` in the
// even rounds), after one warm-up run of each whose results are dropped; answers both
// results in round order.
template <class TResult, class TRunFirst, class TRunSecond>
std::pair<std::vector<TResult>, std::vector<TResult>> TakeTurns(int rounds, TRunFirst first, TRunSecond second)
{
    first();
    second();
    std::pair<std::vector<TResult>, std::vector<TResult>> results;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            results.first.push_back(first());
            results.second.push_back(second());
        } else {
            results.second.push_back(second());
            results.first.push_back(first());
        }
    }
    return results;
}

// Nanoseconds of the steady clock (the system's monotonic clock, shared by all processes).
long long NowNs();

// The editor benchmarks' plain text: words of 1 to 12 letters, lines of up to ~140
// characters, now and then an empty line or a very long paragraph; CR LF breaks. The same
// seed gives the same text.
std::string MakePlainText(std::size_t bytes, unsigned seed);

double Median(std::vector<double> v);
double Lowest(const std::vector<double>& v);
double Highest(const std::vector<double>& v);

// reader[i] / base[i] for every round i both have.
std::vector<double> PairRatios(const std::vector<double>& reader, const std::vector<double>& base);

struct TQuartiles {
    double min, q1, median, q3, max;
};
// Quartiles by linear interpolation between the sorted values; v must not be empty.
TQuartiles QuartilesOf(std::vector<double> v);

// The system's load average over the last minute (-1 when it cannot be read), printed beside
// the figures since other work on the machine moves them.
double LoadAverage();

}  // namespace bench
