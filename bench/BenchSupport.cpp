#include "BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <random>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

bool TChildRun::Succeeded() const { return started && WIFEXITED(status) && WEXITSTATUS(status) == 0; }

long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

// The peak resident memory of the running process `pid` so far (VmHWM), kilobytes; 0 once it
// has ended.
long PeakKilobytesNow(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
    FILE* f = std::fopen(path, "r");
    if (f == nullptr) return 0;
    long kb = 0;
    char line[256];
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::atol(line + 6);
    std::fclose(f);
    return kb;
}

}  // namespace

TChildRun RunChild(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv, bool silenceStderr)
{
    TChildRun run;
    int out[2];
    if (args.empty() || pipe(out) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    if (silenceStderr) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) envText.emplace_back(*e);
    for (const std::string& e : extraEnv) envText.push_back(e);
    std::vector<char*> envp;
    for (const std::string& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    pid_t pid = 0;
    run.spawnedNs = NowNs();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    run.started = true;
    // The kernel's figure for a child counts the memory of the process it was started from
    // (this one) as well, so the child's own peak is sampled while it runs.
    long sampled = PeakKilobytesNow(pid);
    char buf[4096];
    for (;;) {
        pollfd ready{out[0], POLLIN, 0};
        if (poll(&ready, 1, 5) == 0) {
            sampled = std::max(sampled, PeakKilobytesNow(pid));
            continue;
        }
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        run.output.append(buf, static_cast<std::size_t>(n));
        sampled = std::max(sampled, PeakKilobytesNow(pid));
    }
    close(out[0]);
    struct rusage usage {};
    wait4(pid, &run.status, 0, &usage);
    run.peakKilobytes = sampled > 0 ? std::min(sampled, usage.ru_maxrss) : usage.ru_maxrss;
    return run;
}

// Words of 1 to 12 letters, lines of up to ~140 characters, now and then an empty line or a
// very long paragraph; CR LF breaks.
std::string MakePlainText(std::size_t bytes, unsigned seed)
{
    std::mt19937 random(seed);
    std::string text;
    text.reserve(bytes + 256);
    while (text.size() < bytes) {
        const unsigned kind = random() % 50;
        const std::size_t length = kind == 0 ? 0 : kind == 1 ? 2000 + random() % 3000 : 10 + random() % 130;
        std::size_t line = 0;
        while (line < length) {
            const unsigned word = 1 + random() % 12;
            for (unsigned i = 0; i < word; ++i) text.push_back(static_cast<char>('a' + random() % 26));
            text.push_back(' ');
            line += word + 1;
        }
        text += "\r\n";
    }
    return text;
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Lowest(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

double Highest(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

std::vector<double> PairRatios(const std::vector<double>& reader, const std::vector<double>& base)
{
    std::vector<double> v;
    for (std::size_t i = 0; i < reader.size() && i < base.size(); ++i) v.push_back(reader[i] / base[i]);
    return v;
}

TQuartiles QuartilesOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) {
        const double pos = q * static_cast<double>(v.size() - 1);
        const auto lo = static_cast<std::size_t>(pos);
        const std::size_t hi = std::min(lo + 1, v.size() - 1);
        return v[lo] + (v[hi] - v[lo]) * (pos - static_cast<double>(lo));
    };
    return {v.front(), at(0.25), at(0.5), at(0.75), v.back()};
}

double LoadAverage()
{
    double load[1];
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

}  // namespace bench
