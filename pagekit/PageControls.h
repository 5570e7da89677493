#pragma once
// The product look of the engine's plain controls, shared by the pages, so
// a scroll bar or a drop-down reads the same on every page.
#include "PageLook.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_ScrollBar.h"
#include "controls/DUI_TextEdit.h"

namespace pagelook {

// A slim dark track with a lighter thumb, instead of the skin's grey.
inline void StyleScrollBar(CDUI_ScrollBar* bar) {
    if (!bar) return;
    bar->SetBackColor(kRaised);
    bar->SetThumbColor(0xFF3A4558);
}

// An input field: dark raised ground, primary text, a hairline frame.
inline void StyleInput(CDUI_UIControl* input) {
    if (!input) return;
    input->SetBackColor(kRaised);
    input->SetTextColor(kText);
    input->SetBorder(1);
    input->SetBorderColors(kHairline, kRaised);
}

// A drop-down choice: fields and rows as inputs, the accent on the selected row.
inline void StyleChoice(CDUI_ComboBox* combo) {
    if (!combo) return;
    StyleInput(combo);
    StyleInput(combo->GetEdit());
    StyleInput(combo->GetList());
    if (CDUI_ListBox* list = combo->GetList()) {
        list->SetSelectionColors(kAccent, kHairline, kOnAccent);
        list->SetRowHeight(30);  // rows as roomy as the field they drop from
        StyleScrollBar(list->GetScrollBar());
    }
}

}  // namespace pagelook
