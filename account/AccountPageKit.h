#pragma once
// What the three account pages share: the page window with its title and
// "CloseButton", the page's own message box (caption "信息"), text boxes with
// their hint pictures, link labels, cards, and the binding of control events
// to the page's handlers.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PageLook.h"

class CDUI_UIResource;
class CDUI_UIControl;
class CDUI_Window;
class CDUI_Label;
class CDUI_Image;
class CDUI_Button;
class CDUI_CheckBox;
class CDUI_TextEdit;
class CDUI_MessageBox;
class IClientHost;
struct CDUI_EventRecord;

namespace accountui {

// The login and password dialogs: one column of fields under the dialog
// picture, then "UserLoginBtn" at the size of its plate.
namespace dialog {
inline constexpr int32_t kWidth = 579;
inline constexpr int32_t kHeight = 412;
inline constexpr int32_t kFieldWidth = 360;
inline constexpr int32_t kLeft = (kWidth - kFieldWidth) / 2;
inline constexpr int32_t kFieldHeight = 40;
inline constexpr int32_t kFirstField = 164;
inline constexpr int32_t kButtonWidth = 260, kButtonHeight = 40;
}  // namespace dialog

// Text placement flags of the engine: horizontal near/centre/far in bits
// 0-2, vertical in bits 3-5.
inline constexpr uint32_t kAlignLeftMiddle = 1 | 16;
inline constexpr uint32_t kAlignCentreMiddle = 2 | 16;
inline constexpr uint32_t kAlignRightMiddle = 4 | 16;

// Message box forms.
inline constexpr int kInfoButtons = 2;      // "确定"
inline constexpr int kInfoIcon = 3;         // information
inline constexpr int kConfirmButtons = 5;   // "是" / "否"
inline constexpr int kConfirmIcon = 4;      // question
inline constexpr int kConfirmed = 2;        // result of "是"

}  // namespace accountui

class CAccountPageKit {
public:
    // resource, host: borrowed, outlive the page.
    CAccountPageKit(CDUI_UIResource* resource, IClientHost* host);
    ~CAccountPageKit();
    CAccountPageKit(const CAccountPageKit&) = delete;
    CAccountPageKit& operator=(const CAccountPageKit&) = delete;

    // The page window (style "OVWindow"), centred in the host's window
    // control and hidden, with a "CloseButton" at the top right that runs
    // onClose, and the page's message box. The title goes into the frame's
    // top strip, or with banner under the dialog picture that then covers
    // the strip. nullptr when the skin lacks the window style.
    CDUI_Window* BuildWindow(int32_t id, const std::wstring& title, int32_t width, int32_t height, int banner,
                             std::function<void()> onClose);
    CDUI_Window* Window() const { return window_; }
    CDUI_MessageBox* MessageBox() const { return messageBox_; }
    CDUI_Button* CloseButton() const { return closeButton_; }

    // Controls inside the page window; each returns nullptr when the skin
    // lacks the style (the page then checks).
    CDUI_Label* AddLabel(int32_t id, const std::wstring& text, int32_t x, int32_t y, int32_t width, int32_t height,
                         const wchar_t* font, uint32_t color, uint32_t alignment);
    // A clickable text in the accent colour.
    CDUI_Label* AddLink(int32_t id, const std::wstring& text, int32_t x, int32_t y, int32_t width, int32_t height,
                        uint32_t alignment, std::function<void()> onClick);
    // A card: panel colour with a hairline frame, no text.
    CDUI_Label* AddCard(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height);
    CDUI_Button* AddButton(int32_t id, const wchar_t* style, const std::wstring& text, int32_t x, int32_t y,
                           int32_t width, int32_t height, std::function<void()> onClick);
    CDUI_CheckBox* AddCheckBox(int32_t id, const wchar_t* style, const std::wstring& text, int32_t x, int32_t y,
                               int32_t width, int32_t height, std::function<void(int checked)> onChange);
    // A text box ("OVTextEdit", font "titleedt") on a raised field with a
    // hint picture and hint text that stand for the empty box. The
    // hint hides while the box is active for typing and shows again when the
    // box is left empty. password: the box shows dots.
    CDUI_TextEdit* AddTextBox(int32_t id, const std::wstring& hint, int32_t x, int32_t y, int32_t width,
                              int32_t height, int password);
    // Empties every text box and shows its hint.
    void ResetTextBoxes();
    // The hint picture of a box (for checks); nullptr for an unknown box.
    CDUI_Image* HintOf(CDUI_TextEdit* box) const;

    // Takes the page's window and message box out of the scene and deletes
    // them: a page whose Create failed must leave no controls behind whose
    // handlers point into it.
    void Discard();

    void ShowWindow();
    void HideWindow();
    int IsShown() const;

    // While a request runs: the button that started it is disabled and reads
    // busyText; EndBusy gives it back its own text and use.
    void BeginBusy(CDUI_UIControl* control, const std::wstring& busyText);
    void EndBusy();

    // Information box: "确定" and the information icon.
    void Info(const std::wstring& text);
    // Confirmation box: "是" / "否"; onConfirm runs only for "是".
    void Confirm(const std::wstring& text, std::function<void()> onConfirm);

private:
    struct Binding;
    struct TextBox;
    Binding* Bind(std::function<void(int)> handler);
    void Attach(CDUI_UIControl* control);
    static void OnClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnFocusReport(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnCheckChanged(CDUI_UIControl* control, int32_t value, void* user);
    static void OnHintReport(CDUI_UIControl* control, int32_t value, void* user);
    static void OnMessageResult(CDUI_UIControl* control, int32_t value, void* user);
    void HintReport(TextBox* box, int active);

    CDUI_UIResource* resource_ = nullptr;   // borrowed
    IClientHost* host_ = nullptr;           // borrowed
    CDUI_Window* window_ = nullptr;         // owned by the host's window control
    CDUI_MessageBox* messageBox_ = nullptr;  // owned by the host's window control
    CDUI_Button* closeButton_ = nullptr;    // owned by window_
    std::vector<std::unique_ptr<Binding>> bindings_;
    std::vector<std::unique_ptr<TextBox>> boxes_;
    std::function<void()> onConfirm_;
    CDUI_UIControl* busyButton_ = nullptr;  // owned by window_
    std::wstring busyButtonText_;
};
