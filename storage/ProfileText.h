#pragma once
// The text forms of profile-file values and record-table names. Plain
// functions without <windows.h>, so the encodings are testable on their own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace profiletext {

// Booleans: written "true"/"false" by record tables, "TRUE"/"FALSE" by the
// settings file; read back as true only for "true" or "1" in any letter case.
int ParseBool(std::wstring_view text);

// Decimal text to a signed 32-bit integer the way the C runtime's
// text-to-integer conversion reads it: leading blanks, an optional sign,
// digits up to the first non-digit; empty or no digits give 0. Values out of
// range saturate instead of overflowing.
int32_t ParseInt(std::wstring_view text);
int64_t ParseInt64(std::wstring_view text);
// Unsigned decimal, as the C runtime's unsigned conversion (base 10) reads it:
// a leading "-" negates modulo 2^32; out of range saturates at 0xFFFFFFFF.
uint32_t ParseUnsigned(std::wstring_view text);

// Record sections are "RID_" + the number in decimal, without leading zeros.
std::wstring RecordSectionName(uint32_t recordNumber);
// The record number a section name stands for, or 0 when it is not a record:
// the text before the first "_" must be exactly "RID" and the text after it
// only decimal digits (leading zeros allowed, so "RID_007" is 7) with a value
// from 1 to 2^31-1. Number 0 never names a record; it is refused so that a
// hand-made "RID_x" section cannot show up as a phantom record.
uint32_t RecordNumberOfSection(std::wstring_view sectionName);

// The comma-joined list of section names from the NUL-separated buffer of the
// profile function (n characters, the last name's NUL included in n).
std::wstring JoinSectionNames(const wchar_t* buffer, size_t n);
// Splits at every ","; empty pieces are dropped.
std::vector<std::wstring> SplitList(std::wstring_view text, wchar_t separator = L',');

// A value stored in a profile file must stay on its line: a CR or LF would
// end the line early and let the rest be read as other keys or sections.
// Line breaks become blanks.
std::wstring OneLine(std::wstring_view value);

// Column value types of record tables.
enum ColumnType : int {
    kColumnInt = 0,       // signed 32-bit, decimal
    kColumnInt32 = 1,     // the same as type 0
    kColumnLong = 2,      // signed long, decimal
    kColumnUnsigned = 3,  // unsigned 32-bit, unsigned decimal
    kColumnText = 4,      // text, unchanged
    kColumnBool = 5,      // "true" / "false"
    kColumnReal = 6,      // single-precision real, 4 decimals, no reader
};

// One value of a record, passed in column order.
using ColumnValue = std::variant<int32_t, int64_t, uint32_t, std::wstring, float>;

// The stored text of a value in the form of the column's type. A value of
// another kind is converted sensibly (a number for a text column is written
// in decimal, a text for a number column is parsed first).
std::wstring FormatColumnValue(int columnType, const ColumnValue& value);

// Fixed-width, zero-terminated text fields of the in-memory records: a text
// longer than the field holds is cut to width - 1 characters (never in the
// middle of a surrogate pair).
template <size_t N>
void CopyToField(wchar_t (&field)[N], std::wstring_view text) {
    size_t n = std::min(text.size(), N - 1);
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    std::fill(field, field + N, L'\0');
    text.copy(field, n);
}

// The text of a field, up to its terminator (or its width when it has none).
template <size_t N>
std::wstring FieldText(const wchar_t (&field)[N]) {
    return std::wstring(field, std::find(field, field + N, L'\0'));
}

}  // namespace profiletext
