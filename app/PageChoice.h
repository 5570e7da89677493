#pragma once
// The product look of a drop-down choice, shared by every page that has one:
// dark raised field and rows, a hairline frame, the accent on the selected row.
#include "PageLook.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_TextEdit.h"

namespace pagelook {

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
    }
}

}  // namespace pagelook
