#pragma once
// TMemoKeyboard: the keyboard side of TTextMemo. A key press is decoded by the key map
// (MemoKeyMap.h) into a named action for the editor's mode, and each action is one short
// function: caret moves and selections by keys, column-block corners, deletion, the hot keys,
// the clipboard keys and the Insert key. Characters (KeyPress and code points from the
// window) are typed here too, with Enter's auto-indent and the control characters.
//
// The keyboard keeps the key-released mark (auto-repeat updates the window at once); the
// rest of the state it works on is the editor's.

#include "editor/MemoKeyMap.h"

#include "platform/ui/Types.h"

#include <string>

namespace editor {

class TTextMemo;

class TMemoKeyboard {
public:
    explicit TMemoKeyboard(TTextMemo& memo) : memo_(memo) {}

    // After the inherited handling: decodes the key and runs its action (the key becomes 0
    // when the editor took it).
    void KeyDown(ui::TKey& key, ui::TShiftState shift);
    // A key came up: the next character is not an auto-repeat.
    void NoteKeyReleased() noexcept { keyReleased_ = true; }
    // After the inherited handling of a key coming up.
    void KeyUp(ui::TKey key);
    void TypeCharacter(char32_t code);

private:
    using TActionFn = bool (TMemoKeyboard::*)();
    struct TActionEntry {
        TMemoAction action;
        TActionFn run;
    };
    static const TActionEntry kActions[];

    bool Run(TMemoAction action);
    bool HotKeysApply() const noexcept;
    bool BlockKeysApply() const noexcept;
    void Finish();

    // Display only.
    bool ViewHome();
    bool ViewEnd();
    bool ViewTop();
    bool ViewPageUp();
    bool ViewBottom();
    bool ViewPageDown();
    bool ViewLineUp();
    bool ViewLineDown();
    bool ViewLeft();
    bool ViewRight();
    int WidestEnd() const noexcept;
    // Hot keys.
    bool Bold();
    bool Italic();
    bool Underline();
    bool Highlight();
    bool AltFont();
    bool InsertTab();
    bool PageBreak();
    bool Undo();
    bool Redo();
    // Column block corners.
    bool BlockLeft();
    bool BlockRight();
    bool BlockUp();
    bool BlockDown();
    void MoveBlockCorner(int columnStep, int paragraphStep);
    // Moves.
    bool Ignore();
    bool CharLeft();
    bool WordLeft();
    bool CharRight();
    int StepBack(int from) const;
    int StepForward(int from) const;
    bool IsCodeAt(int offset) const;
    bool WordRight();
    bool LineUp();
    bool LineDown();
    bool LineStart();
    bool LineEnd();
    bool TextStart();
    bool TextEnd();
    bool PageUp();
    bool PageDown();
    void HomeEndMove(int position);
    int PrevWordStart(int pos) const;
    int NextWordStart(int pos) const;
    bool IsWordBreak(int offset) const;
    // Edits and the clipboard.
    bool TypeTab();
    bool Backspace();
    bool Delete();
    bool Copy();
    bool Paste();
    bool ToggleOverwrite();
    // Deletion.
    void DeleteKey(bool backspace);
    void DeleteToLineEnd();
    void DeleteKeepingColumn(bool backspace);
    int ColumnInLine(int offset);
    void SelectBackward();
    void SelectWordBackward();
    void SelectCharBackward();
    void BackIndent();
    int LeadingBlanks(int line) const;
    void SelectForward();
    // Characters.
    void ControlCharacter(char32_t code);
    void Enter();
    void EnterOverwrite();
    std::string AutoIndent();
    void TypePrintable(char32_t code);
    void TypeText(const std::string& text);

    TTextMemo& memo_;
    bool ctrl_ = false;
    bool shift_ = false;
    bool alt_ = false;
    int paragraph_ = 0;  // the caret's paragraph when the key came
    int caretLine_ = 0;  // the caret's display line when the key came
    bool keyReleased_ = true;
};

}  // namespace editor
