#pragma once
// TgkDTTyping: the date-time picker's keyboard editing. It keeps the current part and the
// digits typed into it, decodes editing keys into named actions (one short function each),
// and changes the value part by part through the picker: digits with their checks, letters of
// month and day names and of AM/PM, Up/Down steps, Home/End, Delete and Backspace, the
// clipboard, and the characters of KeyPress (+, -, Space, Enter, Esc, separators).
//
// Promises:
// - A typed digit that fails its check beeps and changes nothing; the digits of a part are
//   applied when it is complete, when the part is left, or on Enter.
// - Every change marks the picker modified and shows the current part selected.

#include <string>

#include "editctrls/gkDTFormat.h"
#include "editctrls/gkDTValue.h"
#include "platform/ui/Types.h"

namespace editctrls {

class TgkDBCustomDateTimePicker;

// What an editing key asks for.
enum class TDTKeyAction { None, PartLeft, PartRight, ShiftRight, SelectWhole, StepUp, StepDown, Home, End, Clear, Back,
                          SpaceRight, Digit, Letter };
// The action of `key` with `shift` (Shift changes Left, Right, Home and End).
TDTKeyAction DecodeEditKey(ui::TKey key, ui::TShiftState shift);

class TgkDTTyping {
public:
    TgkDTTyping(TgkDBCustomDateTimePicker& picker, TgkDTValue& value) : p_(picker), v_(value) {}

    int Part() const noexcept { return part_; }
    void SetPart(int part) noexcept { part_ = part; }
    bool Pending() const noexcept { return pending_; }
    // Drops the digits typed and not yet applied.
    void Forget()
    {
        pending_ = false;
        typed_.clear();
    }
    // Applies the digits typed into the current part.
    void Commit();

    // An editing key (the picker allows editing and the data set is in edit mode); `key`
    // becomes 0 when it was used up.
    void EditKey(ui::TKey& key, ui::TShiftState shift);
    // A character KeyPress passes on (the user's handler and the field's check passed).
    void CharKey(char c);

    void Cut();
    void Paste(const std::string& text);
    void PartLeft();
    void PartRight();
    void StepPart(int direction);

private:
    // The current part with the value taken apart.
    struct TAt {
        TDTPart Part;
        TDTPartType Type = TDTPartType::None;
        TDTFields F;
        bool AmPm = false;
    };
    bool Locate(TAt& at) const;

    void Perform(TDTKeyAction action, ui::TKey key);
    void BackKey();
    void GiveEmptyValue(bool digit);
    void ApplyDate(rtl::TDateTime date, const TDTFields& f);
    void Changed();

    // Steps.
    // False when the step would leave years 1 to 9999.
    bool StepDatePart(const TAt& at, int dir);
    void HomeEnd(bool end);
    rtl::TDateTime HomeEndDate(const TAt& at, bool end) const;
    void HomeEndTime(const TAt& at, bool end);

    // Digits.
    void TypeDigit(int digit);
    void TypeShortYear(const TAt& at, int digit);
    void TypeLongYear(const TAt& at, int digit);
    void TypeFirstDigit(const TAt& at, int digit);
    bool CheckAndApply(const TAt& at, int v);
    bool ApplyTypedDay(const TAt& at, int v);
    bool ApplyTypedMonth(const TAt& at, int v);
    bool ApplyTypedYear(const TAt& at, int v);
    bool ApplyTypedHour(const TAt& at, int v);
    void FinishTyping();
    void ShowTyped(const TAt& at);
    bool ApplyCommitted(const TDTPart& part, const std::string& digits);

    // Letters.
    void TypeLetter(char letter);
    bool TypeMonthLetter(const TAt& at, char letter);
    bool TypeWeekdayLetter(const TAt& at, char letter);
    void TypeAmPmLetter(const TAt& at, char letter);

    // Delete and Backspace.
    void ClearValue();
    void DropTypedDigit();
    void ClearTo(rtl::TDateTime kept, bool clearDate);

    // KeyPress.
    void TypeNow();
    void EnterKey();
    void EscapeKey();

    TgkDBCustomDateTimePicker& p_;
    TgkDTValue& v_;
    int part_ = 1;
    bool pending_ = false;
    std::string typed_;
};

}  // namespace editctrls
