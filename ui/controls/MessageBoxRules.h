#pragma once
// The message box's button table and size rules.
#include <string>
#include <vector>

// The seven buttons in result order: "确定", "取消", "是", "否", "终止", "重试", "忽略".
enum MessageBoxButton { kMsgOk = 0, kMsgCancel, kMsgYes, kMsgNo, kMsgAbort, kMsgRetry, kMsgIgnore, kMsgButtonCount };
const wchar_t* MessageBoxButtonText(int button);

// Buttons shown for a button type (1..6), left to right; type 2 ("确定") for
// an unknown type.
std::vector<int> MessageBoxVisibleButtons(int buttonType);
// The result when the box is closed without a button.
int MessageBoxClosedResult(int buttonType);

struct MessageBoxMetrics {
    int frameLeft = 0, frameRight = 0, frameTop = 0, frameBottom = 0;
    int iconWidth = 0, iconHeight = 0;  // 0 when there is no icon
    int textWidth = 0, textHeight = 0;
    int buttonWidth = 0, buttonHeight = 0;
    int buttonCount = 0;
};

struct MessageBoxLayoutResult {
    int width = 0, height = 0;
    // Relative to the box's top-left corner.
    int iconX = 0, iconY = 0, textX = 0, textY = 0;
    std::vector<int> buttonX;  // one per visible button
    int buttonY = 0;
};

// width = frame left + right + 10 + max(button row with 5-pixel gaps, icon + 5 + text);
// height = frame top + bottom + 10 + max(icon, text) + button height + 10.
MessageBoxLayoutResult MessageBoxLayout(const MessageBoxMetrics& m);

// The text's block: each '\n' starts a line, an empty line keeps its height,
// and a line wider than maxWidth wraps onto as many lines as it needs.
// Widths per character: asciiWidth below 128, otherWidth above.
struct MessageBoxTextBlock {
    int width = 0;  // the widest line, at most maxWidth
    int lines = 1;
};
MessageBoxTextBlock MeasureMessageBoxText(const std::wstring& text, int asciiWidth, int otherWidth, int maxWidth);
