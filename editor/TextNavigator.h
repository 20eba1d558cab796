#pragma once
// A navigator is a cursor into an editor's text: it translates between an absolute offset, a
// paragraph, a display line and a style record, and caches what it has looked up so that
// sequential movement stays cheap. Every navigator is registered with its editor, which moves
// it when text is replaced in front of it.

#include "editor/TextStore.h"

#include "platform/classes/Component.h"

#include <functional>
#include <string>

namespace editor {

class TTextMemo;

class TTextNavigator {
public:
    explicit TTextNavigator(TTextMemo& memo);
    // Raises "Internal error: component is not a TTextMemo" for any other component.
    explicit TTextNavigator(classes::TComponent* owner);
    ~TTextNavigator();
    TTextNavigator(const TTextNavigator&) = delete;
    TTextNavigator& operator=(const TTextNavigator&) = delete;

    TTextMemo* Memo() const noexcept { return memo_; }

    int Offset() const noexcept { return offset_; }
    // Moves to an absolute offset (clamped to the text). Inside the cached paragraph the
    // cached line and style indexes are kept as starting points when moving forward.
    void SetOffset(int offset);
    // Forgets the paragraph and everything cached.
    void Reset();

    // The paragraph of the offset (an offset at a paragraph's CR or LF belongs to it).
    int Paragraph();
    TParagraphRec& ParagraphRec();
    // Offset within the paragraph: 0 .. length + 1.
    int ParOffset();

    // Moves to the start of a global display line (clamped to the existing lines).
    void SetLine(int line);
    // Display line within the paragraph, and the global display line.
    int ParLine();
    int Line();

    // The style record in force (the last one below the offset; -1: the paragraph's start
    // state) and the record itself.
    int StyleIndex();
    const TStyleRec& Style();
    // Move to the offset of the next / previous style record, across paragraphs; false (and
    // no move) when there is none.
    bool NextStyle();
    bool PrevStyle();
    // Inserts a style record at the offset (its Offset field is set here); removes the record
    // that starts at the offset ("Internal TextMemo error" when none does).
    void InsertStyle(const TStyleRec& record);
    void RemoveStyle();

    // The character at the offset: CR at the paragraph's length, LF one after.
    char CharAt();
    // `count` characters from the offset on, CR LF at each paragraph end (clipped to the text).
    std::string CopyText(int count);

    TLinesList Lines() { return TLinesList(ParagraphRec()); }

    // Copies position and caches of another navigator of the same editor.
    void Assign(const TTextNavigator& other);

    // Drops the cached display-line index (after re-wrapping) / everything but the offset.
    void DropLineCache() noexcept { line_ = kNotComputed; }
    void DropCaches() noexcept;

    // Called with the navigator when it is destroyed.
    std::function<void(TTextNavigator&)> OnDestroy;

private:
    friend class TTextMemo;
    TTextMemo* memo_;
    int offset_ = 0;
    int par_ = -1;
    int parOffset_ = 0;
    int style_ = kNotComputed;
    int line_ = kNotComputed;  // within the paragraph
};

}  // namespace editor
