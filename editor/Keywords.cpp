#include "editor/Keywords.h"

#include "platform/classes/Filer.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>

namespace editor {

namespace {
TUpperCaseProc g_userUpperCase = nullptr;

void AsciiUpper(std::string& text)
{
    for (char& c : text) c = rtl::AsciiUpper(c);
}
}  // namespace

void SetUserUpperCase(TUpperCaseProc proc) noexcept { g_userUpperCase = proc; }
TUpperCaseProc UserUpperCase() noexcept { return g_userUpperCase; }

void FoldCase(TtmUpperCase type, std::string& text)
{
    switch (type) {
    case tmuAnsi: rtl::AnsiUpperCaseSameLength(text); return;
    case tmuUserDefined:
        if (g_userUpperCase) {
            g_userUpperCase(text.data(), text.size());
            return;
        }
        break;
    case tmuAscii: break;
    }
    AsciiUpper(text);
}

TCharSet CharSetOf(std::string_view chars)
{
    TCharSet set;
    for (const char c : chars) set.set(static_cast<unsigned char>(c));
    return set;
}

std::string CharSetText(const TCharSet& set)
{
    std::string text;
    for (int c = 0; c < 256; ++c)
        if (set.test(static_cast<std::size_t>(c))) text.push_back(static_cast<char>(c));
    return text;
}

// ---- TKeywordList ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TKeywordList, classes::TPersistent) {}

void TKeywordList::Assign(const rtl::TStrings& source)
{
    if (&source == this) return;
    auto update = rtl::MakeScope(*this, &TKeywordList::BeginUpdate, &TKeywordList::EndUpdate);
    TStringList::Assign(source);
}

void TKeywordList::Assign(const classes::TPersistent& source)
{
    if (const auto* strings = dynamic_cast<const rtl::TStrings*>(&source))
        Assign(*strings);
    else
        classes::TPersistent::Assign(source);
}

void TKeywordList::DefineProperties(classes::TFiler& filer)
{
    classes::TPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Strings",
        [this](classes::TReader& r) {
            std::vector<StoredItem> items;
            r.ReadListBegin();
            while (!r.EndOfList()) {
                StoredItem item;
                item.Word = r.ReadString();
                for (std::int64_t& v : item.Values) v = r.ReadInteger();
                items.push_back(std::move(item));
            }
            r.ReadListEnd();
            SetStoredItems(items);
        },
        [this](classes::TWriter& w) {
            w.WriteListBegin();
            for (StoredItem& item : StoredItems()) {
                w.WriteString(std::move(item.Word));
                for (const std::int64_t v : item.Values) w.WriteInteger(v);
            }
            w.WriteListEnd();
        },
        Count() > 0);
}

int TKeywordList::AddKeyword(const std::string& word, const TKeywordRec& record)
{
    return AddObject(word, record);
}

TKeywordRec TKeywordList::Keyword(int index) const { return ObjectAs<TKeywordRec>(index); }

void TKeywordList::SetKeyword(int index, const TKeywordRec& record) { PutObject(index, record); }

void TKeywordList::SetCaseType(TtmUpperCase type)
{
    if (type == caseType_) return;
    caseType_ = type;
    RebuildIndex();
}

void TKeywordList::Changed()
{
    if (UpdateCount() == 0) RebuildIndex();
    TStringList::Changed();
}

const TKeywordRec& TKeywordList::IndexedRecord(int index) const
{
    static const TKeywordRec none;
    return static_cast<std::size_t>(index) < records_.size() ? records_[static_cast<std::size_t>(index)] : none;
}

void TKeywordList::RebuildIndex()
{
    const int n = Count();
    anyCaseInsensitive_ = false;
    longest_ = 0;
    records_.clear();
    records_.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        longest_ = std::max(longest_, static_cast<int>(Get(i).size()));
        records_.push_back(Keyword(i));
        if (!(records_.back().Options & koCaseSensitive)) anyCaseInsensitive_ = true;
    }
    folded_.assign(static_cast<std::size_t>(n), std::string());
    if (!anyCaseInsensitive_) return;
    for (int i = 0; i < n; ++i) {
        folded_[static_cast<std::size_t>(i)] = Get(i);
        FoldCase(caseType_, folded_[static_cast<std::size_t>(i)]);
    }
}

std::vector<TKeywordList::StoredItem> TKeywordList::StoredItems() const
{
    std::vector<StoredItem> items;
    for (int i = 0; i < Count(); ++i) {
        const TKeywordRec k = Keyword(i);
        items.push_back({Get(i), {k.Options, k.Attr, k.Context, k.Attr16, k.TextColor, k.BackColor}});
    }
    return items;
}

void TKeywordList::SetStoredItems(const std::vector<StoredItem>& items)
{
    auto update = rtl::MakeScope(*this, &TKeywordList::BeginUpdate, &TKeywordList::EndUpdate);
    Clear();
    for (const StoredItem& item : items) {
        TKeywordRec k;
        k.Options = static_cast<std::uint8_t>(item.Values[0]);
        k.Attr = static_cast<std::uint8_t>(item.Values[1]);
        k.Context = static_cast<std::int32_t>(item.Values[2]);
        k.Attr16 = static_cast<std::int16_t>(item.Values[3]);
        k.TextColor = static_cast<rtl::TColor>(item.Values[4]);
        k.BackColor = static_cast<rtl::TColor>(item.Values[5]);
        AddKeyword(item.Word, k);
    }
}

// ---- TStartStopKeyList ----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TStartStopKeyList, classes::TPersistent) {}

void TStartStopKeyList::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TStartStopKeyList*>(&source)) {
        if (other == this) return;
        SetStoredItems(other->StoredItems());
    } else {
        classes::TPersistent::Assign(source);
    }
}

void TStartStopKeyList::DefineProperties(classes::TFiler& filer)
{
    classes::TPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Keys",
        [this](classes::TReader& r) {
            std::vector<StoredItem> items;
            r.ReadListBegin();
            while (!r.EndOfList()) {
                StoredItem item;
                item.StartKey = r.ReadString();
                item.StopKey = r.ReadString();
                for (std::int64_t& v : item.Values) v = r.ReadInteger();
                item.EndsAtParagraphEnd = r.ReadBoolean();
                items.push_back(std::move(item));
            }
            r.ReadListEnd();
            SetStoredItems(items);
        },
        [this](classes::TWriter& w) {
            w.WriteListBegin();
            for (StoredItem& item : StoredItems()) {
                w.WriteString(std::move(item.StartKey));
                w.WriteString(std::move(item.StopKey));
                for (const std::int64_t v : item.Values) w.WriteInteger(v);
                w.WriteBoolean(item.EndsAtParagraphEnd);
            }
            w.WriteListEnd();
        },
        Count() > 0);
}

const TStartStopKey& TStartStopKeyList::operator[](int index) const
{
    if (index < 0 || index >= Count()) ListIndexError();
    return keys_[static_cast<std::size_t>(index)];
}

void TStartStopKeyList::Fold(TStartStopKey& key) const
{
    key.FoldedStart = key.StartKey;
    key.FoldedStop = key.StopKey;
    if (!(key.Options & koCaseSensitive)) {
        FoldCase(caseType_, key.FoldedStart);
        FoldCase(caseType_, key.FoldedStop);
    }
}

int TStartStopKeyList::Add(const std::string& startKey, const std::string& stopKey, bool endsAtParagraphEnd,
                           std::uint8_t attr, std::int32_t context, std::int16_t attr16, rtl::TColor textColor,
                           rtl::TColor backColor, std::uint8_t options)
{
    TStartStopKey key;
    key.Options = options;
    key.Attr = attr;
    key.Context = context;
    key.Attr16 = attr16;
    key.TextColor = textColor;
    key.BackColor = backColor;
    key.StartKey = startKey;
    key.StopKey = stopKey;
    key.EndsAtParagraphEnd = endsAtParagraphEnd;
    Fold(key);
    longestStart_ = std::max(longestStart_, static_cast<int>(startKey.size()));
    longestStop_ = std::max(longestStop_, static_cast<int>(stopKey.size()));
    if (endsAtParagraphEnd) longestStop_ = std::max(longestStop_, 2);
    for (int i = Count() - 1; i >= 0; --i) {
        const TStartStopKey& earlier = keys_[static_cast<std::size_t>(i)];
        // Pairs that ignore case are the same pair start whatever case their keys were
        // entered in.
        if (earlier.Options == options && earlier.FoldedStart == key.FoldedStart) {
            key.Link = i;
            break;
        }
    }
    keys_.push_back(std::move(key));
    prepared_ = false;
    return Count() - 1;
}

void TStartStopKeyList::Clear()
{
    keys_.clear();
    keys_.shrink_to_fit();
    keys_.reserve(2);
    longestStart_ = 0;
    longestStop_ = 0;
    prepared_ = false;
}

void TStartStopKeyList::SetCaseType(TtmUpperCase type)
{
    caseType_ = type;
    for (TStartStopKey& key : keys_) Fold(key);
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        keys_[i].Link = -1;
        for (std::size_t j = i; j-- > 0;) {
            if (keys_[j].Options == keys_[i].Options && keys_[j].FoldedStart == keys_[i].FoldedStart) {
                keys_[i].Link = static_cast<int>(j);
                break;
            }
        }
    }
}

void TStartStopKeyList::Prepare(const TCharSet& separators)
{
    auto needs = [&](const std::string& key, bool first) {
        if (key.empty()) return false;
        const auto c = static_cast<unsigned char>(first ? key.front() : key.back());
        return !separators.test(c);
    };
    for (TStartStopKey& key : keys_) {
        const bool whole = key.Options & koWholeWord;
        key.StartSepBefore = whole && needs(key.StartKey, true);
        key.StartSepAfter = whole && needs(key.StartKey, false);
        key.StopSepBefore = whole && needs(key.StopKey, true);
        key.StopSepAfter = whole && needs(key.StopKey, false);
    }
    prepared_ = true;
}

int TStartStopKeyList::Successor(int index) const noexcept
{
    for (int j = index + 1; j < Count(); ++j)
        if (keys_[static_cast<std::size_t>(j)].Link == index) return j;
    return -1;
}

std::vector<TStartStopKeyList::StoredItem> TStartStopKeyList::StoredItems() const
{
    std::vector<StoredItem> items;
    for (const TStartStopKey& k : keys_)
        items.push_back({k.StartKey, k.StopKey, {k.Options, k.Attr, k.Context, k.Attr16, k.TextColor, k.BackColor},
                         k.EndsAtParagraphEnd});
    return items;
}

void TStartStopKeyList::SetStoredItems(const std::vector<StoredItem>& items)
{
    Clear();
    for (const StoredItem& item : items)
        Add(item.StartKey, item.StopKey, item.EndsAtParagraphEnd, static_cast<std::uint8_t>(item.Values[1]),
            static_cast<std::int32_t>(item.Values[2]), static_cast<std::int16_t>(item.Values[3]),
            static_cast<rtl::TColor>(item.Values[4]), static_cast<rtl::TColor>(item.Values[5]),
            static_cast<std::uint8_t>(item.Values[0]));
}

}  // namespace editor
