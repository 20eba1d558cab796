#pragma once
// The program's log: one line per event that the user is not shown but a maintainer needs,
// above all an exception that a caller had to swallow (a handler that must not throw, a
// destructor, a paint cycle). Each line names where it was written and what happened:
//
//   gridweaver: <where>: <what>
//
// Lines go to standard error, which the desktop session keeps; a test replaces the sink with
// a TLogCapture for its lifetime to read what was written.
//
//   try { handler(); } catch (...) { rtl::LogCurrentException("TGrid::DrawCell handler"); }

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

// Writes one line to the log.
void LogLine(std::string_view where, std::string_view what);

// Writes the exception being handled (call it inside a catch block): its message for an
// exception of the standard family, "unknown exception" for anything else.
void LogCurrentException(std::string_view where) noexcept;

// Collects the log's lines instead of writing them while it lives (tests); nests.
class TLogCapture {
public:
    TLogCapture();
    ~TLogCapture();
    TLogCapture(const TLogCapture&) = delete;
    TLogCapture& operator=(const TLogCapture&) = delete;

    // Each entry is "<where>: <what>".
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
    std::function<void(const std::string&)> previous_;
};

}  // namespace rtl
