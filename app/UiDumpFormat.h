#pragma once
// The inspection dump's text: one line per control, UTF-8, tab-separated
//   id kind style x y width height visible enabled checked text
// x and y in logical units (the window's client pixels over the drawing
// scale, which the file's first line "# scale S" gives); visible 1 only when the control and
// every ancestor are shown; checked 1 for a selected option button, checked
// check box or pushed push button. In the text a backslash is written "\\",
// a tab "\t", a line feed "\n" and a carriage return "\r", so every control
// stays on one line and the fields split at tabs. Kept free of <windows.h>.
#include <cstdint>
#include <string>
#include <string_view>

struct UiDumpRow {
    int32_t id = 0;
    std::wstring kind;
    std::wstring style;
    int32_t x = 0, y = 0, width = 0, height = 0;
    int visible = 0;
    int enabled = 0;
    int checked = 0;
    std::wstring text;
};

// Tabs, line breaks and backslashes written as escapes.
std::wstring EscapeDumpText(std::wstring_view text);
// One line, with its "\n", in UTF-8.
std::string FormatDumpLine(const UiDumpRow& row);
// UTF-16 (with surrogate pairs) to UTF-8; a lone surrogate becomes U+FFFD.
std::string DumpUtf8(std::wstring_view text);
