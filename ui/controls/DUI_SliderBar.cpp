#include "controls/DUI_SliderBar.h"

#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "skin/DUI_UIResource.h"

CDUI_SliderBar* CDUI_UIResource::CreateSliderBar(int32_t id, const std::wstring& style, const std::wstring& text,
                                                 int32_t x, int32_t y, int32_t width, int32_t height,
                                                 int32_t orientation, int32_t maximum, int32_t value) {
    if (maximum <= 0) return nullptr;  // the value arithmetic divides by it
    return static_cast<CDUI_SliderBar*>(BuildFromStyle(L"SliderBar", style, [&](CDUI_UIControlStyle* record) {
        auto* slider = new CDUI_SliderBar(this, static_cast<CDUI_SliderBar_Style*>(record), id, orientation, maximum,
                                          value);
        slider->SetText(text);
        slider->SetPosition(x, y);
        // The back piece's size first; a given size replaces it.
        int32_t w = 0, h = 0;
        slider->GetSize(&w, &h);
        slider->SetSize(width > 0 ? width : w, height > 0 ? height : h);
        return static_cast<CDUI_UIControl*>(slider);
    }));
}

CDUI_SliderBar::CDUI_SliderBar(CDUI_UIResource* resource, CDUI_SliderBar_Style* style, int32_t id,
                               int32_t orientation, int32_t maximum, int32_t value)
    : CDUI_UIControl(resource, style, id),
      orientation_(orientation == 1 ? 1 : 0),
      maximum_(maximum > 0 ? maximum : 1),
      value_(ClampSliderValue(value, maximum_)) {
    border_ = 0;
    transparent_ = 1;
    const DUI_SkinRect back = Piece(1);
    width_ = back.width;
    height_ = back.height;
}

DUI_SkinRect CDUI_SliderBar::Piece(int which) {
    auto* s = static_cast<CDUI_SliderBar_Style*>(style_);
    if (!s) return {};
    const DUI_SkinRect vertical[5] = {s->verticalHead, s->verticalBack, s->verticalFore, s->verticalTail,
                                      s->verticalBtn};
    const DUI_SkinRect horizontal[5] = {s->horizontalHead, s->horizontalBack, s->horizontalFore, s->horizontalTail,
                                        s->horizontalBtn};
    return orientation_ == 1 ? vertical[which] : horizontal[which];
}

void CDUI_SliderBar::Relayout() {
    const DUI_SkinRect head = Piece(0), tail = Piece(3), button = Piece(4);
    const int headLength = orientation_ == 1 ? head.height : head.width;
    const int tailLength = orientation_ == 1 ? tail.height : tail.width;
    pieces_ = SliderLayout(orientation_, DUIRect{absolute_.x, absolute_.y, absolute_.width, absolute_.height},
                           headLength, tailLength, button.width, button.height, maximum_, value_);
}

void CDUI_SliderBar::OnLayout() { Relayout(); }
void CDUI_SliderBar::OnSizeChanged() {
    Relayout();
    Invalidate();
}
void CDUI_SliderBar::OnPositionChanged() {
    Relayout();
    Invalidate();
}

int CDUI_SliderBar::SetSliderValue(int32_t value, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    value = ClampSliderValue(value, maximum_);
    if (value == value_) return 1;
    Invalidate();
    value_ = value;
    Relayout();
    Invalidate();
    if (notify && callback_) FireEvent(kDuiSliderValueEvent, value_);
    return 1;
}

void CDUI_SliderBar::SetShowFore(int flag) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    showFore_ = flag ? 1 : 0;
    Invalidate();
}

void CDUI_SliderBar::SetShowTrack(int flag) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    showTrack_ = flag ? 1 : 0;
    Invalidate();
}

void CDUI_SliderBar::SetSliderCallback(DUI_KindCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    callback_ = {callback, user};
}

int CDUI_SliderBar::OnEvent(const CDUI_EventRecord& event) {
    if (event.code < kDuiSliderValueEvent || event.code > kDuiSliderDragEndEvent) return 0;
    callback_.Call(this, event.arg[0]);
    return 1;
}

int CDUI_SliderBar::OnLButtonDown(int32_t x, int32_t y, WPARAM) {
    Relayout();
    auto rect = [](const DUIRect& r) { return DUI_Rect{r.x, r.y, r.width, r.height}; };
    if (rect(pieces_.button).Contains(x, y)) {
        if (!draggingButton_) {
            draggingButton_ = 1;
            if (callback_) FireEvent(kDuiSliderDragStartEvent, value_);
        }
        return 0;
    }
    if (rect(pieces_.back).Contains(x, y)) {
        const int offset = orientation_ == 1 ? y - pieces_.back.y : x - pieces_.back.x;
        const int length = orientation_ == 1 ? pieces_.back.height : pieces_.back.width;
        SetSliderValue(SliderValueFromTrackClick(offset, length, maximum_));
    }
    return 0;
}

int CDUI_SliderBar::OnMouseMove(int32_t x, int32_t y, WPARAM keys) {
    if (!draggingButton_) return 0;
    if (!(keys & MK_LBUTTON)) {
        // The release happened elsewhere: the drag is over.
        draggingButton_ = 0;
        if (callback_) FireEvent(kDuiSliderDragEndEvent, value_);
        return 0;
    }
    if (orientation_ == 1)
        SetSliderValue(SliderValueFromPointer(y, absolute_.y, absolute_.height, maximum_));
    else
        SetSliderValue(SliderValueFromPointer(x, absolute_.x, absolute_.width, maximum_));
    return 0;
}

int CDUI_SliderBar::OnLButtonUp(int32_t, int32_t, WPARAM) {
    if (draggingButton_) {
        draggingButton_ = 0;
        if (callback_) FireEvent(kDuiSliderDragEndEvent, value_);
    }
    return 0;
}

void CDUI_SliderBar::Paint(Gdiplus::Graphics* graphics) {
    if (!graphics) return;
    Relayout();
    auto rect = [](const DUIRect& r) { return DUI_Rect{r.x, r.y, r.width, r.height}; };
    if (showTrack_) {
        DUI_DrawSkinPiece(this, graphics, rect(pieces_.head), Piece(0), 1);
        DUI_DrawSkinPiece(this, graphics, rect(pieces_.back), Piece(1), 1);
        DUI_DrawSkinPiece(this, graphics, rect(pieces_.tail), Piece(3), 1);
    }
    if (showFore_) DUI_DrawSkinPiece(this, graphics, rect(pieces_.fore), Piece(2), 1);
    DUI_DrawSkinPiece(this, graphics, rect(pieces_.button), Piece(4), 0);
}
