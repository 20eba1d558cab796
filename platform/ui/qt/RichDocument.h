#pragma once
// The rich-text document over a QTextDocument: editing, undo, layout and painting are Qt's;
// the RTF model maps onto its blocks and fragments. The exact values of the model (twips,
// half points, the font's RTF family and character set) ride along as properties of the
// formats, so a loaded model saves back unchanged; an object or picture is an image of a
// placeholder box carrying the object's bytes.

#include <QTextDocument>

#include "platform/ui/RichDocument.h"

namespace ui::qt {

class TQtRichDocument : public IRichDocument {
public:
    TQtRichDocument();
    QTextDocument& Document() noexcept { return doc_; }

    void Load(const rtf::Document& document) override;
    rtf::Document Save() const override;
    rtf::Document SaveRange(int start, int length) const override;
    int ReplaceRange(int start, int length, const rtf::Document& document) override;
    int ReplaceText(int start, int length, const std::string& text) override;
    int Length() const override;
    std::string Text() const override;
    std::string TextRange(int start, int length) const override;
    int ParagraphCount() const override;
    std::string Paragraph(int index) const override;
    int ParagraphStart(int index) const override;
    int ParagraphAt(int position) const override;
    int Find(const std::string& text, int start, int end, bool matchCase, bool wholeWord) const override;
    void ApplyChars(int start, int length, const TRichCharChange& change) override;
    TRichCharState CharsAt(int start, int length) const override;
    void ApplyParagraphs(int start, int length, const TRichParaChange& change) override;
    rtf::ParaFormat ParagraphFormat(int position) const override;
    bool CanUndo() const override { return doc_.isUndoAvailable(); }
    bool CanRedo() const override { return doc_.isRedoAvailable(); }
    void Undo() override { doc_.undo(); }
    void Redo() override { doc_.redo(); }
    void MarkLinks(bool on) override;
    void SetMargins(int left, int top, int right, int bottom) override;

private:
    // Writes `document` at the cursor position `at`; answers the end.
    int Insert(int at, const rtf::Document& document, bool firstIntoCurrent);
    rtf::Document SaveBetween(int start, int end) const;
    int Clip(int position) const;

    mutable QTextDocument doc_;  // cursors reading it need it non-const
    // The tables of the last model loaded; saving maps formats onto them.
    std::vector<rtf::Font> fonts_;
    std::vector<rtf::Color> colors_;
    bool links_ = false;
    int margins_[4] = {0, 0, 0, 0};  // left, top, right, bottom
};

}  // namespace ui::qt
