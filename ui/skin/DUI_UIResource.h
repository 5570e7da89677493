#pragma once
// The loaded skin: description fields, parameter map, style catalogue, fonts,
// skin image, and the factories that build controls from style records.
// Every lookup and factory call holds the resource mutex (recursive for its
// owner thread). Factories return nullptr until loading has run, and for a
// style that the catalogue lacks.
#include <windows.h>
// The factory CreateWindow clashes with the function-like macro of the same
// name; callers of the Win32 function use CreateWindowExW.
#undef CreateWindow

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "WinHandles.h"
#include "skin/DUI_Styles.h"

class CDUIDevManage;
class CDUI_UIControl;
class CDUI_FontType;
class CDUI_UIScene;
class CDUI_Window;
class CDUI_Panel;
class CDUI_Button;
class CDUI_PushButton;
class CDUI_OptionButton;
class CDUI_CheckBox;
class CDUI_Label;
class CDUI_Image;
class CDUI_TextEdit;
class CDUI_ComboBox;
class CDUI_ListBox;
class CDUI_ScrollBar;
class CDUI_SliderBar;
class CDUI_Progress;
class CDUI_PieChart;
class CDUI_ColorSelect;
class CDUI_NavigationBar;
class CDUI_MessageBox;
class CClipBoardCtrl;
struct DUI_SkinDocument;
namespace Gdiplus {
class Graphics;
}  // namespace Gdiplus
class CGraphics_ImageCtrl;
class CGraphics_BrushCtrl;
class CGraphics_PenCtrl;
class CGDIPlug_ImageCtrl;
class CGDIPlug_BrushCtrl;
class CGDIPlug_PenCtrl;

class CDUI_UIResource {
public:
    CDUI_UIResource();
    virtual ~CDUI_UIResource();  // Destroy
    CDUI_UIResource(const CDUI_UIResource&) = delete;
    CDUI_UIResource& operator=(const CDUI_UIResource&) = delete;

    // Loads the description from the module resource with this numeric id
    // (any resource type), then the skin image. owner may be nullptr.
    // Returns 0 only when the object itself could not be set up; a skin that
    // failed to load still leaves a ready (if incomplete) resource.
    int Create(CDUIDevManage* owner, HINSTANCE module, UINT descriptionId);
    // The same with the description read from a file; a file-based skin
    // image is looked up beside the description.
    int CreateFromFile(CDUIDevManage* owner, const std::wstring& path);
    void Destroy();

    // 1 when every loading step succeeded (root, SkinDesc, SkinFont, SkinCtrl).
    int IsDescriptionComplete() const { return complete_; }
    int IsReady() const { return ready_; }

    // First record whose kind and style names both equal the arguments.
    CDUI_UIControlStyle* FindStyle(const std::wstring& kind, const std::wstring& style);
    // First font control of that name ("yahei12", "default", ...).
    CDUI_FontType* FindFont(const std::wstring& name);
    // Value of a SkinParam entry; 0 when the name is not there.
    int GetParam(const std::wstring& name, std::wstring* value);
    size_t GetStyleCount();

    const std::wstring& GetSkinName() const { return skinName_; }
    const std::wstring& GetSkinEdition() const { return skinEdition_; }
    const std::wstring& GetSkinAuthor() const { return skinAuthor_; }
    int GetImageFromFile() const { return imageFromFile_; }
    const std::wstring& GetImageFile() const { return imageFile_; }
    UINT GetImageResourceId() const { return imageResourceId_; }
    HINSTANCE GetModule() const { return module_; }
    CDUIDevManage* GetOwner() const { return owner_; }
    int GetGraphicsMode() const { return 1; }

    // Encoded bytes of a skin image read from a file (empty when it could not
    // be read, and for an image in the module's resources, read in place).
    const std::vector<char>& GetSkinImageBytes() const { return skinImageBytes_; }
    CClipBoardCtrl* GetClipboard() { return clipboard_.get(); }
    // The skin image object; empty (draws nothing) when the image is missing
    // or not decodable. The paint pass sets its alpha per control.
    CGraphics_ImageCtrl* GetSkinImage();
    // Lets the decoded skin image go while nothing paints (the window is
    // hidden, the render thread stopped); the next use decodes it again from
    // the bytes kept.
    void ReleaseSkinPixels();
    // Shared drawing objects of the paint pass (render thread only): a solid
    // brush and a 1-pixel pen, both created black.
    CGraphics_BrushCtrl* GetBrush();
    CGraphics_PenCtrl* GetPen();
    // Draws the source rectangle of the skin image into dest: stretched when
    // stretch is 1, else at the source size (negative sizes mirror), with the
    // alpha the paint pass set. Nothing happens without a skin image.
    int DrawSkinRect(Gdiplus::Graphics* graphics, const DUI_SkinRect& dest, const DUI_SkinRect& source, int stretch);
    // Width and height of the skin image (0, 0 when there is none).
    void GetSkinImageSize(int32_t* width, int32_t* height);

    // Common factory path for every kind: ready flag, resource mutex, style
    // lookup of (kind, style); build runs under the mutex with the record and
    // its result is returned. nullptr when any step fails.
    CDUI_UIControl* BuildFromStyle(const std::wstring& kind, const std::wstring& style,
                                   const std::function<CDUI_UIControl*(CDUI_UIControlStyle*)>& build);

    // Factories. Each takes the control's id, style name, text and rectangle
    // and returns an unattached control (nullptr when not ready or the style
    // is missing). The scene always uses the kind "Scene", style "DUIScene".
    // Each is defined beside its control kind.
    CDUI_UIScene* CreateScene(HWND host, int32_t width, int32_t height, UINT eventMessage);
    CDUI_Window* CreateWindow(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                              int32_t width, int32_t height);
    CDUI_Panel* CreatePanel(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                            int32_t width, int32_t height);
    CDUI_Button* CreateButton(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                              int32_t width, int32_t height);
    CDUI_PushButton* CreatePushButton(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                      int32_t y, int32_t width, int32_t height);
    CDUI_OptionButton* CreateOptionButton(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                          int32_t y, int32_t width, int32_t height);
    CDUI_CheckBox* CreateCheckBox(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                                  int32_t width, int32_t height);
    CDUI_Label* CreateLabel(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                            int32_t width, int32_t height);
    CDUI_Image* CreateImage(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                            int32_t width, int32_t height);
    CDUI_TextEdit* CreateTextEdit(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                                  int32_t width, int32_t height);
    CDUI_ComboBox* CreateComboBox(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                                  int32_t width, int32_t height);
    CDUI_ListBox* CreateListBox(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                                int32_t width, int32_t height);
    CDUI_ScrollBar* CreateScrollBar(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                    int32_t y, int32_t width, int32_t height);
    // orientation 1 = vertical; maximum must be greater than 0.
    CDUI_SliderBar* CreateSliderBar(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                    int32_t y, int32_t width, int32_t height, int32_t orientation, int32_t maximum,
                                    int32_t value);
    CDUI_Progress* CreateProgress(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                                  int32_t width, int32_t height);
    CDUI_PieChart* CreatePieChart(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x, int32_t y,
                                  int32_t width, int32_t height);
    CDUI_ColorSelect* CreateColorSelect(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                        int32_t y, int32_t width, int32_t height);
    CDUI_NavigationBar* CreateNavigationBar(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                            int32_t y, int32_t width, int32_t height);
    CDUI_MessageBox* CreateMessageBox(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                      int32_t y, int32_t width, int32_t height);

private:
    // Holds the resource mutex for one scope (0 from Ok() when the wait failed).
    class Guard;
    int SetUp(CDUIDevManage* owner);
    void Load(const char* bytes, size_t size, const std::wstring& descriptionFolder);
    void LoadSkinImage(const std::wstring& descriptionFolder);

    CDUIDevManage* owner_ = nullptr;  // borrowed
    HINSTANCE module_ = nullptr;
    UINT descriptionId_ = 0;
    std::wstring descriptionPath_;
    int fromFile_ = 0;
    std::wstring skinName_, skinEdition_, skinAuthor_;
    int imageFromFile_ = 0;
    std::wstring imageFile_;
    UINT imageResourceId_ = 0;
    std::map<std::wstring, std::wstring> params_;
    std::vector<std::unique_ptr<CDUI_UIControlStyle>> styles_;
    std::vector<std::unique_ptr<CDUI_FontType>> fonts_;
    std::vector<char> skinImageBytes_;
    // Drawing objects need GDI+, which the application starts before loading
    // the skin; a resource made earlier creates them on first use instead.
    void MakeDrawingObjects();
    std::unique_ptr<CGDIPlug_ImageCtrl> skinImage_;
    std::unique_ptr<CGDIPlug_BrushCtrl> brush_;
    std::unique_ptr<CGDIPlug_PenCtrl> pen_;
    int imageLoaded_ = 0;
    std::unique_ptr<CClipBoardCtrl> clipboard_;
    win::CUniqueHandle mutex_;
    int ready_ = 0;
    int complete_ = 0;
};

// Bytes of the module resource with this numeric id, whatever its type
// (found by enumerating the types and their names). Empty when missing.
std::vector<char> DUI_LoadResourceById(HINSTANCE module, UINT id);
