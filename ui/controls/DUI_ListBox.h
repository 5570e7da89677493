#pragma once
// A list of text rows one font line high, with selection, hover and a
// vertical scroll bar when the rows do not fit; and the combo box, a text
// edit with a drop button that opens such a list below it.
#include <memory>
#include <string>
#include <vector>

#include "core/DUI_UICollection.h"

class CDUI_ListBox_Style;
class CDUI_ComboBox_Style;
class CDUI_ScrollBar;
class CDUI_TextEdit;
class CDUI_ListBox;

// The selection changed: the new index. The callback runs without the scene's
// parameter lock: a click's report is queued and delivered on the UI thread
// (at once only in the scene's direct-delivery mode, still inside the click's
// dispatch), a selection from code is reported after the list let go of the
// lock. It may therefore change the list or other controls, or block briefly,
// without stalling the painter - unless its caller already holds the lock.
using DUI_ListSelectCallback = void (*)(CDUI_UIControl* control, int32_t index, void* user);

// Kind event of a list box carrying a click's selection to the UI thread.
constexpr int32_t kDuiListSelectEvent = 2201;

struct DUI_ListItem {
    std::wstring text;  // at most 99 characters
    int32_t value = 0;
    std::wstring text2;
    int visible = 1;
};

class CDUI_ListBox : public CDUI_UIControl {
public:
    CDUI_ListBox(CDUI_UIResource* resource, CDUI_ListBox_Style* style, int32_t id);
    ~CDUI_ListBox() override;
    void ReleaseResources() override;
    void Paint(Gdiplus::Graphics* graphics) override;
    void OnLayout() override;
    int OnLButtonDown(int32_t x, int32_t y, WPARAM keys) override;
    int OnMouseMove(int32_t x, int32_t y, WPARAM keys) override;
    int OnMouseLeave() override;
    int OnMouseWheel(int32_t x, int32_t y, WPARAM keys, int32_t delta) override;
    int OnMouseMessage(UINT message, int32_t x, int32_t y, WPARAM wParam) override;
    int OnEvent(const CDUI_EventRecord& event) override;

    int AddItem(const std::wstring& text, int32_t value, const std::wstring& text2);
    // First item with that text / value: selects it (with notify, the
    // callback when it changed), scrolls it into view and returns 1; 0 when
    // none matches. notify 0 shows a stored choice without reporting it.
    int SelectByText(const std::wstring& text, int notify = 1);
    int SelectByValue(int32_t value, int notify = 1);
    int SelectIndex(int32_t index, int notify = 1);
    // Text, value and second text of an item; 0 past the end.
    int GetItem(int32_t index, std::wstring* text, int32_t* value, std::wstring* text2);
    int ClearItems();
    int32_t GetItemCount();
    int32_t GetSelectedIndex() const { return selected_; }
    int32_t GetHoverIndex() const { return hover_; }
    int32_t GetFirstVisible() const { return first_; }
    int32_t GetRowHeight();
    // Row height in pixels; 0 (the default) follows the font's line height.
    void SetRowHeight(int32_t height);
    // The list's own bar, shown when the rows do not fit.
    CDUI_ScrollBar* GetScrollBar() { return bar_.get(); }
    int32_t GetVisibleRows();
    // Height that shows exactly that many rows (the border lines included).
    int32_t HeightForRows(int32_t rows);
    void SetSelectCallback(DUI_ListSelectCallback callback, void* user);
    // Row colours (ARGB): the selected row, the row under the pointer and the
    // selected row's text; a skin's page sets its own accent here.
    void SetSelectionColors(uint32_t selectedBack, uint32_t hoverBack, uint32_t selectedText);

private:
    // Under the lock: selects index; *changed tells whether it differs.
    int Select(int32_t index, bool* changed);
    // Outside the lock: the selection callback with index.
    void Report(int32_t index);
    template <typename Match>
    int SelectFirst(Match match, int notify);
    void ScrollTo(int32_t first);
    int32_t RowAt(int32_t y);
    // Rows sit inside the two border lines, so the first row is not cut.
    int32_t RowsInset() const { return border_ ? 2 : 0; }
    int32_t TextAreaWidth();
    std::vector<DUI_ListItem> items_;
    int32_t first_ = 0;
    int32_t selected_ = -1;
    int32_t hover_ = -1;
    int wheelRemainder_ = 0;
    int32_t rowHeight_ = 0;
    uint32_t selectedBack_ = 0xFF3399FF;
    uint32_t hoverBack_ = 0xFFD0E4F8;
    uint32_t selectedText_ = 0xFFFFFFFF;
    std::unique_ptr<CDUI_ScrollBar> bar_;  // owned, outside any child list
    DUI_ListSelectCallback selectCallback_ = nullptr;
    void* selectUser_ = nullptr;
};

class CDUI_ComboBox : public CDUI_UICollection {
public:
    CDUI_ComboBox(CDUI_UIResource* resource, CDUI_ComboBox_Style* style, int32_t id);
    ~CDUI_ComboBox() override { LeaveTreeBeforeDestruction(); }
    void Paint(Gdiplus::Graphics* graphics) override;
    void OnLayout() override;
    void OnStateChanged(int32_t oldState) override;
    int OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int SetText(const std::wstring& text) override;
    std::wstring GetText() override;

    // Forwarded to the drop-down list; adding or clearing resizes it. A
    // selection from code shows the item's text in the edit; with notify 0
    // nothing is reported.
    int AddItem(const std::wstring& text, int32_t value, const std::wstring& text2);
    int SelectByText(const std::wstring& text, int notify = 1);
    int SelectByValue(int32_t value, int notify = 1);
    int GetItem(int32_t index, std::wstring* text, int32_t* value, std::wstring* text2);
    int ClearItems();
    int32_t GetSelectedIndex();
    void SetSelectCallback(DUI_ListSelectCallback callback, void* user);
    // An editable combo lets the user type; otherwise a click anywhere opens the list.
    void SetEditable(int flag);
    int IsDropped() const { return dropped_; }
    int Drop(int open);
    // Rows shown at most when the list is open.
    void SetDropRows(int32_t rows);
    CDUI_TextEdit* GetEdit() { return edit_; }
    CDUI_ListBox* GetList() { return list_; }

private:
    static void OnListSelect(CDUI_UIControl* control, int32_t index, void* user);
    DUI_Rect ButtonRect();
    void ResizeDrop();
    void ShowSelectedText();
    void Dismissed();
    CDUI_TextEdit* edit_ = nullptr;  // owned through the child list
    CDUI_ListBox* list_ = nullptr;   // owned through the child list
    int editable_ = 0;
    int dropped_ = 0;
    int32_t closedHeight_ = 0;
    int32_t dropRows_ = 6;
    int32_t savedLayer_ = 0;
    DUI_ListSelectCallback selectCallback_ = nullptr;
    void* selectUser_ = nullptr;
};
