#pragma once
// Keywords and start/stop keys: words of the text (keywords) and spans between a start key and
// a stop key (comments, strings) that the editor marks with their own attributes.

#include "editor/TextStore.h"

#include "platform/classes/Persistent.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/StringList.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace editor {

// ---- Case folding ---------------------------------------------------------------------------
enum TtmUpperCase { tmuAscii, tmuAnsi, tmuUserDefined };

// An application's own upper-casing: folds `length` bytes in place, keeping every character's
// byte length.
using TUpperCaseProc = void (*)(char* text, std::size_t length);
// The process-wide function used by tmuUserDefined (nullptr: ASCII rules).
void SetUserUpperCase(TUpperCaseProc proc) noexcept;
TUpperCaseProc UserUpperCase() noexcept;

// Folds `text` in place: tmuAscii changes a-z only; tmuAnsi every letter whose upper-case form
// has the same UTF-8 length (so offsets into the folded copy stay those of the text);
// tmuUserDefined the application's function.
void FoldCase(TtmUpperCase type, std::string& text);

// A set of single-byte characters.
using TCharSet = std::bitset<256>;
TCharSet CharSetOf(std::string_view chars);
// The characters of the set in character order.
std::string CharSetText(const TCharSet& set);

// ---- Keywords -------------------------------------------------------------------------------
constexpr std::uint8_t koCaseSensitive = 1;
constexpr std::uint8_t koWholeWord = 2;

// What a keyword carries into the style records of its matches.
struct TKeywordRec {
    std::uint8_t Options = 0;  // koCaseSensitive, koWholeWord
    std::uint8_t Attr = 0;
    std::int32_t Context = 0;  // 0: the keyword is not searched
    std::int16_t Attr16 = 0;
    rtl::TColor TextColor = -1;  // colours of the match (-1: none)
    rtl::TColor BackColor = -1;

    bool operator==(const TKeywordRec&) const = default;
};

// The keyword texts with a TKeywordRec as the object of each item. Every change rebuilds the
// search index. Stored as "Strings": per keyword its text and the six integers of its record.
class TKeywordList : public rtl::TStringList, public classes::TPersistent {
    GW_CLASS(TKeywordList)

public:
    TKeywordList() = default;

    // Texts and records of another list, inside one update.
    void Assign(const rtl::TStrings& source) override;
    void Assign(const classes::TPersistent& source) override;
    void Assign(const TKeywordList& source) { Assign(static_cast<const rtl::TStrings&>(source)); }
    void DefineProperties(classes::TFiler& filer) override;

    int AddKeyword(const std::string& word, const TKeywordRec& record);
    // The record of item `index` (a default record, which never matches, when it has none).
    TKeywordRec Keyword(int index) const;
    void SetKeyword(int index, const TKeywordRec& record);

    TtmUpperCase CaseType() const noexcept { return caseType_; }
    // A different type rebuilds the index.
    void SetCaseType(TtmUpperCase type);

    // ---- The search index ----
    // Item `index` folded through the case type (only filled when some keyword is not
    // case-sensitive).
    const std::string& FoldedWord(int index) const { return folded_[static_cast<std::size_t>(index)]; }
    // The record of item `index` as Keyword answers it, without copying it out of the list
    // (parsing asks for every keyword in every paragraph).
    const TKeywordRec& IndexedRecord(int index) const;
    bool AnyCaseInsensitive() const noexcept { return anyCaseInsensitive_; }
    int LongestLength() const noexcept { return longest_; }

    // ---- Stored form: per keyword its text and six integers --------------------------------
    struct StoredItem {
        std::string Word;
        std::int64_t Values[6];
    };
    std::vector<StoredItem> StoredItems() const;
    // Clears the list first.
    void SetStoredItems(const std::vector<StoredItem>& items);

protected:
    void Changed() override;

private:
    void RebuildIndex();

    TtmUpperCase caseType_ = tmuAscii;
    std::vector<std::string> folded_;
    std::vector<TKeywordRec> records_;
    bool anyCaseInsensitive_ = false;
    int longest_ = 0;
};

// ---- Start/stop keys ------------------------------------------------------------------------
struct TStartStopKey {
    std::uint8_t Options = 0;  // koCaseSensitive, koWholeWord
    std::uint8_t Attr = 0;
    std::int32_t Context = 0;
    std::int16_t Attr16 = 0;
    rtl::TColor TextColor = -1;
    rtl::TColor BackColor = -1;
    std::string StartKey;  // as entered
    std::string StopKey;
    std::string FoldedStart;  // through the case function unless case-sensitive
    std::string FoldedStop;
    bool EndsAtParagraphEnd = false;  // the span also ends at the end of its paragraph
    int Link = -1;  // the nearest earlier pair with the same options and start key
    // Set by Prepare for whole-word pairs: which ends of the keys need a separator beside them.
    bool StartSepBefore = false, StartSepAfter = false;
    bool StopSepBefore = false, StopSepAfter = false;
};

// Stored as "Keys": per pair its start key, stop key, six integers and the end-of-paragraph
// flag.
class TStartStopKeyList : public classes::TPersistent {
    GW_CLASS(TStartStopKeyList)

public:
    TStartStopKeyList() = default;

    void Assign(const classes::TPersistent& source) override;
    void DefineProperties(classes::TFiler& filer) override;

    int Count() const noexcept { return static_cast<int>(keys_.size()); }
    const TStartStopKey& operator[](int index) const;

    int Add(const std::string& startKey, const std::string& stopKey, bool endsAtParagraphEnd,
            std::uint8_t attr, std::int32_t context, std::int16_t attr16, rtl::TColor textColor,
            rtl::TColor backColor, std::uint8_t options);
    void Clear();

    TtmUpperCase CaseType() const noexcept { return caseType_; }
    // Rebuilds every folded key from the keys as entered.
    void SetCaseType(TtmUpperCase type);

    int LongestStart() const noexcept { return longestStart_; }
    // At least 2 once a pair that ends at the paragraph end was added.
    int LongestStop() const noexcept { return longestStop_; }
    bool Prepared() const noexcept { return prepared_; }
    void Prepare(const TCharSet& separators);

    // The pair that takes over the span of pair `index` when it closes, -1 when none.
    int Successor(int index) const noexcept;

    // ---- Stored form "Keys": per pair start key, stop key, six integers, the flag ----------
    struct StoredItem {
        std::string StartKey;
        std::string StopKey;
        std::int64_t Values[6];
        bool EndsAtParagraphEnd;
    };
    std::vector<StoredItem> StoredItems() const;
    // Clears the list and adds every pair again.
    void SetStoredItems(const std::vector<StoredItem>& items);

private:
    void Fold(TStartStopKey& key) const;

    std::vector<TStartStopKey> keys_;
    TtmUpperCase caseType_ = tmuAscii;
    int longestStart_ = 0;
    int longestStop_ = 0;
    bool prepared_ = false;
};

}  // namespace editor
