#include "AccountPageKit.h"

#include "ClientPages.h"
#include "PagePictures.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_TextEdit.h"
#include "core/DUI_FontType.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

using namespace accountui;

namespace {

// Above the pages, so a page's message box is never covered by a page.
constexpr int32_t kMessageBoxLayer = 30000;
constexpr int32_t kCloseSize = 36;
constexpr int32_t kCloseMargin = 8;
// Height of the dialog picture (PagePictures.h: 577 x 112).
constexpr int32_t kBannerHeight = 112;
// Inside a text field: space between its frame and the text.
constexpr int32_t kFieldPadding = 12;

void UseFont(CDUI_UIResource* resource, CDUI_UIControl* control, const wchar_t* name) {
    if (!resource || !control || !name) return;
    if (CDUI_FontType* font = resource->FindFont(name)) control->SetFont(font);
}

}  // namespace

struct CAccountPageKit::Binding {
    std::function<void(int)> handler;
};

struct CAccountPageKit::TextBox {
    CAccountPageKit* kit = nullptr;
    CDUI_Label* field = nullptr;   // the raised field behind the box
    CDUI_TextEdit* edit = nullptr;
    CDUI_Image* hint = nullptr;    // the hint picture over the field (art from the skin)
    CDUI_Label* hintText = nullptr;
};

CAccountPageKit::CAccountPageKit(CDUI_UIResource* resource, IClientHost* host) : resource_(resource), host_(host) {}

CAccountPageKit::~CAccountPageKit() = default;

CAccountPageKit::Binding* CAccountPageKit::Bind(std::function<void(int)> handler) {
    bindings_.push_back(std::make_unique<Binding>(Binding{std::move(handler)}));
    return bindings_.back().get();
}

void CAccountPageKit::Attach(CDUI_UIControl* control) {
    if (control && window_) window_->AddChild(control);
}

void CAccountPageKit::OnClicked(CDUI_UIControl*, const CDUI_EventRecord*, void* user) {
    auto* b = static_cast<Binding*>(user);
    if (b && b->handler) b->handler(1);
}

void CAccountPageKit::OnCheckChanged(CDUI_UIControl*, int32_t value, void* user) {
    auto* b = static_cast<Binding*>(user);
    if (b && b->handler) b->handler(value ? 1 : 0);
}

CDUI_Window* CAccountPageKit::BuildWindow(int32_t id, const std::wstring& title, int32_t width, int32_t height,
                                          int banner, std::function<void()> onClose) {
    if (!resource_ || !host_) return nullptr;
    auto* parent = static_cast<CDUI_UICollection*>(host_->WindowControl());
    if (!parent) return nullptr;
    int32_t pw = 0, ph = 0;
    parent->GetSize(&pw, &ph);
    window_ = resource_->CreateWindow(id, L"OVWindow", title, (pw - width) / 2, (ph - height) / 2, width, height);
    if (!window_) return nullptr;
    // A fixed dialog: no caption buttons of the frame, no moving or sizing.
    window_->SetShowTitle(0);
    window_->SetShowIcon(0);
    window_->SetShowClose(0);
    window_->SetShowMax(0);
    window_->SetShowMin(0);
    window_->SetMovable(0);
    window_->SetResizable(0);
    window_->SetBackColor(pagelook::kCard);
    window_->SetBorderColors(pagelook::kHairline, pagelook::kCard);
    window_->SetShown(0);
    window_->SetVisible(0);
    parent->AddChild(window_);

    if (banner) {
        // The dialogs' picture across the top, the title centred under it.
        CDUI_Image* picture = resource_->CreateImage(id + 92, L"OVImage", L"", 1, 1, width - 2,
                                                     kBannerHeight);
        if (picture) {
            picture->SetTransparent(1);
            picture->SetBorder(0);
            picture->SetHitEnable(0);
            picture->SetFocusable(0);
            picture->SetImageFromResource(GetModuleHandleW(nullptr), ventaro_pictures::kPictureDialogBanner);
            Attach(picture);
        }
        AddLabel(id + 90, title, 24, kBannerHeight + 12, width - 48, 28, L"yahei14",
                 pagelook::kText, kAlignCentreMiddle);
    } else {
        // The title in the frame's top strip.
        AddLabel(id + 90, title, 24, 7, width - 48 - kCloseSize, 36, L"yahei18", pagelook::kText, kAlignLeftMiddle);
    }
    closeButton_ = AddButton(id + 91, L"CloseButton", L"", width - kCloseSize - kCloseMargin, kCloseMargin,
                             kCloseSize, kCloseSize, std::move(onClose));

    messageBox_ = resource_->CreateMessageBox(id + 99, L"OVMessageBox", L"信息", 0, 0, 360, 180);
    if (messageBox_) {
        // The caption "信息" must read on the dark frame (the window passes
        // its text colour to its title).
        messageBox_->SetTextColor(pagelook::kText);
        if (CDUI_UIControl* caption = messageBox_->GetTitleLabel()) UseFont(resource_, caption, L"yahei12");
        // Its close button shows its skin plate only.
        if (CDUI_UIControl* close = messageBox_->GetCloseButton()) {
            close->SetTransparent(1);
            close->SetBorder(0);
        }
        messageBox_->SetLayer(kMessageBoxLayer);
        messageBox_->SetResultCallback(&CAccountPageKit::OnMessageResult, this);
        parent->AddChild(messageBox_);
    }
    return window_;
}

CDUI_Label* CAccountPageKit::AddLabel(int32_t id, const std::wstring& text, int32_t x, int32_t y, int32_t width,
                                      int32_t height, const wchar_t* font, uint32_t color, uint32_t alignment) {
    if (!resource_) return nullptr;
    CDUI_Label* label = resource_->CreateLabel(id, L"OVLabel", text, x, y, width, height);
    if (!label) return nullptr;
    label->SetTransparent(1);
    label->SetBorder(0);
    // Texts never take the focus: one under a text box would take it from the box.
    label->SetFocusable(0);
    label->SetTextColor(color);
    label->SetAlignment(alignment);
    label->SetTrimming(3);  // ellipsis at a character
    UseFont(resource_, label, font);
    Attach(label);
    return label;
}

CDUI_Label* CAccountPageKit::AddLink(int32_t id, const std::wstring& text, int32_t x, int32_t y, int32_t width,
                                     int32_t height, uint32_t alignment, std::function<void()> onClick) {
    CDUI_Label* link = AddLabel(id, text, x, y, width, height, L"yahei12", pagelook::kAccent, alignment);
    if (!link) return nullptr;
    link->SetCursor(LoadCursorW(nullptr, IDC_HAND));
    link->SetEventCallback(DUI_EVT_CLICKED, &CAccountPageKit::OnClicked,
                           Bind([f = std::move(onClick)](int) {
                               if (f) f();
                           }));
    return link;
}

CDUI_Label* CAccountPageKit::AddCard(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!resource_) return nullptr;
    CDUI_Label* card = resource_->CreateLabel(id, L"OVLabel", L"", x, y, width, height);
    if (!card) return nullptr;
    card->SetTransparent(0);
    card->SetBackColor(pagelook::kRaised);
    card->SetBorder(1);
    card->SetBorderColors(pagelook::kHairline, pagelook::kRaised);
    card->SetHitEnable(0);
    card->SetFocusable(0);
    Attach(card);
    return card;
}

CDUI_Button* CAccountPageKit::AddButton(int32_t id, const wchar_t* style, const std::wstring& text, int32_t x,
                                        int32_t y, int32_t width, int32_t height, std::function<void()> onClick) {
    if (!resource_) return nullptr;
    CDUI_Button* button = resource_->CreateButton(id, style, text, x, y, width, height);
    if (!button) return nullptr;
    button->SetTransparent(1);
    button->SetBorder(0);
    button->SetTextColor(0xFFFFFFFF);
    button->SetAlignment(kAlignCentreMiddle);
    UseFont(resource_, button, L"yahei14");
    button->SetEventCallback(DUI_EVT_CLICKED, &CAccountPageKit::OnClicked,
                             Bind([f = std::move(onClick)](int) {
                                 if (f) f();
                             }));
    Attach(button);
    return button;
}

CDUI_CheckBox* CAccountPageKit::AddCheckBox(int32_t id, const wchar_t* style, const std::wstring& text, int32_t x,
                                            int32_t y, int32_t width, int32_t height,
                                            std::function<void(int checked)> onChange) {
    if (!resource_) return nullptr;
    CDUI_CheckBox* box = resource_->CreateCheckBox(id, style, text, x, y, width, height);
    if (!box) return nullptr;
    box->SetTransparent(1);
    box->SetBorder(0);
    box->SetTextColor(pagelook::kText);
    box->SetAlignment(kAlignLeftMiddle);
    UseFont(resource_, box, L"yahei12");
    if (onChange) box->SetCheckCallback(&CAccountPageKit::OnCheckChanged, Bind(std::move(onChange)));
    Attach(box);
    return box;
}

CDUI_TextEdit* CAccountPageKit::AddTextBox(int32_t id, const std::wstring& hint, int32_t x, int32_t y,
                                           int32_t width, int32_t height, int password) {
    if (!resource_ || !window_) return nullptr;
    auto box = std::make_unique<TextBox>();
    box->kit = this;
    box->field = AddCard(id + 1, x, y, width, height);
    // The hint picture lies between the field and the box: the box itself is
    // transparent and stays on top, so clicks reach it.
    box->hint = resource_->CreateImage(id + 2, L"OVImage", L"", x + 1, y + 1, width - 2, height - 2);
    if (box->hint) {
        box->hint->SetTransparent(1);
        box->hint->SetBorder(0);
        box->hint->SetHitEnable(0);
        box->hint->SetFocusable(0);
        Attach(box->hint);
    }
    const int32_t textX = x + kFieldPadding;
    box->hintText = AddLabel(id + 3, hint, textX, y, width - (textX - x) - kFieldPadding, height, L"yahei12",
                             pagelook::kSecondaryText, kAlignLeftMiddle);
    if (box->hintText) box->hintText->SetHitEnable(0);
    // The edit's own inner padding puts its text where the hint text starts.
    box->edit = resource_->CreateTextEdit(id, L"OVTextEdit", L"", textX - 3, y + 1, width - (textX - x) - 4,
                                          height - 2);
    if (!box->edit) return nullptr;
    box->edit->SetTransparent(1);
    box->edit->SetBorder(0);
    box->edit->SetTextColor(pagelook::kText);
    box->edit->SetAlignment(kAlignLeftMiddle);
    box->edit->SetPassword(password ? 1 : 0);
    box->edit->SetMaxLength(64);
    box->edit->SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
    UseFont(resource_, box->edit, L"titleedt");
    box->edit->SetEventCallback(DUI_EVT_FOCUS, &CAccountPageKit::OnFocusReport, box.get());
    box->edit->SetTextCallback(&CAccountPageKit::OnHintReport, box.get());
    Attach(box->edit);
    CDUI_TextEdit* edit = box->edit;
    boxes_.push_back(std::move(box));
    return edit;
}

void CAccountPageKit::OnFocusReport(CDUI_UIControl*, const CDUI_EventRecord* event, void* user) {
    auto* box = static_cast<TextBox*>(user);
    if (box && event) box->kit->HintReport(box, event->arg[0] == 1 ? 1 : 0);
}

void CAccountPageKit::OnHintReport(CDUI_UIControl*, int32_t, void* user) {
    auto* box = static_cast<TextBox*>(user);
    if (box) box->kit->HintReport(box, 0);
}

void CAccountPageKit::HintReport(TextBox* box, int active) {
    // Active for typing: the hint gives way. Any other report: the hint
    // stands for an empty box only.
    const int show = active ? 0 : (box->edit->GetText().empty() ? 1 : 0);
    if (box->hint) box->hint->SetVisible(show);
    if (box->hintText) box->hintText->SetVisible(show);
    if (box->field) box->field->SetBorderColors(active ? pagelook::kAccent : pagelook::kHairline, pagelook::kRaised);
}

void CAccountPageKit::ResetTextBoxes() {
    for (auto& box : boxes_) {
        box->edit->SetText(L"");
        box->edit->SetFocus(0);
        if (box->hint) box->hint->SetVisible(1);
        if (box->hintText) box->hintText->SetVisible(1);
        if (box->field) box->field->SetBorderColors(pagelook::kHairline, pagelook::kRaised);
    }
}

CDUI_Image* CAccountPageKit::HintOf(CDUI_TextEdit* edit) const {
    for (const auto& box : boxes_)
        if (box->edit == edit) return box->hint;
    return nullptr;
}

void CAccountPageKit::Discard() {
    if (messageBox_) messageBox_->Destroy();
    if (window_) window_->Destroy();
    messageBox_ = nullptr;
    window_ = nullptr;
    closeButton_ = nullptr;
    boxes_.clear();
}

void CAccountPageKit::ShowWindow() {
    if (window_) window_->Show(0);
}

void CAccountPageKit::HideWindow() {
    if (messageBox_ && messageBox_->GetShown()) messageBox_->Hide();
    if (window_) window_->Hide();
}

int CAccountPageKit::IsShown() const { return window_ && window_->GetShown() ? 1 : 0; }

void CAccountPageKit::BeginBusy(CDUI_UIControl* button, const std::wstring& busyText) {
    EndBusy();
    if (!button) return;
    busyButton_ = button;
    busyButtonText_ = button->GetText();
    button->SetText(busyText);
    button->SetEnabled(0);
}

void CAccountPageKit::EndBusy() {
    if (!busyButton_) return;
    busyButton_->SetText(busyButtonText_);
    busyButton_->SetEnabled(1);
    busyButton_ = nullptr;
}

void CAccountPageKit::Info(const std::wstring& text) {
    onConfirm_ = nullptr;
    if (messageBox_) messageBox_->ShowMessage(text, kInfoIcon, kInfoButtons);
}

void CAccountPageKit::Confirm(const std::wstring& text, std::function<void()> onConfirm) {
    onConfirm_ = std::move(onConfirm);
    if (messageBox_) messageBox_->ShowMessage(text, kConfirmIcon, kConfirmButtons);
}

void CAccountPageKit::OnMessageResult(CDUI_UIControl*, int32_t value, void* user) {
    auto* kit = static_cast<CAccountPageKit*>(user);
    std::function<void()> action = std::move(kit->onConfirm_);
    kit->onConfirm_ = nullptr;
    if (value == kConfirmed && action) action();
}
