#include "platform/rtl/Log.h"

#include <cstdio>
#include <exception>
#include <mutex>

namespace rtl {

namespace {

std::mutex& SinkMutex()
{
    static std::mutex m;
    return m;
}

// Empty: standard error.
std::function<void(const std::string&)>& Sink()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}

}  // namespace

void LogLine(std::string_view where, std::string_view what)
{
    std::string line;
    line.reserve(where.size() + what.size() + 2);
    line.append(where).append(": ").append(what);
    std::lock_guard lock(SinkMutex());
    if (Sink()) {
        Sink()(line);
    } else {
        std::fprintf(stderr, "gridweaver: %s\n", line.c_str());
    }
}

void LogCurrentException(std::string_view where) noexcept
{
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            LogLine(where, e.what());
        } catch (...) {
            LogLine(where, "unknown exception");
        }
    } catch (...) {
        // Writing the line itself failed (out of memory): nothing is left to tell it with.
    }
}

TLogCapture::TLogCapture()
{
    std::lock_guard lock(SinkMutex());
    previous_ = Sink();
    Sink() = [this](const std::string& line) { lines_.push_back(line); };
}

TLogCapture::~TLogCapture()
{
    std::lock_guard lock(SinkMutex());
    Sink() = std::move(previous_);
}

}  // namespace rtl
