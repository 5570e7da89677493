#include "MessageBoxRules.h"

#include <algorithm>

const wchar_t* MessageBoxButtonText(int button) {
    static const wchar_t* const kTexts[kMsgButtonCount] = {L"确定", L"取消", L"是", L"否", L"终止", L"重试", L"忽略"};
    return button >= 0 && button < kMsgButtonCount ? kTexts[button] : L"";
}

std::vector<int> MessageBoxVisibleButtons(int buttonType) {
    switch (buttonType) {
        case 1: return {kMsgAbort, kMsgRetry, kMsgIgnore};
        case 3: return {kMsgOk, kMsgCancel};
        case 4: return {kMsgRetry, kMsgCancel};
        case 5: return {kMsgYes, kMsgNo};
        case 6: return {kMsgCancel, kMsgYes, kMsgNo};
        default: return {kMsgOk};
    }
}

int MessageBoxClosedResult(int buttonType) {
    switch (buttonType) {
        case 1: return kMsgAbort;
        case 3:
        case 4:
        case 6: return kMsgCancel;
        case 5: return kMsgNo;
        default: return kMsgOk;
    }
}

MessageBoxLayoutResult MessageBoxLayout(const MessageBoxMetrics& m) {
    MessageBoxLayoutResult r;
    const int n = std::max(0, m.buttonCount);
    const int row = n > 0 ? n * m.buttonWidth + (n - 1) * 5 : 0;
    const int iconPart = m.iconWidth > 0 ? m.iconWidth + 5 : 0;
    const int content = std::max(row, iconPart + m.textWidth);
    const int upper = std::max(m.iconHeight, m.textHeight);
    r.width = m.frameLeft + m.frameRight + 10 + content;
    r.height = m.frameTop + m.frameBottom + 10 + upper + m.buttonHeight + 10;
    r.iconX = m.frameLeft + 5;
    r.iconY = m.frameTop + 5;
    r.textX = r.iconX + iconPart;
    r.textY = r.iconY + (upper - m.textHeight) / 2;
    r.buttonY = r.iconY + upper + 5;
    // The button row centred under the content.
    int x = m.frameLeft + 5 + (content - row) / 2;
    for (int i = 0; i < n; ++i) {
        r.buttonX.push_back(x);
        x += m.buttonWidth + 5;
    }
    return r;
}

MessageBoxTextBlock MeasureMessageBoxText(const std::wstring& text, int asciiWidth, int otherWidth, int maxWidth) {
    MessageBoxTextBlock block;
    block.lines = 0;
    maxWidth = std::max(1, maxWidth);
    long long line = 0;
    auto endLine = [&] {
        block.width = static_cast<int>(std::max<long long>(block.width, std::min<long long>(line, maxWidth)));
        block.lines += static_cast<int>(std::max<long long>(1, (line + maxWidth - 1) / maxWidth));
        line = 0;
    };
    for (wchar_t c : text) {
        if (c == L'\r') continue;
        if (c == L'\n') {
            endLine();
            continue;
        }
        line += c < 128 ? asciiWidth : otherWidth;
    }
    endLine();
    return block;
}
