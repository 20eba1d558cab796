#pragma once
// An external highlighter that takes part in an editor's parsing. The base marks nothing;
// a descendant overrides the hooks.

#include "editor/TextStore.h"

#include "platform/classes/Component.h"

#include <vector>

namespace editor {

class TTextMemo;

class TTextHighlighter : public classes::TComponent {
    GW_CLASS(TTextHighlighter)

public:
    explicit TTextHighlighter(classes::TComponent* owner) : classes::TComponent(owner) {}
    // Every editor that uses the highlighter is left without one.
    ~TTextHighlighter() override;

    // Called when the keywords of a paragraph are about to be parsed.
    virtual void ParseRange(TTextMemo& memo, int paragraph) { (void)memo; (void)paragraph; }
    // Called during start/stop-key parsing at each position outside any span (first hook)
    // and at each position where start keys are tried (second hook). A hook that marks
    // something answers true, fills `record` with the attributes of the run and `length`
    // with its byte length (at least 1); the run gets a style record and is skipped.
    virtual bool MatchOutsideSpan(TTextMemo& memo, int paragraph, int offset, TStyleRec& record, int& length);
    virtual bool MatchStartKey(TTextMemo& memo, int paragraph, int offset, TStyleRec& record, int& length);

    const std::vector<TTextMemo*>& Editors() const noexcept { return editors_; }

private:
    friend class TTextMemo;
    std::vector<TTextMemo*> editors_;
};

}  // namespace editor
