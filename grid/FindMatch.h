#pragma once
// Finding the first record whose value in one field matches a search text: exactly, at the
// start of the value, or anywhere in it, with or without regard to letter case.
//
// Promises:
// - No fixed buffers: search texts and memo values of any length are compared whole.
// - A memo holding rich text is compared in its plain text, read by a hidden rich-text reader
//   (CellControls.h) made for the search and freed after it; without one, as stored.
// - The scan steps with Next; controls are held while it runs and given back, the cursor
//   is set back, and the data set returns to the record it was on when nothing matched,
//   also when the scan raises (the exception then goes on).
// - An exact search on a float or currency field compares the numbers as doubles when the
//   search text is a number ("12.50" finds 12.5); on a BCD field as exact decimals.
// - An unknown field: the warning "Field <name> not found." and False; nothing moves.
// - A table (db::TADOTable not opened from query lines) ordered by the searched field answers
//   an exact search with FindKey and a start search on a text field with FindNearest, when
//   the order's letter-case rule is the search's (else it is scanned); a start search whose
//   nearest record does not match leaves the table on the record it was on.

#include <cstdint>
#include <string>

namespace db {
class TDataSet;
class TField;
}  // namespace db

namespace grid {

class IgkRichTextReader;

enum : std::uint8_t { mtExactMatch = 0, mtPartialMatchStart = 1, mtPartialMatchAny = 2 };

// Whether `value` matches `searchText` (already upper-cased by the caller when not
// case-sensitive; `value` is upper-cased here then). An empty search text matches at the
// start and anywhere; an unknown match type never matches.
bool gkValueMatches(const std::string& value, const std::string& searchText, std::uint8_t matchType,
                    bool caseSensitive);
// The same rules on a memo's text: its plain text read through `reader` when one is given
// (rich text), else the field's text.
bool gkMemoMatches(db::TField& field, const std::string& searchText, IgkRichTextReader* reader, bool caseSensitive,
                   std::uint8_t matchType);
// True for a table ordered by an index that counts letter case (every index here does).
bool gkIndexIsCaseSensitive(const db::TDataSet& dataSet);
// Float, currency and BCD fields.
bool gkIsFloatField(const db::TField* field);

// Searches `dataSet` (from the first record, or from the record after the current one) and
// makes the first match current; True when one was found. Data sets whose class descends
// from "TCustomADODataSet" (while the global texts' ADO.UseLocateWhenFindingValue is set), or
// any with `useLocate`, answer a search from the first record for an exact or start match on
// a data field with their own Locate.
bool gkFindMatch(bool fromBeginning, db::TDataSet& dataSet, const std::string& fieldName,
                 const std::string& searchText, std::uint8_t matchType, bool caseSensitive, bool useLocate);
// True at once when the field's current text equals `searchText` (as is with
// `caseSensitive`, else both lower-cased); otherwise gkFindMatch from the first record.
bool gkFindMatchInField(db::TDataSet& dataSet, const std::string& searchText, const std::string& fieldName,
                        bool caseSensitive, std::uint8_t matchType);

}  // namespace grid
