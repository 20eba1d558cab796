#pragma once
// Test support for work run in a forked child: what the child reports comes back as text, and
// limits set in the child (memory, file sizes) live and die with it, so the test process and
// the machine never see them. A child that dies reports how it died.

#include <cerrno>
#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gwtest {

// Runs `body` in a forked child and returns what it reported.
inline std::string InChild(const std::function<std::string()>& body)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid < 0) return "no child";
    if (pid == 0) {
        ::close(pipeEnds[0]);
        std::string report;
        try {
            report = body();
        } catch (const std::exception& e) {
            report = std::string("escaped: ") + e.what();
        }
        for (std::size_t put = 0; put < report.size();) {
            const ssize_t n = ::write(pipeEnds[1], report.data() + put, report.size() - put);
            if (n <= 0) break;
            put += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(pipeEnds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        report.append(buf, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) return report + "[killed by signal " + std::to_string(WTERMSIG(status)) + "]";
    return report;
}

// `body` in a child whose address space may grow by `extraBytes` over what it holds at the
// start: an allocation past that fails (std::bad_alloc) instead of swapping the machine. Under
// AddressSanitizer, whose shadow memory needs the whole address space, no limit is set.
inline std::string WithMemoryLimit(std::size_t extraBytes, const std::function<std::string()>& body)
{
    return InChild([&] {
#if defined(__SANITIZE_ADDRESS__)
        (void)extraBytes;
#else
        unsigned long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        if (pages == 0) return std::string("no memory size");
        rlimit r{};
        r.rlim_cur = r.rlim_max = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + extraBytes;
        if (::setrlimit(RLIMIT_AS, &r) != 0) return std::string("no limit");
#endif
        return body();
    });
}

}  // namespace gwtest
