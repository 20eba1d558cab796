#include "platform/rtl/StringList.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <iterator>

namespace rtl {

namespace {

constexpr char kSortedListError[] = "Operation not allowed on sorted list";
constexpr char kDuplicateString[] = "String list does not allow duplicates";

// A blank or control character: ends an unquoted item of a non-strict delimited text.
bool IsBlank(char c) noexcept { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }

// Keeps an update open for the length of a scope, so that an exception inside still closes it.
auto UpdateScope(TStrings& list) { return MakeScope(list, &TStrings::BeginUpdate, &TStrings::EndUpdate); }

}  // namespace

// ---- TStrings ------------------------------------------------------------------------------

void TStrings::IndexError(int index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStrings::Put(int index, const std::string& s)
{
    auto update = UpdateScope(*this);
    std::any object = GetObject(index);
    Delete(index);
    InsertObject(index, s, std::move(object));
}

std::any TStrings::GetObject(int /*index*/) const { return {}; }

void TStrings::PutObject(int /*index*/, std::any /*object*/) {}

void TStrings::InsertObject(int index, const std::string& s, std::any object)
{
    auto update = UpdateScope(*this);
    Insert(index, s);
    PutObject(index, std::move(object));
}

int TStrings::Add(const std::string& s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, std::any object)
{
    auto update = UpdateScope(*this);
    const int index = Add(s);
    PutObject(index, std::move(object));
    return index;
}

int TStrings::IndexOf(std::string_view s) const
{
    const int n = GetCount();
    for (int i = 0; i < n; ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

void TStrings::Exchange(int index1, int index2)
{
    auto update = UpdateScope(*this);
    const std::string s1 = Get(index1);
    const std::string s2 = Get(index2);
    std::any o1 = GetObject(index1);
    std::any o2 = GetObject(index2);
    Put(index1, s2);
    Put(index2, s1);
    PutObject(index1, std::move(o2));
    PutObject(index2, std::move(o1));
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex) return;
    const int n = GetCount();
    // Both indexes are checked before anything is removed, so a bad target loses nothing.
    if (curIndex < 0 || curIndex >= n) IndexError(curIndex);
    if (newIndex < 0 || newIndex >= n) IndexError(newIndex);
    auto update = UpdateScope(*this);
    const std::string s = Get(curIndex);
    std::any object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, std::move(object));
}

std::string TStrings::Names(int index) const
{
    const std::string s = Get(index);
    const std::size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::ValueFromIndex(int index) const
{
    const std::string s = Get(index);
    const std::size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStrings::IndexOfName(std::string_view name) const
{
    const int n = GetCount();
    for (int i = 0; i < n; ++i) {
        const std::string s = Get(i);
        const std::size_t p = s.find('=');
        if (p != std::string::npos && CompareStrings(std::string_view(s).substr(0, p), name) == 0) return i;
    }
    return -1;
}

std::string TStrings::Values(std::string_view name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(std::string_view name, std::string_view value)
{
    const int i = IndexOfName(name);
    if (!value.empty()) {
        std::string item = std::string(name) + "=" + std::string(value);
        if (i < 0)
            Add(item);
        else
            Put(i, item);
    } else if (i >= 0) {
        Delete(i);
    }
}

std::string TStrings::Text() const
{
    std::string r;
    const int n = GetCount();
    for (int i = 0; i < n; ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(std::string_view text)
{
    auto update = UpdateScope(*this);
    Clear();
    std::size_t p = 0;
    while (p < text.size()) {
        const std::size_t start = p;
        while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
        Add(std::string(text.substr(start, p - start)));
        if (p < text.size() && text[p] == '\r') ++p;
        if (p < text.size() && text[p] == '\n') ++p;
    }
}

namespace {

std::string JoinDelimited(const TStrings& list, char delimiter, char quoteChar, bool strict)
{
    const int n = list.GetCount();
    if (n == 1 && list.Get(0).empty()) return std::string(2, quoteChar);
    std::string r;
    for (int i = 0; i < n; ++i) {
        const std::string s = list.Get(i);
        const bool quote = std::any_of(s.begin(), s.end(), [&](char c) {
            return c == quoteChar || c == delimiter || (!strict && IsBlank(c));
        });
        if (i > 0) r.push_back(delimiter);
        r += quote ? AnsiQuotedStr(s, quoteChar) : s;
    }
    return r;
}

void SplitDelimited(TStrings& list, std::string_view text, char delimiter, char quoteChar, bool strict)
{
    auto update = UpdateScope(list);
    list.Clear();
    const std::size_t n = text.size();
    std::size_t p = 0;
    auto skipBlanks = [&] {
        if (!strict)
            while (p < n && IsBlank(text[p])) ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string item;
        if (text[p] == quoteChar) {
            item = AnsiExtractQuotedStr(text, p, quoteChar);
        } else {
            const std::size_t start = p;
            while (p < n && text[p] != delimiter && (strict || !IsBlank(text[p]))) ++p;
            item = std::string(text.substr(start, p - start));
        }
        list.Add(item);
        skipBlanks();
        if (p < n && text[p] == delimiter) {
            if (p + 1 == n) list.Add(std::string());
            ++p;
            skipBlanks();
        }
    }
}

}  // namespace

std::string TStrings::CommaText() const { return JoinDelimited(*this, ',', '"', strictDelimiter_); }

void TStrings::SetCommaText(std::string_view text) { SplitDelimited(*this, text, ',', '"', strictDelimiter_); }

void TStrings::LoadFromFile(const std::string& path)
{
    std::string data = ReadFileToString(path);
    std::string_view text(data);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    SetText(text);
}

void TStrings::SaveToFile(const std::string& path) const { SaveFileAtomically(path, Text()); }

void TStrings::Assign(const TStrings& source)
{
    if (&source == this) return;
    auto update = UpdateScope(*this);
    Clear();
    AddStrings(source);
}

void TStrings::AddStrings(const TStrings& source)
{
    auto update = UpdateScope(*this);
    const int n = source.GetCount();  // fixed first: a list may be added to itself
    for (int i = 0; i < n; ++i) AddObject(source.Get(i), source.GetObject(i));
}

void TStrings::BeginUpdate()
{
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ == 0) return;
    --updateCount_;
    if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool /*updating*/) {}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const { return AnsiCompareText(a, b); }

// ---- TStringList ---------------------------------------------------------------------------

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= static_cast<int>(items_.size())) IndexError(index);
}

void TStringList::CheckNotSorted() const
{
    if (sorted_) throw EListError(kSortedListError);
}

std::string TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].text;
}

int TStringList::GetCount() const { return static_cast<int>(items_.size()); }

void TStringList::Put(int index, const std::string& s)
{
    CheckNotSorted();
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].text = s;
    Changed();
}

std::any TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::PutObject(int index, std::any object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].object = std::move(object);
    Changed();
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, std::any()); }

void TStringList::InsertObject(int index, const std::string& s, std::any object)
{
    CheckNotSorted();
    if (index < 0 || index > static_cast<int>(items_.size())) IndexError(index);
    InsertItem(index, s, std::move(object));
}

void TStringList::InsertItem(int index, const std::string& s, std::any object)
{
    Changing();
    items_.insert(items_.begin() + index, Item{s, std::move(object)});
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty()) return;
    Changing();
    items_.clear();
    Changed();
}

int TStringList::Add(const std::string& s) { return AddObject(s, std::any()); }

int TStringList::AddObject(const std::string& s, std::any object)
{
    int index = static_cast<int>(items_.size());
    if (sorted_ && Find(s, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) throw EListError(kDuplicateString);
    }
    InsertItem(index, s, std::move(object));
    return index;
}

int TStringList::IndexOf(std::string_view s) const
{
    int index = 0;
    if (sorted_) return Find(s, index) ? index : -1;
    for (const Item& item : items_) {
        if (CompareStrings(item.text, s) == 0) return index;
        ++index;
    }
    return -1;
}

void TStringList::Exchange(int index1, int index2)
{
    CheckNotSorted();
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex)
{
    CheckNotSorted();
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    if (curIndex == newIndex) return;
    Changing();
    const auto first = items_.begin();
    if (curIndex < newIndex)
        std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else
        std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
    Changed();
}

bool TStringList::Find(std::string_view s, int& index) const
{
    bool found = false;
    int lo = 0, hi = static_cast<int>(items_.size()) - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(items_[static_cast<std::size_t>(mid)].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort()
{
    if (items_.size() < 2) return;
    Changing();
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
    Changed();
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted_ == sorted) return;
    if (sorted) Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive_ == caseSensitive) return;
    caseSensitive_ = caseSensitive;
    if (sorted_) Sort();
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const
{
    return caseSensitive_ ? CompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging) OnChanging(*this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange) OnChange(*this);
}

}  // namespace rtl
