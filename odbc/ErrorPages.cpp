#include "odbc/ErrorPages.h"

#include "odbc/SqlError.h"

namespace odbc {

namespace {
std::vector<std::string> RecordsOf(const std::exception& e)
{
    std::vector<std::string> records;
    if (const auto* sqlError = dynamic_cast<const ESQLerror*>(&e); sqlError != nullptr && sqlError->Errors() != nullptr)
        for (int i = 0; i < sqlError->Errors()->Count(); ++i) records.push_back(sqlError->Errors()->Strings(i));
    return records;
}
}  // namespace

TErrorPages::TErrorPages(const std::exception& e) : TErrorPages(RecordsOf(e), e.what()) {}

TErrorPages::TErrorPages(std::vector<std::string> records, std::string message)
    : records_(std::move(records)), message_(std::move(message))
{
}

void TErrorPages::Back() noexcept
{
    if (BackEnabled()) --index_;
}

void TErrorPages::Next() noexcept
{
    if (NextEnabled()) ++index_;
}

bool TErrorPages::NextEnabled() const noexcept
{
    return !records_.empty() && static_cast<int>(records_.size()) - 1 > index_;
}

const std::string& TErrorPages::Text() const
{
    return records_.empty() ? message_ : records_[static_cast<std::size_t>(index_)];
}

}  // namespace odbc
