#pragma once
// A one-line text edit: typing (WM_CHAR printable ASCII, WM_IME_CHAR any
// character), maximum length, password and read-only modes, caret,
// selection, horizontal scrolling, Delete/Home/End/Left/Right, and the
// clipboard commands 0x7001 (copy), 0x7002 (paste), 0x7003 (select all).
#include "controls/DUI_KindCommon.h"
#include "controls/TextEditModel.h"
#include "core/DUI_UIControl.h"

class CDUI_TextEdit_Style;

// The accelerator commands the host passes on (WM_COMMAND, HIWORD 1).
constexpr uint32_t kDuiCmdCopy = 0x7001;
constexpr uint32_t kDuiCmdPaste = 0x7002;
constexpr uint32_t kDuiCmdSelectAll = 0x7003;

class CDUI_TextEdit : public CDUI_UIControl {
public:
    CDUI_TextEdit(CDUI_UIResource* resource, CDUI_TextEdit_Style* style, int32_t id);
    ~CDUI_TextEdit() override { LeaveTreeBeforeDestruction(); }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* graphics) override;
    int SetText(const std::wstring& text) override;
    std::wstring GetText() override;
    int OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnAccelerator(uint32_t commandId) override;
    int OnLButtonDown(int32_t x, int32_t y, WPARAM keys) override;
    int OnLButtonUp(int32_t x, int32_t y, WPARAM keys) override;
    int OnMouseMove(int32_t x, int32_t y, WPARAM keys) override;
    int OnEvent(const CDUI_EventRecord& event) override;
    void OnSizeChanged() override;
    void OnFontChanged() override;

    void SetMaxLength(int32_t length);
    void SetPassword(int flag);
    void SetReadOnly(int flag);
    int GetPassword() const { return model_.IsPassword() ? 1 : 0; }
    int GetReadOnly() const { return model_.IsReadOnly() ? 1 : 0; }
    // Event 1801 with the text length, on every change of the text by editing.
    void SetTextCallback(DUI_KindCallback callback, void* user);
    // Where the caret and the selection are (character indexes).
    const TextEditModel& Model() const { return model_; }

private:
    // Inner padding between the frame and the text.
    static constexpr int kPadding = 3;
    // How the text is drawn and measured: near + vertically centred, no clipping.
    static constexpr uint32_t kTextAlignment = 17;
    static constexpr uint32_t kTextFormat = 4;
    // Glyph edges of the shown text with the paint call's font and format.
    std::vector<int> MeasureEdges(const std::wstring& shown);
    void SyncMetrics();
    void Changed();
    TextEditModel model_;
    DUI_KindCallbackEntry callback_;
    int selecting_ = 0;      // the left button went down inside: moves select
    int selectAnchor_ = 0;
};
