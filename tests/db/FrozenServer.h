#pragma once
// Servers that stop answering, for the tests of timeouts against the PostgreSQL test server
// (GW_PG_PORT): a connection's backend process stopped with SIGSTOP, and a port that accepts
// connections and never says a word. Both give up on their own after a bound (the backend is
// resumed, the port closed), so that a build that would wait for ever fails its test instead
// of hanging it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"

namespace dbtest {

// The initialisation string of the test server's database; nullopt when GW_PG_PORT is unset.
inline std::optional<std::string> PgInitString(const std::string& port = {})
{
    const char* env = std::getenv("GW_PG_PORT");
    if (port.empty() && (env == nullptr || *env == '\0')) return std::nullopt;
    return db::FormatInitString({{"Provider", "MSDASQL.1"},
                                 {"User ID", "gridweaver"},
                                 {"Password", "gridweaver"},
                                 {"Extended Properties", "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                                             (port.empty() ? std::string(env) : port) +
                                                             ";Database=gridweaver_test"}});
}

// The server process that serves `connection` (open).
inline int BackendPid(db::TADOConnection& connection)
{
    db::TADOQuery query(nullptr);
    query.SetConnection(&connection);
    query.SQL()->SetText("SELECT pg_backend_pid() AS pid");
    query.Open();
    return query.FieldByName("pid")->AsInteger();
}

// Runs `end` once, `after` from now or at Finish, whichever comes first.
class TDeadman {
public:
    template <class End>
    TDeadman(std::chrono::seconds after, End end)
        : thread_([this, after, end] {
              std::unique_lock lock(mutex_);
              finished_.wait_for(lock, after, [this] { return finish_; });
              end();
          })
    {
    }
    ~TDeadman() { Finish(); }
    void Finish()
    {
        {
            std::lock_guard lock(mutex_);
            finish_ = true;
        }
        finished_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool finish_ = false;
    std::thread thread_;
};

// The backend stopped from construction until Resume (or the bound, or destruction).
class TStoppedBackend {
public:
    explicit TStoppedBackend(int pid, std::chrono::seconds bound = std::chrono::seconds(9))
        : pid_(pid), stopped_(::kill(pid, SIGSTOP) == 0), resume_(bound, [pid] { ::kill(pid, SIGCONT); })
    {
    }
    bool Stopped() const noexcept { return stopped_; }
    void Resume() { resume_.Finish(); }

private:
    int pid_;
    bool stopped_;
    TDeadman resume_;
};

// A loopback port whose connections the system accepts and nobody answers, until the bound.
class TSilentPort {
public:
    explicit TSilentPort(std::chrono::seconds bound = std::chrono::seconds(9))
        : fd_(Listen(port_)), close_(bound, [this] {
              // Closed with connections waiting to be accepted: they are reset.
              if (const int fd = fd_.exchange(-1); fd >= 0) ::close(fd);
          })
    {
    }
    bool Listening() const noexcept { return port_ != 0; }
    int Port() const noexcept { return port_; }

private:
    static int Listen(int& port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd < 0) return -1;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 8) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ::close(fd);
            return -1;
        }
        port = ntohs(address.sin_port);
        return fd;
    }

    int port_ = 0;
    std::atomic<int> fd_;
    TDeadman close_;
};

}  // namespace dbtest
