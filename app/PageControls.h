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

// A drop-down choice: dark raised field and rows, a hairline frame, the
// accent on the selected row.
inline void StyleChoice(CDUI_ComboBox* combo) {
    if (!combo) return;
    CDUI_UIControl* parts[] = {combo, combo->GetEdit(), combo->GetList()};
    for (CDUI_UIControl* part : parts) {
        if (!part) continue;
        part->SetBackColor(kRaised);
        part->SetTextColor(kText);
        part->SetBorder(1);
        part->SetBorderColors(kHairline, kRaised);
    }
    if (CDUI_ListBox* list = combo->GetList()) {
        list->SetSelectionColors(kAccent, kHairline, kOnAccent);
        list->SetRowHeight(30);  // rows as roomy as the field they drop from
        StyleScrollBar(list->GetScrollBar());
    }
}

}  // namespace pagelook
