#include "controls/DUI_ListBox.h"

#include "controls/ControlMath.h"
#include "controls/DUI_KindCommon.h"
#include "controls/DUI_ScrollBar.h"
#include "controls/DUI_TextEdit.h"
#include "core/DUI_FontType.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "scene/DUI_UIScene.h"
#include "controls/DUI_Factory.h"
#include "skin/DUI_UIResource.h"

namespace {
constexpr int32_t kBarWidth = 12;
constexpr int32_t kDropLayer = 60000;  // an open drop-down covers its siblings
}  // namespace

CDUI_ListBox* CDUI_UIResource::CreateListBox(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                             int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_ListBox, CDUI_ListBox_Style>(this, L"ListBox", style, id, text, x, y, width, height);
}

CDUI_ComboBox* CDUI_UIResource::CreateComboBox(int32_t id, const std::wstring& style, const std::wstring& text,
                                               int32_t x, int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_ComboBox, CDUI_ComboBox_Style>(this, L"ComboBox", style, id, text, x, y, width, height);
}

// ---- list box ----

CDUI_ListBox::CDUI_ListBox(CDUI_UIResource* resource, CDUI_ListBox_Style* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {
    backColor_ = 0xFFFFFFFF;
    if (resource && style && !style->scrollStyleName.empty()) {
        bar_.reset(resource->CreateScrollBar(-1, style->scrollStyleName, L"", 0, 0, kBarWidth, 10));
        if (bar_) {
            bar_->SetVertical(1);
            bar_->SetPositionListener([this](int32_t position) { ScrollTo(position); });
        }
    }
}

CDUI_ListBox::~CDUI_ListBox() {
    LeaveTreeBeforeDestruction();  // while the whole control still exists
}

void CDUI_ListBox::ReleaseResources() { bar_.reset(); }

void CDUI_ListBox::SetRowHeight(int32_t height) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    rowHeight_ = std::max<int32_t>(0, height);
    OnLayout();  // fewer or more rows fit now
    Invalidate();
}

int32_t CDUI_ListBox::GetRowHeight() {
    if (rowHeight_ > 0) return rowHeight_;
    int32_t a = 0, o = 0, line = 0;
    if (font_) font_->GetMetrics(&a, &o, &line);
    return line > 0 ? line : 16;
}

int32_t CDUI_ListBox::GetVisibleRows() {
    return std::max(1, ListVisibleRows(absolute_.height - 2 * RowsInset(), GetRowHeight()));
}

int32_t CDUI_ListBox::HeightForRows(int32_t rows) { return rows * GetRowHeight() + 2 * RowsInset(); }

int32_t CDUI_ListBox::TextAreaWidth() {
    const bool barShown = bar_ && static_cast<int32_t>(items_.size()) > GetVisibleRows();
    return absolute_.width - (barShown ? kBarWidth : 0);
}

void CDUI_ListBox::OnLayout() {
    const int32_t rows = GetVisibleRows();
    const int32_t count = static_cast<int32_t>(items_.size());
    // Taller now: rows scrolled away while it was small come back into view.
    first_ = ClampScrollPosition(first_, count, rows);
    if (!bar_) return;
    bar_->SetShown(count > rows ? 1 : 0);
    bar_->SetPosition(absolute_.x + absolute_.width - kBarWidth, absolute_.y);
    bar_->SetSize(kBarWidth, absolute_.height);
    bar_->SetRange(count, rows, 1);
    bar_->SetScrollPosition(first_);
}

void CDUI_ListBox::ScrollTo(int32_t first) {
    first = ClampScrollPosition(first, static_cast<int32_t>(items_.size()), GetVisibleRows());
    if (first == first_) return;
    first_ = first;
    if (bar_) bar_->SetScrollPosition(first_);
    Invalidate();
}

int CDUI_ListBox::AddItem(const std::wstring& text, int32_t value, const std::wstring& text2) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    items_.push_back({text.substr(0, 99), value, text2, 1});
    OnLayout();
    Invalidate();
    return 1;
}

int CDUI_ListBox::Select(int32_t index, bool* changed) {
    if (index < 0 || index >= static_cast<int32_t>(items_.size())) return 0;
    *changed = index != selected_;
    selected_ = index;
    ScrollTo(ListScrollIntoView(first_, GetVisibleRows(), index, static_cast<int32_t>(items_.size())));
    Invalidate();
    return 1;
}

void CDUI_ListBox::Report(int32_t index) {
    DUI_ListSelectCallback callback = nullptr;
    void* user = nullptr;
    {
        CDUI_ParamLock lock(this);
        if (!lock.Ok()) return;
        callback = selectCallback_;
        user = selectUser_;
    }
    if (callback) callback(this, index, user);
}

template <typename Match>
int CDUI_ListBox::SelectFirst(Match match, int notify) {
    int32_t index = -1;
    bool changed = false;
    {
        CDUI_ParamLock lock(this);
        if (!lock.Ok()) return 0;
        for (size_t i = 0; i < items_.size() && index < 0; ++i)
            if (match(static_cast<int32_t>(i), items_[i])) index = static_cast<int32_t>(i);
        if (index < 0 || !Select(index, &changed)) return 0;
    }
    if (changed && notify) Report(index);
    return 1;
}

int CDUI_ListBox::SelectIndex(int32_t index, int notify) {
    return SelectFirst([&](int32_t i, const DUI_ListItem&) { return i == index; }, notify);
}

int CDUI_ListBox::SelectByText(const std::wstring& text, int notify) {
    return SelectFirst([&](int32_t, const DUI_ListItem& item) { return item.text == text; }, notify);
}

int CDUI_ListBox::SelectByValue(int32_t value, int notify) {
    return SelectFirst([&](int32_t, const DUI_ListItem& item) { return item.value == value; }, notify);
}

int CDUI_ListBox::OnEvent(const CDUI_EventRecord& event) {
    if (event.code != kDuiListSelectEvent) return 0;
    Report(event.arg[0]);
    return 1;
}

int CDUI_ListBox::GetItem(int32_t index, std::wstring* text, int32_t* value, std::wstring* text2) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok() || index < 0 || index >= static_cast<int32_t>(items_.size())) return 0;
    const DUI_ListItem& item = items_[static_cast<size_t>(index)];
    if (text) *text = item.text;
    if (value) *value = item.value;
    if (text2) *text2 = item.text2;
    return 1;
}

int CDUI_ListBox::ClearItems() {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    items_.clear();
    selected_ = hover_ = -1;
    first_ = 0;
    OnLayout();
    Invalidate();
    return 1;
}

int32_t CDUI_ListBox::GetItemCount() {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? static_cast<int32_t>(items_.size()) : 0;
}

void CDUI_ListBox::SetSelectCallback(DUI_ListSelectCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    selectCallback_ = callback;
    selectUser_ = user;
}

int32_t CDUI_ListBox::RowAt(int32_t y) {
    return ListRowAt(y - absolute_.y - RowsInset(), GetRowHeight(), first_, static_cast<int32_t>(items_.size()));
}

int CDUI_ListBox::OnMouseMessage(UINT message, int32_t x, int32_t y, WPARAM wParam) {
    // The scroll bar strip belongs to the bar.
    if (bar_ && bar_->GetShown() && bar_->GetAbsoluteRect().Contains(x, y) &&
        (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_MOUSEMOVE))
        return bar_->DispatchControlMessage(message, wParam, MAKELPARAM(x, y)) ? 1 : 0;
    return 0;
}

int CDUI_ListBox::OnLButtonDown(int32_t x, int32_t y, WPARAM) {
    if (!absolute_.Contains(x, y) || x >= absolute_.x + TextAreaWidth()) return 0;
    const int32_t row = RowAt(y);
    if (row < 0 || row >= first_ + GetVisibleRows() || !items_[static_cast<size_t>(row)].visible) return 0;
    bool changed = false;
    // Reported through the queue: the page's callback runs after the dispatch lets go of the lock.
    if (row != selected_ && Select(row, &changed) && changed) FireEvent(kDuiListSelectEvent, row);
    return 0;
}

int CDUI_ListBox::OnMouseMove(int32_t x, int32_t y, WPARAM) {
    const int32_t row = absolute_.Contains(x, y) && x < absolute_.x + TextAreaWidth() ? RowAt(y) : -1;
    if (row != hover_) {
        hover_ = row;
        Invalidate();
    }
    return 0;
}

int CDUI_ListBox::OnMouseLeave() {
    if (hover_ != -1) {
        hover_ = -1;
        Invalidate();
    }
    return 0;
}

int CDUI_ListBox::OnMouseWheel(int32_t x, int32_t y, WPARAM, int32_t delta) {
    if (!absolute_.Contains(x, y)) return 0;
    // One row per notch; a precise wheel's small deltas add up.
    const int rows = WheelUnits(&wheelRemainder_, delta, 1);
    if (rows) ScrollTo(first_ - rows);
    return 1;
}

void CDUI_ListBox::SetSelectionColors(uint32_t selectedBack, uint32_t hoverBack, uint32_t selectedText) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    selectedBack_ = selectedBack;
    hoverBack_ = hoverBack;
    selectedText_ = selectedText;
    Invalidate();
}

void CDUI_ListBox::Paint(Gdiplus::Graphics* graphics) {
    if (!graphics) return;
    const int32_t rowH = GetRowHeight();
    const int32_t rows = GetVisibleRows();
    const int32_t width = TextAreaWidth();
    const int32_t inset = RowsInset();
    Gdiplus::SolidBrush selectedBrush{Gdiplus::Color(selectedBack_)};
    Gdiplus::SolidBrush hoverBrush{Gdiplus::Color(hoverBack_)};
    for (int32_t i = 0; i < rows && first_ + i < static_cast<int32_t>(items_.size()); ++i) {
        const int32_t index = first_ + i;
        const DUI_ListItem& item = items_[static_cast<size_t>(index)];
        if (!item.visible) continue;
        const DUI_Rect row{absolute_.x + inset, absolute_.y + inset + i * rowH, width - inset, rowH};
        if (index == selected_)
            graphics->FillRectangle(&selectedBrush, row.x, row.y, row.width, row.height);
        else if (index == hover_)
            graphics->FillRectangle(&hoverBrush, row.x, row.y, row.width, row.height);
        if (font_)
            font_->DrawString(graphics, item.text, DUI_Rect{row.x + 3, row.y, row.width - 3, row.height},
                              index == selected_ ? selectedText_ : textColor_, 17, 0, 3);
    }
    if (bar_ && bar_->GetShown()) bar_->PaintControl(graphics, DUI_Intersect(clip_, absolute_));
}

// ---- combo box ----

CDUI_ComboBox::CDUI_ComboBox(CDUI_UIResource* resource, CDUI_ComboBox_Style* style, int32_t id)
    : CDUI_UICollection(resource, style, id) {
    border_ = 0;
    transparent_ = 1;
    if (resource && style) {
        edit_ = resource->CreateTextEdit(-1, style->textEditStyleName, L"", 0, 0, 10, 10);
        list_ = resource->CreateListBox(-2, style->listBoxStyleName, L"", 0, 0, 10, 10);
    }
    if (edit_) {
        edit_->SetReadOnly(1);
        AddChild(edit_);
    }
    if (list_) {
        list_->SetShown(0);
        list_->SetSelectCallback(&CDUI_ComboBox::OnListSelect, this);
        AddChild(list_);
    }
}

void CDUI_ComboBox::SetEditable(int flag) {
    editable_ = flag ? 1 : 0;
    if (edit_) edit_->SetReadOnly(editable_ ? 0 : 1);
}

void CDUI_ComboBox::SetDropRows(int32_t rows) { dropRows_ = std::max(1, rows); }

DUI_Rect CDUI_ComboBox::ButtonRect() {
    const int32_t h = closedHeight_ > 0 ? closedHeight_ : absolute_.height;
    return {absolute_.x + absolute_.width - h, absolute_.y, h, h};
}

void CDUI_ComboBox::OnLayout() {
    if (!dropped_) closedHeight_ = height_;
    if (edit_) {
        edit_->SetPosition(0, 0);
        edit_->SetSize(std::max(0, width_ - closedHeight_), closedHeight_);
    }
    if (list_) {
        list_->SetPosition(0, closedHeight_);
        list_->SetSize(width_, std::max(0, height_ - closedHeight_));
    }
}

void CDUI_ComboBox::ResizeDrop() {
    if (!dropped_ || !list_) return;
    const int32_t rows = std::min<int32_t>(std::max<int32_t>(1, list_->GetItemCount()), dropRows_);
    SetSize(width_, closedHeight_ + list_->HeightForRows(rows));
}

int CDUI_ComboBox::Drop(int open) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok() || !list_) return 0;
    open = open ? 1 : 0;
    if (open == dropped_) return 1;
    if (open) {
        closedHeight_ = height_;
        dropped_ = 1;
        savedLayer_ = GetLayer();
        SetLayer(kDropLayer);
        list_->SetShown(1);
        ResizeDrop();
        // Above everything, not clipped by the panel the combo sits in; a
        // press anywhere else closes it.
        if (CDUI_UIScene* scene = GetScene()) scene->AddPopup(list_, this, [this] { Dismissed(); });
    } else {
        dropped_ = 0;
        if (CDUI_UIScene* scene = GetScene()) scene->RemovePopup(list_);
        list_->SetShown(0);
        SetSize(width_, closedHeight_);
        SetLayer(savedLayer_);
    }
    Invalidate();
    return 1;
}

void CDUI_ComboBox::Dismissed() {
    Drop(0);
    SetState(DUI_STATE_NORMAL);
}

void CDUI_ComboBox::ShowSelectedText() {
    std::wstring text;
    if (list_ && edit_ && list_->GetItem(list_->GetSelectedIndex(), &text, nullptr, nullptr)) edit_->SetText(text);
}

void CDUI_ComboBox::OnListSelect(CDUI_UIControl*, int32_t index, void* user) {
    auto* self = static_cast<CDUI_ComboBox*>(user);
    std::wstring text;
    if (self->list_->GetItem(index, &text, nullptr, nullptr) && self->edit_) self->edit_->SetText(text);
    self->Drop(0);
    if (self->selectCallback_) self->selectCallback_(self, index, self->selectUser_);
}

int CDUI_ComboBox::OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        const int32_t x = int16_t(LOWORD(lParam)), y = int16_t(HIWORD(lParam));
        const bool inButton = ButtonRect().Contains(x, y);
        const bool inEdit = edit_ && edit_->GetAbsoluteRect().Contains(x, y);
        if (inButton || (inEdit && !editable_)) {
            Drop(dropped_ ? 0 : 1);
            SetState(DUI_STATE_PRESSED);
            return 1;
        }
        if (dropped_ && !absolute_.Contains(x, y)) Drop(0);  // a press elsewhere closes the list
    }
    return CDUI_UICollection::OnRawMessage(message, wParam, lParam);
}

void CDUI_ComboBox::OnStateChanged(int32_t) { Invalidate(); }

void CDUI_ComboBox::Paint(Gdiplus::Graphics* graphics) {
    auto* s = static_cast<CDUI_ComboBox_Style*>(style_);
    if (!graphics || !s) return;
    DUI_SkinRect look = s->normal;
    if (!enabled_) look = s->disabled;
    else if (state_ == DUI_STATE_PRESSED) look = s->pressed;
    else if (state_ == DUI_STATE_HOVER || state_ == DUI_STATE_RELEASED) look = s->active;
    const DUI_Rect button = ButtonRect();
    if (look.width != 0 && look.height != 0) {
        DUI_DrawSkinPiece(this, graphics, button, look, 1);
    } else {
        // No drop-button art: a small triangle.
        Gdiplus::SolidBrush brush{Gdiplus::Color(0xFF404040)};
        Gdiplus::Point tri[3] = {{button.x + button.width / 4, button.y + button.height * 2 / 5},
                                 {button.x + button.width * 3 / 4, button.y + button.height * 2 / 5},
                                 {button.x + button.width / 2, button.y + button.height * 3 / 5}};
        graphics->FillPolygon(&brush, tri, 3);
    }
}

int CDUI_ComboBox::SetText(const std::wstring& text) {
    CDUI_UIControl::SetText(text);
    return edit_ ? edit_->SetText(text) : 1;
}

std::wstring CDUI_ComboBox::GetText() { return edit_ ? edit_->GetText() : CDUI_UIControl::GetText(); }

int CDUI_ComboBox::AddItem(const std::wstring& text, int32_t value, const std::wstring& text2) {
    if (!list_ || !list_->AddItem(text, value, text2)) return 0;
    ResizeDrop();
    return 1;
}

int CDUI_ComboBox::SelectByText(const std::wstring& text, int notify) {
    if (!list_ || !list_->SelectByText(text, notify)) return 0;
    ShowSelectedText();
    return 1;
}
int CDUI_ComboBox::SelectByValue(int32_t value, int notify) {
    if (!list_ || !list_->SelectByValue(value, notify)) return 0;
    ShowSelectedText();
    return 1;
}
int CDUI_ComboBox::GetItem(int32_t index, std::wstring* text, int32_t* value, std::wstring* text2) {
    return list_ ? list_->GetItem(index, text, value, text2) : 0;
}
int32_t CDUI_ComboBox::GetSelectedIndex() { return list_ ? list_->GetSelectedIndex() : -1; }

int CDUI_ComboBox::ClearItems() {
    if (!list_ || !list_->ClearItems()) return 0;
    if (!editable_ && edit_) edit_->SetText(L"");
    ResizeDrop();
    return 1;
}

void CDUI_ComboBox::SetSelectCallback(DUI_ListSelectCallback callback, void* user) {
    selectCallback_ = callback;
    selectUser_ = user;
}
