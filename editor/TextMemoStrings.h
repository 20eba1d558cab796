#pragma once
// The string views of an editor: Paragraphs (one item per paragraph) and Lines (one item per
// display line). Both read and write the editor's text; Text, Clear, Assign, files and
// update counting act on the whole editor.

#include "platform/classes/Persistent.h"
#include "platform/rtl/StringList.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace editor {

class TTextMemo;

// Both a string list and a persistent object: the component text form writes the view's own
// "Strings" property (Lines.Strings) instead of one item per string.
class TTextMemoStrings : public rtl::TStrings, public classes::TPersistent {
public:
    explicit TTextMemoStrings(TTextMemo& memo) : memo_(memo) {}

    TTextMemo& Memo() const noexcept { return memo_; }
    classes::TPersistent* GetOwner() const override;

    // The whole text, paragraphs joined by CR LF (no break after the last).
    std::string Text() const override;
    // Replaces the whole text (the editor's reader: every line-break convention).
    void SetText(std::string_view text) override;
    void Clear() override;
    // Copies the text of `source` (its Text) into the editor.
    void Assign(const rtl::TStrings& source) override;
    void Assign(const classes::TPersistent& source) override;
    void Assign(const TTextMemoStrings& source) { Assign(static_cast<const rtl::TStrings&>(source)); }
    // The editor's own text format (a leading UTF-8 byte-order mark is skipped on reading).
    void LoadFromFile(const std::string& path) override;
    void SaveToFile(const std::string& path) const override;
    void LoadFromStream(std::istream& in);
    void SaveToStream(std::ostream& out) const;

    // The stored property "Strings": the pieces of every paragraph (none for an empty text),
    // and reading them back, each joined paragraph appended to the text.
    std::vector<std::string> StoredPieces() const;
    void ReadStoredPieces(const std::vector<std::string>& pieces);
    void DefineProperties(classes::TFiler& filer) override;

protected:
    void SetUpdateState(bool updating) override;

    TTextMemo& memo_;
};

// Item i is paragraph i; a last paragraph that is empty is not counted.
class TTextParaStrings : public TTextMemoStrings {
public:
    using TTextMemoStrings::TTextMemoStrings;

    std::string Get(int index) const override;
    int GetCount() const override;
    // Appends breaks until paragraph `index` exists, then replaces its text; the caret and
    // selection stay on the same text.
    void Put(int index, const std::string& s) override;
    // Before paragraph `index`; at or beyond the count the same as Add.
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    // Appends a paragraph (into the last one when that is empty, followed by a break).
    int Add(const std::string& s) override;
};

// Item i is display line i (formatted when it is asked for); a last display line that is
// empty is not counted.
class TTextLinesStrings : public TTextMemoStrings {
public:
    using TTextMemoStrings::TTextMemoStrings;

    std::string Get(int index) const override;
    int GetCount() const override;
    void Put(int index, const std::string& s) override;
    // Before display line `index`, followed by a break; at the count the same as Add; beyond
    // it nothing.
    void Insert(int index, const std::string& s) override;
    // The line's characters, with the following break when the line ends its paragraph.
    void Delete(int index) override;
    // As Paragraphs.Add, then the caret goes to the end of the text.
    int Add(const std::string& s) override;
};

}  // namespace editor
