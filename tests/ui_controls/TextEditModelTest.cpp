// Editing rules of the text edit.
#include <gtest/gtest.h>

#include "controls/TextEditModel.h"

namespace {

TextEditModel Typed(const std::wstring& text, int maxLength = 0) {
    TextEditModel m;
    m.SetMetrics(7, 14, 70);
    m.SetMaxLength(maxLength);
    for (wchar_t ch : text) m.OnChar(ch, false);
    return m;
}

}  // namespace

TEST(TextEdit, MaximumLengthIgnoresTheFifthCharacter) {
    TextEditModel m = Typed(L"abcd", 4);
    EXPECT_EQ(m.Text(), L"abcd");
    EXPECT_EQ(m.OnChar(L'e', false), 0);
    EXPECT_EQ(m.OnChar(L'\x4E2D', true), 0);
    EXPECT_EQ(m.Text(), L"abcd");
    // With a selection the typed character replaces it.
    m.SetSelection(1, 3);
    EXPECT_EQ(m.OnChar(L'x', false), 1);
    EXPECT_EQ(m.Text(), L"axd");
}

TEST(TextEdit, CharacterSourcesAndModes) {
    TextEditModel m = Typed(L"");
    EXPECT_EQ(m.OnChar(L'\x4E2D', false), 0);  // WM_CHAR: printable ASCII only
    EXPECT_EQ(m.OnChar(L'\t', false), 0);
    EXPECT_EQ(m.OnChar(13, false), 0);
    EXPECT_EQ(m.OnChar(27, true), 0);
    EXPECT_EQ(m.OnChar(L'\x4E2D', true), 1);  // WM_IME_CHAR: anything printable
    EXPECT_EQ(m.Text(), L"\x4E2D");
    m.SetPassword(true);
    EXPECT_EQ(m.OnChar(L'\x6587', true), 0);  // password: ASCII only, also from the IME
    EXPECT_EQ(m.OnChar(L'p', true), 1);
    EXPECT_EQ(m.DisplayText(), L"**");
    m.SetReadOnly(true);
    EXPECT_EQ(m.OnChar(L'q', false), 0);
    EXPECT_EQ(m.OnChar(8, false), 0);
    EXPECT_EQ(m.OnKeyDown(TextEditModel::kKeyDelete), 0);
    EXPECT_EQ(m.Paste(L"zz"), 0);
}

TEST(TextEdit, BackspaceAndDeleteWithAndWithoutSelection) {
    TextEditModel m = Typed(L"hello");
    EXPECT_EQ(m.OnChar(8, false), 1);
    EXPECT_EQ(m.Text(), L"hell");
    EXPECT_EQ(m.Caret(), 4);
    m.SetSelection(1, 3);
    EXPECT_EQ(m.OnChar(8, false), 1);
    EXPECT_EQ(m.Text(), L"hl");
    EXPECT_EQ(m.Caret(), 1);
    EXPECT_EQ(m.OnKeyDown(TextEditModel::kKeyDelete), 1);
    EXPECT_EQ(m.Text(), L"h");
    EXPECT_EQ(m.OnKeyDown(TextEditModel::kKeyDelete), 0);  // nothing after the caret
    m.OnKeyDown(TextEditModel::kKeyHome);
    EXPECT_EQ(m.OnChar(8, false), 0);  // nothing before the caret
    m.SetText(L"abcdef");
    m.SetSelection(4, 1);  // backwards selection
    EXPECT_EQ(m.OnKeyDown(TextEditModel::kKeyDelete), 1);
    EXPECT_EQ(m.Text(), L"aef");
}

TEST(TextEdit, CaretKeys) {
    TextEditModel m = Typed(L"abc");
    m.OnKeyDown(TextEditModel::kKeyLeft);
    EXPECT_EQ(m.Caret(), 2);
    m.OnKeyDown(TextEditModel::kKeyHome);
    EXPECT_EQ(m.Caret(), 0);
    m.OnKeyDown(TextEditModel::kKeyLeft);
    EXPECT_EQ(m.Caret(), 0);
    m.OnKeyDown(TextEditModel::kKeyEnd);
    EXPECT_EQ(m.Caret(), 3);
    m.OnKeyDown(TextEditModel::kKeyRight);
    EXPECT_EQ(m.Caret(), 3);
    m.OnChar(L'X', false);
    m.OnKeyDown(TextEditModel::kKeyHome);
    m.OnChar(L'Y', false);
    EXPECT_EQ(m.Text(), L"YabcX");
}

TEST(TextEdit, ShiftKeysExtendTheSelection) {
    TextEditModel m = Typed(L"abcdef");
    m.OnKeyDown(TextEditModel::kKeyLeft, true);
    m.OnKeyDown(TextEditModel::kKeyLeft, true);
    EXPECT_EQ(m.SelectionStart(), 4);
    EXPECT_EQ(m.SelectionEnd(), 6);
    m.OnKeyDown(TextEditModel::kKeyHome, true);
    EXPECT_EQ(m.SelectionStart(), 0);
    EXPECT_EQ(m.SelectionEnd(), 6);  // the anchor stays where the selection began
    m.OnKeyDown(TextEditModel::kKeyRight, false);
    EXPECT_FALSE(m.HasSelection());
    EXPECT_EQ(m.Caret(), 6);
}

TEST(TextEdit, CopyPasteSelectAll) {
    TextEditModel m = Typed(L"secret");
    std::wstring out;
    ASSERT_EQ(m.Copy(&out), 1);
    EXPECT_EQ(out, L"secret");  // nothing selected: the whole text
    m.SetSelection(1, 4);
    m.Copy(&out);
    EXPECT_EQ(out, L"ecr");
    EXPECT_EQ(m.Paste(L"X\r\nY"), 1);  // control characters dropped
    EXPECT_EQ(m.Text(), L"sXYet");
    m.SelectAll();
    EXPECT_EQ(m.SelectionStart(), 0);
    EXPECT_EQ(m.SelectionEnd(), 5);
    EXPECT_EQ(m.Paste(L"new"), 1);
    EXPECT_EQ(m.Text(), L"new");
    m.SetPassword(true);
    EXPECT_EQ(m.Copy(&out), 0);
    TextEditModel limited = Typed(L"ab", 4);
    EXPECT_EQ(limited.Paste(L"123456"), 1);
    EXPECT_EQ(limited.Text(), L"ab12");  // cut to the maximum length
    limited.SetText(L"");
    limited.SetPassword(true);
    limited.Paste(L"a\x4E2D" L"b");
    EXPECT_EQ(limited.Text(), L"ab");
}

TEST(TextEdit, ScrollsByVisibleIndex) {
    TextEditModel m = Typed(L"");  // 70 pixels: ten ASCII characters
    for (int i = 0; i < 10; ++i) m.OnChar(L'a', false);
    EXPECT_EQ(m.FirstVisible(), 0);
    EXPECT_EQ(m.VisibleCount(), 10);
    m.OnChar(L'b', false);
    EXPECT_EQ(m.FirstVisible(), 1);
    EXPECT_LE(m.OffsetOf(m.Caret()), 70);
    m.OnKeyDown(TextEditModel::kKeyHome);
    EXPECT_EQ(m.FirstVisible(), 0);
    m.OnKeyDown(TextEditModel::kKeyEnd);
    EXPECT_EQ(m.FirstVisible(), 1);
    // Wide characters take two steps of the window at a time.
    TextEditModel wide;
    wide.SetMetrics(7, 14, 70);
    for (int i = 0; i < 5; ++i) wide.OnChar(L'\x4E2D', true);
    EXPECT_EQ(wide.FirstVisible(), 0);
    wide.OnChar(L'\x4E2D', true);
    EXPECT_EQ(wide.FirstVisible(), 2);
    EXPECT_LE(wide.OffsetOf(wide.Caret()), 70);
    // Backspacing into the left edge scrolls back.
    for (int i = 0; i < 5; ++i) wide.OnChar(8, false);
    EXPECT_LE(wide.FirstVisible(), wide.Caret());
    EXPECT_EQ(wide.IndexAt(0), wide.FirstVisible());
}

TEST(TextEdit, SetTextRespectsMaximumAndClickPosition) {
    TextEditModel m;
    m.SetMetrics(7, 14, 200);
    m.SetMaxLength(3);
    m.SetText(L"abcdef");
    EXPECT_EQ(m.Text(), L"abc");
    EXPECT_EQ(m.Caret(), 3);
    EXPECT_EQ(m.IndexAt(0), 0);
    EXPECT_EQ(m.IndexAt(4), 1);  // past half of the first character
    EXPECT_EQ(m.IndexAt(500), 3);
}
