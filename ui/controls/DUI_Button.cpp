#include "controls/DUI_Button.h"

#include <algorithm>

#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_UICollection.h"
#include "controls/DUI_Factory.h"
#include "skin/DUI_UIResource.h"

namespace {

bool Active(int32_t state) { return state == DUI_STATE_HOVER || state == DUI_STATE_RELEASED; }

}  // namespace

CDUI_Button* CDUI_UIResource::CreateButton(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                           int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_Button, CDUI_Button_Style>(this, L"Button", style, id, text, x, y, width, height,
                                   [](CDUI_Button* c) { c->UpdateLook(); });
}

CDUI_PushButton* CDUI_UIResource::CreatePushButton(int32_t id, const std::wstring& style, const std::wstring& text,
                                                   int32_t x, int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_PushButton, CDUI_PushButton_Style>(this, L"PushButton", style, id, text, x, y, width, height,
                                   [](CDUI_PushButton* c) { c->UpdateLook(); });
}

CDUI_OptionButton* CDUI_UIResource::CreateOptionButton(int32_t id, const std::wstring& style,
                                                       const std::wstring& text, int32_t x, int32_t y, int32_t width,
                                                       int32_t height) {
    return DUI_BuildPlaced<CDUI_OptionButton, CDUI_OptionButton_Style>(this, L"OptionButton", style, id, text, x, y, width, height,
                                   [](CDUI_OptionButton* c) { c->UpdateLook(); });
}

CDUI_CheckBox* CDUI_UIResource::CreateCheckBox(int32_t id, const std::wstring& style, const std::wstring& text,
                                               int32_t x, int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_CheckBox, CDUI_CheckBox_Style>(this, L"CheckBox", style, id, text, x, y, width, height,
                                   [](CDUI_CheckBox* c) { c->UpdateLook(); });
}

// ---- shared look ----

CDUI_ButtonBase::CDUI_ButtonBase(CDUI_UIResource* resource, CDUI_UIControlStyle* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {}

void CDUI_ButtonBase::UpdateLook() {
    SetSourceRect(DUI_FromSkin(LookFor(state_, checked_, enabled_)));
    Invalidate();
}

void CDUI_ButtonBase::OnStateChanged(int32_t) { UpdateLook(); }
void CDUI_ButtonBase::OnEnabledChanged() { UpdateLook(); }
void CDUI_ButtonBase::OnCheckedChanged() { UpdateLook(); }

void CDUI_ButtonBase::SetDrawing(const DUI_ButtonDrawing& drawing) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    drawing_ = drawing;
    Invalidate();
}

DUI_Rect CDUI_ButtonBase::SkinDestination() {
    const DUI_Rect a = absolute_;
    if (drawing_.stretch) return a;
    const DUI_Rect s = source_;
    DUI_Rect d = a;
    // Centred on each axis where the skin rect is smaller than the control.
    if (s.width < a.width) {
        d.x = a.x + (a.width - s.width) / 2;
        d.width = s.width;
    }
    if (s.height < a.height) {
        d.y = a.y + (a.height - s.height) / 2;
        d.height = s.height;
    }
    return d;
}

void CDUI_ButtonBase::Paint(Gdiplus::Graphics* graphics) {
    if (!graphics) return;
    DUI_DrawSkinPiece(this, graphics, SkinDestination(), DUI_ToSkin(source_), 1);
    if (drawing_.innerFrame && border_) {
        Gdiplus::Pen pen(Gdiplus::Color(drawing_.innerFrameColor), 1.0f);
        graphics->DrawRectangle(&pen, absolute_.x + 5, absolute_.y + 5, absolute_.width - 10, absolute_.height - 10);
    }
    if (text_.empty()) return;
    DUI_Rect textRect = absolute_;
    const int32_t inset = std::min(drawing_.textInset, textRect.width / 2);
    if (inset > 0) {
        textRect.x += inset;
        textRect.width -= 2 * inset;
    }
    DrawText(graphics, text_, textRect);
}

// ---- button ----

CDUI_Button::CDUI_Button(CDUI_UIResource* resource, CDUI_Button_Style* style, int32_t id)
    : CDUI_ButtonBase(resource, style, id) {
    border_ = 0;
}

DUI_SkinRect CDUI_Button::LookFor(int32_t state, int, int enabled) {
    auto* style = static_cast<CDUI_Button_Style*>(style_);
    if (!style) return {};
    if (!enabled) return style->disabled;
    if (state == DUI_STATE_PRESSED) return style->pressed;
    if (Active(state)) return style->active;
    return style->normal;
}

// ---- push button ----

CDUI_PushButton::CDUI_PushButton(CDUI_UIResource* resource, CDUI_PushButton_Style* style, int32_t id)
    : CDUI_ButtonBase(resource, style, id) {
    border_ = 0;
}

DUI_SkinRect CDUI_PushButton::LookFor(int32_t state, int pushed, int enabled) {
    auto* style = static_cast<CDUI_PushButton_Style*>(style_);
    if (!style) return {};
    if (!enabled) return style->disabled;
    if (Active(state)) return pushed ? style->pushActive : style->noPushActive;
    return pushed ? style->push : style->noPush;
}

int CDUI_PushButton::OnClickCommand() {
    SetChecked(checked_ ? 0 : 1);
    return 0;
}

int CDUI_PushButton::SetChecked(int flag, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    if (!CDUI_ButtonBase::SetChecked(flag, notify)) return 0;
    if (notify && pushCallback_) FireEvent(kDuiPushButtonEvent, checked_);
    return 1;
}

void CDUI_PushButton::SetPushCallback(DUI_KindCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    pushCallback_ = {callback, user};
}

int CDUI_PushButton::OnEvent(const CDUI_EventRecord& event) {
    if (event.code != kDuiPushButtonEvent) return 0;
    pushCallback_.Call(this, event.arg[0]);
    return 1;
}

// ---- option button ----

CDUI_OptionButton::CDUI_OptionButton(CDUI_UIResource* resource, CDUI_OptionButton_Style* style, int32_t id)
    : CDUI_ButtonBase(resource, style, id) {
    border_ = 0;
}

DUI_SkinRect CDUI_OptionButton::LookFor(int32_t state, int selected, int) {
    auto* style = static_cast<CDUI_OptionButton_Style*>(style_);
    if (!style) return {};
    if (Active(state)) return selected ? style->activeSelect : style->activeNoSelect;
    return selected ? style->select : style->noSelect;
}

void CDUI_OptionButton::SetGroup(int32_t group) {
    CDUI_ParamLock lock(this);
    if (lock.Ok()) group_ = group;
}

int CDUI_OptionButton::SetChecked(int flag, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    if (!CDUI_UIControl::SetChecked(flag, notify)) return 0;
    if (!flag || !parent_ || !parent_->IsCollection()) return 1;
    for (CDUI_UIControl* sibling : static_cast<CDUI_UICollection*>(parent_)->GetChildren()) {
        if (sibling == this || sibling->GetKindName() != L"OptionButton") continue;
        auto* option = static_cast<CDUI_OptionButton*>(sibling);
        if (option->group_ == group_ && option->GetChecked()) option->CDUI_UIControl::SetChecked(0);
    }
    return 1;
}

int CDUI_OptionButton::OnClickCommand() {
    if (checked_ && deselectable_) {
        SetChecked(0);
    } else if (!checked_) {
        SetChecked(1);
    }
    return 0;
}

// ---- check box ----

CDUI_CheckBox::CDUI_CheckBox(CDUI_UIResource* resource, CDUI_CheckBox_Style* style, int32_t id)
    : CDUI_ButtonBase(resource, style, id) {
    border_ = 0;
    transparent_ = 1;
}

DUI_SkinRect CDUI_CheckBox::LookFor(int32_t state, int checked, int) {
    auto* style = static_cast<CDUI_CheckBox_Style*>(style_);
    if (!style) return {};
    if (Active(state)) return checked ? style->activeCheck : style->activeNoCheck;
    return checked ? style->check : style->noCheck;
}

int CDUI_CheckBox::SetChecked(int flag, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    const int before = checked_;
    if (!CDUI_UIControl::SetChecked(flag, notify)) return 0;
    if (notify && before != checked_) FireEvent(kDuiCheckBoxEvent, checked_);
    return 1;
}

int CDUI_CheckBox::OnClickCommand() {
    SetChecked(checked_ ? 0 : 1);
    return 0;
}

int CDUI_CheckBox::SetTextPlacement(int placement) {
    if (placement != 0 && placement != 2) return 0;
    return CDUI_UIControl::SetTextPlacement(placement);
}

void CDUI_CheckBox::SetCheckCallback(DUI_KindCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    checkCallback_ = {callback, user};
}

int CDUI_CheckBox::OnEvent(const CDUI_EventRecord& event) {
    if (event.code != kDuiCheckBoxEvent) return 0;
    checkCallback_.Call(this, event.arg[0]);
    return 1;
}

void CDUI_CheckBox::Paint(Gdiplus::Graphics* graphics) {
    if (!graphics) return;
    // The box at its skin size, vertically centred, at the left edge; the text
    // beside it, aligned by the text placement.
    const DUI_Rect a = absolute_;
    const DUI_Rect s = source_;
    const int boxW = std::min(s.width, a.width);
    const int boxH = std::min(s.height, a.height);
    DUI_Rect box{a.x, a.y + (a.height - boxH) / 2, boxW, boxH};
    DUI_DrawSkinPiece(this, graphics, box, DUI_ToSkin(source_), 1);
    if (!text_.empty()) DrawText(graphics, text_, DUI_Rect{a.x + boxW + 4, a.y, a.width - boxW - 4, a.height});
}
