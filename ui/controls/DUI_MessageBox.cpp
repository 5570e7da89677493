#include "controls/DUI_MessageBox.h"

#include <algorithm>

#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "core/DUI_FontType.h"
#include "core/DUI_ParamLock.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

namespace {
constexpr int32_t kButtonWidth = 80;
constexpr int32_t kButtonHeight = 28;
constexpr int32_t kMaxTextWidth = 420;
constexpr int32_t kIconIdBase = -300;
constexpr int32_t kButtonIdBase = -200;
}  // namespace

CDUI_MessageBox* CDUI_UIResource::CreateMessageBox(int32_t id, const std::wstring& style, const std::wstring& text,
                                                   int32_t x, int32_t y, int32_t width, int32_t height) {
    return static_cast<CDUI_MessageBox*>(BuildFromStyle(L"MessageBox", style, [&](CDUI_UIControlStyle* record) {
        auto* own = static_cast<CDUI_MessageBox_Style*>(record);
        auto* windowStyle = static_cast<CDUI_Window_Style*>(FindStyle(L"Window", own->windowStyleName));
        if (!windowStyle) return static_cast<CDUI_UIControl*>(nullptr);
        auto* box = new CDUI_MessageBox(this, windowStyle, own, id);
        box->SetText(text);
        box->SetPosition(x, y);
        box->SetSize(width, height);
        box->SetShown(0);  // shown by ShowMessage
        box->SetVisible(0);
        return static_cast<CDUI_UIControl*>(box);
    }));
}

CDUI_MessageBox::CDUI_MessageBox(CDUI_UIResource* resource, CDUI_Window_Style* windowStyle,
                                 CDUI_MessageBox_Style* style, int32_t id)
    : CDUI_Window(resource, windowStyle, id), ownStyle_(style) {
    CreateCaptionControls();
    SetShowMax(0);
    SetShowMin(0);
    SetResizable(0);
    if (!resource || !style) return;
    const DUI_SkinRect iconRects[6] = {style->errorIco,    style->exclamationIco, style->informationIco,
                                       style->questionIco, style->stopIco,        style->warningIco};
    for (int i = 0; i < 6; ++i) {
        icons_[i] = resource->CreateImage(kIconIdBase - i, style->imageStyleName, L"", 0, 0, iconRects[i].width,
                                          iconRects[i].height);
        if (!icons_[i]) continue;
        icons_[i]->SetSkinRect(iconRects[i].x, iconRects[i].y, iconRects[i].width, iconRects[i].height);
        icons_[i]->SetBorder(0);
        icons_[i]->SetTransparent(1);
        icons_[i]->SetVisible(0);
        AddChild(icons_[i]);
    }
    label_ = resource->CreateLabel(-100, style->labelStyleName, L"", 0, 0, 10, 10);
    if (label_) {
        label_->SetTransparent(1);
        label_->SetBorder(0);
        label_->SetTextColor(style->labelForeColor);
        label_->SetAlignment(17);
        label_->SetFormatFlags(0);
        AddChild(label_);
    }
    for (int i = 0; i < kMsgButtonCount; ++i) {
        buttons_[i] = resource->CreateButton(kButtonIdBase - i, style->buttonStyleName, MessageBoxButtonText(i), 0, 0,
                                             kButtonWidth, kButtonHeight);
        if (!buttons_[i]) continue;
        buttons_[i]->SetTextColor(style->buttonForeColor);
        buttons_[i]->SetAlignment(18);
        buttons_[i]->SetVisible(0);
        buttons_[i]->SetEventCallback(DUI_EVT_CLICKED, &CDUI_MessageBox::OnButtonClicked, this);
        AddChild(buttons_[i]);
    }
    SetAfterHideCallback(&CDUI_MessageBox::OnHidden, this);
}

void CDUI_MessageBox::SetButtonTextColor(uint32_t argb) {
    for (CDUI_Button* b : buttons_)
        if (b) b->SetTextColor(argb);
}

void CDUI_MessageBox::SetLabelTextColor(uint32_t argb) {
    if (label_) label_->SetTextColor(argb);
}

void CDUI_MessageBox::SetResultCallback(DUI_KindCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (lock.Ok()) callback_ = {callback, user};
}

int CDUI_MessageBox::ShowMessage(const std::wstring& text, int iconType, int buttonType) {
    auto* windowStyle = static_cast<CDUI_Window_Style*>(CDUI_Window::GetStyle());
    {
        CDUI_ParamLock lock(this);
        if (!lock.Ok() || !windowStyle) return 0;
        buttonType_ = (buttonType >= 1 && buttonType <= 6) ? buttonType : 2;
        result_ = MessageBoxClosedResult(buttonType_);
        pressed_ = 0;

        MessageBoxMetrics m;
        m.frameLeft = windowStyle->leftBorder.width;
        m.frameRight = windowStyle->rightBorder.width;
        m.frameTop = windowStyle->middleUpCorner.height;
        m.frameBottom = windowStyle->middleDownCorner.height;
        CDUI_Image* icon = (iconType >= 1 && iconType <= 6) ? icons_[iconType - 1] : nullptr;
        for (CDUI_Image* i : icons_)
            if (i) i->SetVisible(i == icon ? 1 : 0);
        if (icon) icon->GetSize(&m.iconWidth, &m.iconHeight);
        // The text: its width by the font's character widths, wrapped at a
        // sensible width, one line height per line.
        int32_t ascii = 7, other = 14, line = 16;
        CDUI_FontType* font = label_ ? label_->GetFont() : nullptr;
        if (font) font->GetMetrics(&ascii, &other, &line);
        const MessageBoxTextBlock block = MeasureMessageBoxText(text, ascii, other, kMaxTextWidth);
        m.textWidth = block.width + 4;
        m.textHeight = std::max<int32_t>(line, 1) * block.lines + 4;
        const std::vector<int> visible = MessageBoxVisibleButtons(buttonType_);
        m.buttonWidth = kButtonWidth;
        m.buttonHeight = kButtonHeight;
        m.buttonCount = static_cast<int>(visible.size());
        const MessageBoxLayoutResult r = MessageBoxLayout(m);

        SetSize(r.width, r.height);
        if (icon) icon->SetPosition(r.iconX, r.iconY);
        if (label_) {
            label_->SetText(text);
            label_->SetPosition(r.textX, r.iconY);
            label_->SetSize(m.textWidth, std::max(m.textHeight, m.iconHeight));
        }
        for (CDUI_Button* b : buttons_)
            if (b) b->SetVisible(0);
        for (size_t i = 0; i < visible.size(); ++i) {
            CDUI_Button* b = buttons_[visible[i]];
            if (!b) continue;
            b->SetPosition(r.buttonX[i], r.buttonY);
            b->SetState(DUI_STATE_NORMAL);
            b->SetVisible(1);
        }
        if (parent_) CenterInParent();
    }
    if (!Show(0)) return 0;
    if (modal_) {
        if (CDUI_UIScene* scene = GetScene()) scene->PushModal(this);
    }
    return 1;
}

void CDUI_MessageBox::SetModal(int flag) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    modal_ = flag ? 1 : 0;
    if (!modal_)
        if (CDUI_UIScene* scene = GetScene()) scene->PopModal(this);
}

void CDUI_MessageBox::OnVisibleChanged() {
    // However it was hidden (a button, the close button, the page), the
    // scene behind it takes input again.
    if (!shown_ || !visible_)
        if (CDUI_UIScene* scene = GetScene()) scene->PopModal(this);
    CDUI_Window::OnVisibleChanged();
}

void CDUI_MessageBox::OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    auto* self = static_cast<CDUI_MessageBox*>(user);
    for (int i = 0; i < kMsgButtonCount; ++i) {
        if (self->buttons_[i] != control) continue;
        self->result_ = i;
        self->pressed_ = 1;
        self->Hide();
        return;
    }
}

void CDUI_MessageBox::OnHidden(CDUI_Window* window, int, void* user) {
    auto* self = static_cast<CDUI_MessageBox*>(user);
    (void)window;
    // Closed any other way than by a button: the result of the button type.
    if (!self->pressed_) self->result_ = MessageBoxClosedResult(self->buttonType_);
    self->pressed_ = 0;
    self->FireEvent(kDuiMessageBoxEvent, self->result_);
}

int CDUI_MessageBox::OnEvent(const CDUI_EventRecord& event) {
    if (event.code == kDuiMessageBoxEvent) {
        callback_.Call(this, event.arg[0]);
        return 1;
    }
    return CDUI_Window::OnEvent(event);
}
