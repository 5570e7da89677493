#include "controls/DUI_ColorSelect.h"

#include <cmath>

#include "controls/ControlMath.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_SliderBar.h"
#include "graphics/GdiplusInclude.h"
#include "graphics/PixelSurface.h"
#include "core/DUI_ParamLock.h"
#include "skin/DUI_UIResource.h"

namespace {
constexpr int32_t kGap = 6;
}

CDUI_ColorSelect* CDUI_UIResource::CreateColorSelect(int32_t id, const std::wstring& style, const std::wstring& text,
                                                     int32_t x, int32_t y, int32_t width, int32_t height) {
    return static_cast<CDUI_ColorSelect*>(BuildFromStyle(L"ColorSelect", style, [&](CDUI_UIControlStyle* record) {
        auto* own = static_cast<CDUI_ColorSelect_Style*>(record);
        auto* panelStyle = static_cast<CDUI_Panel_Style*>(FindStyle(L"Panel", own->panelStyleName));
        auto* picker = new CDUI_ColorSelect(this, panelStyle, own, id);
        picker->SetText(text);
        picker->SetPosition(x, y);
        picker->SetSize(width, height);
        picker->SetHSV(0, 1, 1);
        return static_cast<CDUI_UIControl*>(picker);
    }));
}

CDUI_ColorSelect::CDUI_ColorSelect(CDUI_UIResource* resource, CDUI_Panel_Style* panelStyle,
                                   CDUI_ColorSelect_Style* style, int32_t id)
    : CDUI_Panel(resource, panelStyle, id), ownStyle_(style) {
    if (!resource || !style) return;
    image_ = resource->CreateImage(-1, style->imageStyleName, L"", 0, 0, 10, 10);
    if (image_) {
        image_->SetBorder(0);
        image_->SetTransparent(1);
        image_->SetHitEnable(0);
        AddChild(image_);
    }
    slider_ = resource->CreateSliderBar(-2, style->sliderBarStyleName, L"", 0, 0, 16, 10, 1, 360, 0);
    if (slider_) {
        slider_->SetSliderCallback(&CDUI_ColorSelect::OnHueChanged, this);
        AddChild(slider_);
    }
}

void CDUI_ColorSelect::OnLayout() {
    CDUI_Panel::OnLayout();
    int32_t sliderW = 0, sliderH = 0;
    if (slider_) slider_->GetSize(&sliderW, &sliderH);
    const int32_t inner = 4;
    field_ = {absolute_.x + inner, absolute_.y + inner, std::max(0, width_ - 2 * inner - sliderW - kGap),
              std::max(0, height_ - 2 * inner)};
    if (image_) {
        image_->SetPosition(inner, inner);
        image_->SetSize(field_.width, field_.height);
    }
    if (slider_) {
        slider_->SetPosition(width_ - inner - sliderW, inner);
        slider_->SetSize(sliderW, field_.height);
    }
}

void CDUI_ColorSelect::SetColorCallback(DUI_KindCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (lock.Ok()) callback_ = {callback, user};
}

void CDUI_ColorSelect::Report(int notify) {
    color_ = HsvToArgb(hue_, sat_, val_);
    Invalidate();
    if (notify) FireEvent(kDuiColorEvent, static_cast<int32_t>(color_));
}

int CDUI_ColorSelect::SetColor(uint32_t argb, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    float h = 0, s = 0, v = 0;
    ArgbToHsv(argb, &h, &s, &v);
    if (!SetHSV(h, s, v, 0)) return 0;
    // The stored value itself, not what the floats make of it (8C00FF stays 8C00FF).
    color_ = argb | 0xFF000000u;
    if (notify) FireEvent(kDuiColorEvent, static_cast<int32_t>(color_));
    return 1;
}

int CDUI_ColorSelect::SetHSV(float h, float s, float v, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    // NaN passes std::clamp unchanged; it would reach the slider and marker casts.
    auto number = [](float f) { return std::isnan(f) ? 0.0f : f; };
    hue_ = std::clamp(number(h), 0.0f, 360.0f);
    sat_ = std::clamp(number(s), 0.0f, 1.0f);
    val_ = std::clamp(number(v), 0.0f, 1.0f);
    // The slider's own report would come back here; the colour is reported once below.
    if (slider_) slider_->SetSliderValue(HueSliderValue(hue_), 0);
    Report(notify);
    return 1;
}

void CDUI_ColorSelect::GetHSV(float* h, float* s, float* v) const {
    if (h) *h = hue_;
    if (s) *s = sat_;
    if (v) *v = val_;
}

void CDUI_ColorSelect::GetMarker(int32_t* x, int32_t* y) const {
    ColorFieldMarker(DUIRect{field_.x, field_.y, field_.width, field_.height}, sat_, val_, x, y);
}

void CDUI_ColorSelect::OnHueChanged(CDUI_UIControl*, int32_t value, void* user) {
    auto* self = static_cast<CDUI_ColorSelect*>(user);
    self->hue_ = HueFromSliderValue(value);
    self->Report();
}

int CDUI_ColorSelect::OnEvent(const CDUI_EventRecord& event) {
    if (event.code != kDuiColorEvent) return 0;
    callback_.Call(this, event.arg[0]);
    return 1;
}

int CDUI_ColorSelect::OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int32_t x = int16_t(LOWORD(lParam)), y = int16_t(HIWORD(lParam));
    const bool inField = field_.Contains(x, y);
    if (message == WM_LBUTTONDOWN && inField) pickingField_ = 1;
    if (message == WM_LBUTTONUP) pickingField_ = 0;
    if ((message == WM_LBUTTONDOWN && inField) || (message == WM_MOUSEMOVE && pickingField_ && (wParam & MK_LBUTTON))) {
        ColorFieldValues(DUIRect{field_.x, field_.y, field_.width, field_.height}, x, y, &sat_, &val_);
        Report();
        return 1;
    }
    return CDUI_Panel::OnRawMessage(message, wParam, lParam);
}

const std::vector<uint32_t>& CDUI_ColorSelect::FieldPixels() {
    if (fieldHue_ == hue_ && fieldWidth_ == field_.width && fieldHeight_ == field_.height) return fieldPixels_;
    fieldHue_ = hue_;
    fieldWidth_ = field_.width;
    fieldHeight_ = field_.height;
    fieldPixels_.resize(size_t(field_.width) * size_t(field_.height));
    // Each pixel the colour a click there picks.
    const DUIRect field{0, 0, field_.width, field_.height};
    uint32_t* out = fieldPixels_.data();
    for (int32_t y = 0; y < field_.height; ++y) {
        float s = 0, v = 0;
        for (int32_t x = 0; x < field_.width; ++x) {
            ColorFieldValues(field, x, y, &s, &v);
            *out++ = HsvToArgb(hue_, s, v);
        }
    }
    return fieldPixels_;
}

void CDUI_ColorSelect::Paint(Gdiplus::Graphics* graphics) {
    CDUI_Panel::Paint(graphics);
    if (!graphics || field_.IsEmpty()) return;
    // Two gradient fills over the field cost GDI+ a frame's budget; the
    // same colours, worked out once per hue, go straight into the pixels.
    if (DUI_CopyOpaqueDirect(graphics, field_.x, field_.y, field_.width, field_.height, FieldPixels().data())) return;
    // The pure hue under the field; white to the left and black to the bottom.
    Gdiplus::SolidBrush hue{Gdiplus::Color(HsvToArgb(hue_, 1, 1))};
    graphics->FillRectangle(&hue, field_.x, field_.y, field_.width, field_.height);
    const Gdiplus::RectF r(float(field_.x), float(field_.y), float(field_.width), float(field_.height));
    Gdiplus::LinearGradientBrush white(r, Gdiplus::Color(0xFFFFFFFF), Gdiplus::Color(0x00FFFFFF),
                                       Gdiplus::LinearGradientModeHorizontal);
    graphics->FillRectangle(&white, r);
    Gdiplus::LinearGradientBrush black(r, Gdiplus::Color(0x00000000), Gdiplus::Color(0xFF000000),
                                       Gdiplus::LinearGradientModeVertical);
    graphics->FillRectangle(&black, r);
}

void CDUI_ColorSelect::PaintChildren(Gdiplus::Graphics* graphics) {
    CDUI_Panel::PaintChildren(graphics);
    if (!graphics || field_.IsEmpty()) return;
    int32_t mx = 0, my = 0;
    GetMarker(&mx, &my);
    DUI_ClipToSceneRect(graphics, paintDirty_.x, paintDirty_.y, paintDirty_.width, paintDirty_.height);
    Gdiplus::Pen outer(Gdiplus::Color(0xFF000000), 1.0f), inner(Gdiplus::Color(0xFFFFFFFF), 1.0f);
    graphics->DrawEllipse(&outer, mx - 5, my - 5, 10, 10);
    graphics->DrawEllipse(&inner, mx - 4, my - 4, 8, 8);
    DUI_ClipToFrame(graphics);
}
