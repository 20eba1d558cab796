#pragma once
// What the "ODBC Error" dialog shows of an exception: one diagnostic record per page, or
// the exception's message alone when it carries no records. No window is needed.

#include <exception>
#include <string>
#include <vector>

namespace odbc {

class TErrorPages {
public:
    TErrorPages() = default;
    // The records of an ESQLerror (none for any other exception) and its message.
    explicit TErrorPages(const std::exception& e);
    TErrorPages(std::vector<std::string> records, std::string message);

    // Page moves; a move past either end does nothing.
    void First() noexcept { index_ = 0; }
    void Back() noexcept;
    void Next() noexcept;

    int Index() const noexcept { return index_; }
    bool BackEnabled() const noexcept { return index_ > 0; }
    bool NextEnabled() const noexcept;
    // The record on the current page, or the message when there are no records.
    const std::string& Text() const;

private:
    std::vector<std::string> records_;
    std::string message_;
    int index_ = 0;
};

}  // namespace odbc
