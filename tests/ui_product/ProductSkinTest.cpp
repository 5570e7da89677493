// The shipped skin as the program loads it: description 131 and image 130
// from this executable's resources (linked from ventaro_skin), the page
// pictures beside them. Runs under both code pages: the description is gb2312
// and must read the same under 1252 and 936.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../ui_graphics/PixelSurface.h"
#include "PagePictures.h"
#include "ProductSkinSizes.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_SliderBar.h"
#include "controls/DUI_StandardControls.h"
#include "core/DUI_ControlBuilders.h"
#include "core/DUI_FontType.h"
#include "graphics/GDIPlugCtrl.h"
#include "graphics/GraphicsCtrl.h"
#include "graphics/UIGraphicsEngine.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "graphics/GdiplusInclude.h"
#include "skin/DUI_Styles.h"
#include "skin/DUI_UIResource.h"

namespace {

struct Named {
    const wchar_t* kind;
    const wchar_t* style;
};

// Every style the program's pages and the engine ask for by name.
const Named kNamedStyles[] = {
    {L"Label", L"OVLabel"}, {L"TextEdit", L"OVTextEdit"}, {L"Image", L"OVImage"}, {L"ScrollBar", L"OVScrollBar"},
    {L"ListBox", L"OVListBox"}, {L"TextArea", L"OVTextArea"}, {L"SliderBar", L"OVSliderBar"},
    {L"ComboBox", L"OVComboBox"}, {L"Window", L"OVWindow"}, {L"Window", L"OVWindow2"}, {L"Panel", L"OVPanel"},
    {L"MessageBox", L"OVMessageBox"}, {L"ColorSelect", L"OVColorSelect"}, {L"NavigationBar", L"OVNavigationBar"},
    {L"PieChart", L"OVPieChart"}, {L"Progress", L"OVProgress"}, {L"Progress", L"UpdateProgress"},
    {L"Button", L"EmptyButton"}, {L"Button", L"OVButton"}, {L"Button", L"LightReturnButton"},
    {L"Button", L"FanReturnButton"}, {L"Button", L"GameReturnButton"}, {L"Button", L"UpdateReturnButton"},
    {L"Button", L"ConfigButton"}, {L"Button", L"MinButton"}, {L"Button", L"CloseButton"},
    {L"Button", L"BeforArrowButton"}, {L"Button", L"AfterArrowButton"}, {L"Button", L"EnterButton"},
    {L"Button", L"DefaultButton"}, {L"Button", L"ApplyButton"}, {L"Button", L"DeleteButton"},
    {L"Button", L"SaveButton"}, {L"Button", L"ConfirmButton"}, {L"Button", L"CreateShotcutsBtn"},
    {L"Button", L"EditButton"}, {L"Button", L"TPSetingButton"}, {L"Button", L"TPDeleteButton"},
    {L"Button", L"UpdateButton"}, {L"Button", L"UpdateFanLedButton"}, {L"Button", L"FactoryFanLedButton"},
    {L"Button", L"ResetFanLedButton"}, {L"Button", L"GameAppendBtn"}, {L"Button", L"GameRemoveBtn"},
    {L"Button", L"GameSavedBtn"}, {L"Button", L"GameResetBtn"}, {L"Button", L"SetGameUpBtn"},
    {L"Button", L"SetGameDownBtn"}, {L"Button", L"GameTaskBtn"}, {L"Button", L"GameModeBtn"},
    {L"Button", L"OVStyle1Btn"}, {L"Button", L"UserLoginBtn"},
    {L"OptionButton", L"OVOptionButton"}, {L"OptionButton", L"GameModeButton"}, {L"OptionButton", L"FanButton"},
    {L"OptionButton", L"UpdateButton"}, {L"OptionButton", L"LightButton"}, {L"OptionButton", L"OVTreeOptionButton"},
    {L"OptionButton", L"UpdateFirmwareOptionButton"}, {L"OptionButton", L"UpdateSoftwareOptionButton"},
    {L"OptionButton", L"AppletTaskBtn"}, {L"OptionButton", L"WebsetTaskBtn"}, {L"OptionButton", L"LightsTaskBtn"},
    {L"OptionButton", L"StartTaskBtn"},
    {L"CheckBox", L"OVCheckBox"}, {L"CheckBox", L"AutoLoginCheckBox"}, {L"CheckBox", L"TPStatusButton"},
    {L"PushButton", L"OVTreePushButton"}, {L"PushButton", L"AutoButton"},
};

struct FontWant {
    const wchar_t* name;
    const wchar_t* family;
    float size;
};
const FontWant kFonts[] = {{L"default", L"黑体", 9},   {L"songti12", L"宋体", 12}, {L"yahei20", L"黑体", 20},
                           {L"yahei18", L"黑体", 18},  {L"yahei14", L"黑体", 14},  {L"yahei12", L"黑体", 12},
                           {L"yahei9", L"黑体", 9},    {L"titleedt", L"黑体", 14}};

struct Picture {
    int id;
    int width;
    int height;
};
using namespace ventaro_pictures;
const Picture kPictures[] = {
    {kPictureLightFeature, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureLightFeatureLit, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureFanFeature, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureFanFeatureLit, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureGameFeature, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureGameFeatureLit, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureUpdateFeature, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureUpdateFeatureLit, kFeaturePictureWidth, kFeaturePictureHeight},
    {kPictureDialogBanner, 577, 112},
    {kPictureFanGauge, 220, 220},
    {kPictureEmptyGames, 200, 150},
};

using Rects = std::vector<std::pair<const char*, DUI_SkinRect>>;

// The skin rects of a record, by field, for every kind that has any.
Rects RectsOf(CDUI_UIControlStyle* s) {
    if (auto* w = dynamic_cast<CDUI_Window_Style*>(s))
        return {{"LeftUp", w->leftUpCorner},       {"MiddleUp", w->middleUpCorner},   {"RightUp", w->rightUpCorner},
                {"LeftDown", w->leftDownCorner},   {"MiddleDown", w->middleDownCorner}, {"RightDown", w->rightDownCorner},
                {"LeftBorder", w->leftBorder},     {"RightBorder", w->rightBorder}};
    if (auto* p = dynamic_cast<CDUI_Panel_Style*>(s))
        return {{"LeftUp", p->leftUpCorner},       {"MiddleUp", p->middleUpCorner},   {"RightUp", p->rightUpCorner},
                {"LeftDown", p->leftDownCorner},   {"MiddleDown", p->middleDownCorner}, {"RightDown", p->rightDownCorner},
                {"LeftBorder", p->leftBorder},     {"RightBorder", p->rightBorder}};
    if (auto* b = dynamic_cast<CDUI_Button_Style*>(s))
        return {{"Normal", b->normal}, {"Active", b->active}, {"Pressd", b->pressed}, {"Disabl", b->disabled}};
    if (auto* b = dynamic_cast<CDUI_PushButton_Style*>(s))
        return {{"NoPush", b->noPush}, {"NoPushActive", b->noPushActive}, {"Push", b->push},
                {"PushActive", b->pushActive}, {"Disable", b->disabled}};
    if (auto* b = dynamic_cast<CDUI_OptionButton_Style*>(s))
        return {{"NoSelect", b->noSelect}, {"ActiveNoSelect", b->activeNoSelect}, {"Select", b->select},
                {"ActiveSelect", b->activeSelect}};
    if (auto* b = dynamic_cast<CDUI_CheckBox_Style*>(s))
        return {{"NoCheck", b->noCheck}, {"Check", b->check}, {"ActiveNoCheck", b->activeNoCheck},
                {"ActiveCheck", b->activeCheck}};
    if (auto* i = dynamic_cast<CDUI_Image_Style*>(s)) return {{"Source", i->sourceRect}};
    if (auto* b = dynamic_cast<CDUI_ScrollBar_Style*>(s))
        return {{"VBefor", b->verticalBeforBtn},   {"VScrol", b->verticalScrolBtn},   {"VAfter", b->verticalAfterBtn},
                {"VPatte", b->verticalPatteBtn},   {"HBefor", b->horizontalBeforBtn}, {"HScrol", b->horizontalScrolBtn},
                {"HAfter", b->horizontalAfterBtn}, {"HPatte", b->horizontalPatteBtn}};
    if (auto* b = dynamic_cast<CDUI_SliderBar_Style*>(s))
        return {{"VHead", b->verticalHead}, {"VBack", b->verticalBack}, {"VFore", b->verticalFore},
                {"VTail", b->verticalTail}, {"VBtn", b->verticalBtn},   {"HHead", b->horizontalHead},
                {"HBack", b->horizontalBack}, {"HFore", b->horizontalFore}, {"HTail", b->horizontalTail},
                {"HBtn", b->horizontalBtn}};
    if (auto* b = dynamic_cast<CDUI_Progress_Style*>(s))
        return {{"Back", b->backGround}, {"Head", b->surfaceHead}, {"Body", b->surfaceBody}, {"Tail", b->surfaceTail}};
    if (auto* b = dynamic_cast<CDUI_ComboBox_Style*>(s))
        return {{"Normal", b->normal}, {"Active", b->active}, {"Pressd", b->pressed}, {"Disabl", b->disabled}};
    if (auto* b = dynamic_cast<CDUI_MessageBox_Style*>(s))
        return {{"Error", b->errorIco}, {"Exclamation", b->exclamationIco}, {"Information", b->informationIco},
                {"Question", b->questionIco}, {"Stop", b->stopIco}, {"Warning", b->warningIco}};
    return {};
}

std::string Narrow(const std::wstring& w) {
    std::string out;
    for (wchar_t c : w) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// 32-bit ARGB pixels of a picture.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(int x, int y) const { return argb[size_t(y) * size_t(width) + size_t(x)]; }
};

// A picture of the program as its loader gives it (raw pixels, not PNG).
Pixels DecodeResource(int id) {
    Pixels out;
    CGDIPlug_ImageCtrl image;
    auto* bitmap = image.LoadFromResource(nullptr, id) ? static_cast<Gdiplus::Bitmap*>(image.GetImage()) : nullptr;
    if (!bitmap) return out;
    out.width = static_cast<int>(bitmap->GetWidth());
    out.height = static_cast<int>(bitmap->GetHeight());
    out.argb.resize(size_t(out.width) * size_t(out.height));
    Gdiplus::Rect all(0, 0, out.width, out.height);
    Gdiplus::BitmapData data{};
    data.Width = out.width;
    data.Height = out.height;
    data.Stride = out.width * 4;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = out.argb.data();
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                         &data) == Gdiplus::Ok)
        bitmap->UnlockBits(&data);
    else
        out = Pixels{};
    return out;
}

bool SamePixels(const Pixels& sheet, const DUI_SkinRect& a, const DUI_SkinRect& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (sheet.At(a.x + x, a.y + y) != sheet.At(b.x + x, b.y + y)) return false;
    return true;
}

class ProductSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        graphics_ = new CDUI_UIGraphicsEngine;
        graphics_->Startup(1);
        DUI_RegisterStandardControls();
        skin_ = new CDUI_UIResource;
        skin_->Create(nullptr, GetModuleHandleW(nullptr), 131);
        sheet_ = new Pixels(DecodeResource(static_cast<int>(skin_->GetImageResourceId())));
    }
    static void TearDownTestSuite() {
        delete sheet_;
        delete skin_;
        graphics_->Shutdown();
        delete graphics_;
    }
    // Through the factory of the kind, as the pages and the engine build them.
    static CDUI_UIControl* Build(const std::wstring& kind, const std::wstring& style) {
        if (kind == L"Window") return skin_->CreateWindow(1, style, L"", 0, 0, 400, 300);
        if (kind == L"SliderBar") return skin_->CreateSliderBar(1, style, L"", 0, 0, 200, 20, 0, 100, 50);
        return DUI_BuildControl(skin_, kind, style, 1, L"", 0, 0, 80, 30);
    }
    static CDUI_UIGraphicsEngine* graphics_;
    static CDUI_UIResource* skin_;
    static Pixels* sheet_;
};
CDUI_UIGraphicsEngine* ProductSkin::graphics_ = nullptr;
CDUI_UIResource* ProductSkin::skin_ = nullptr;
Pixels* ProductSkin::sheet_ = nullptr;

}  // namespace

TEST_F(ProductSkin, DescriptionIsCompleteAndNamesTheSheet) {
    ASSERT_EQ(skin_->IsReady(), 1);
    EXPECT_EQ(skin_->IsDescriptionComplete(), 1);
    EXPECT_EQ(skin_->GetSkinName(), L"ZavuvIdov");
    EXPECT_EQ(skin_->GetSkinEdition(), L"1.0.0.0");
    EXPECT_EQ(skin_->GetSkinAuthor(), L"Orvane 界面设计组");  // gb2312 in the description
    EXPECT_EQ(skin_->GetImageFromFile(), 0);
    EXPECT_EQ(skin_->GetImageResourceId(), 130u);
    // Every record the description holds is one the program names, plus the
    // implicit scene, the eight fonts, the window mark and the dialogs' close button.
    EXPECT_EQ(skin_->GetStyleCount(), std::size(kNamedStyles) + 1 + std::size(kFonts) + 2);
    int32_t w = 0, h = 0;
    skin_->GetSkinImageSize(&w, &h);
    EXPECT_GT(w, 0);
    EXPECT_LE(w, 1024);
    EXPECT_LE(h, 1024);
    ASSERT_EQ(sheet_->width, w);
    ASSERT_EQ(sheet_->height, h);
    // Let go while the window is hidden, the sheet comes back on its next
    // use with the pixels of the resource (kept once, out of the decoder).
    skin_->ReleaseSkinPixels();
    auto* again = static_cast<Gdiplus::Bitmap*>(skin_->GetSkinImage()->GetImage());
    ASSERT_NE(again, nullptr);
    int differing = 0;
    for (int y = 0; y < h; y += 7)
        for (int x = 0; x < w; ++x) {
            Gdiplus::Color c;
            again->GetPixel(x, y, &c);
            differing += c.GetValue() != sheet_->At(x, y);
        }
    EXPECT_EQ(differing, 0);
}

TEST_F(ProductSkin, EveryNamedStyleAndFontIsBuiltByItsFactory) {
    for (const Named& n : kNamedStyles) {
        SCOPED_TRACE(Narrow(n.kind) + " " + Narrow(n.style));
        CDUI_UIControlStyle* s = skin_->FindStyle(n.kind, n.style);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->kindName, n.kind);
        // TextArea is read but no control of the program is built from it.
        if (std::wstring(n.kind) == L"TextArea") continue;
        std::unique_ptr<CDUI_UIControl> control(Build(n.kind, n.style));
        ASSERT_NE(control, nullptr);
        control->ReleaseResources();
    }
    // The kind keeps the two "UpdateButton" records apart.
    EXPECT_NE(skin_->FindStyle(L"Button", L"UpdateButton"), skin_->FindStyle(L"OptionButton", L"UpdateButton"));
    for (const FontWant& f : kFonts) {
        SCOPED_TRACE(Narrow(f.name));
        CDUI_FontType* font = skin_->FindFont(f.name);
        ASSERT_NE(font, nullptr);
        auto* record = dynamic_cast<CDUI_FontType_Style*>(skin_->FindStyle(L"FontType", f.name));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->fontFamily, f.family);
        EXPECT_FLOAT_EQ(record->fontSize, f.size);
        EXPECT_EQ(record->bold + record->italic + record->underline + record->strikeOut, 0);
        EXPECT_EQ(record->optimize, 4095);
    }
    // The colours the catalogue fixes.
    EXPECT_EQ(static_cast<CDUI_Window_Style*>(skin_->FindStyle(L"Window", L"OVWindow"))->windowBackColor, 0xFE000000u);
    EXPECT_EQ(static_cast<CDUI_Window_Style*>(skin_->FindStyle(L"Window", L"OVWindow2"))->windowBackColor, 0xFF0D2029u);
    EXPECT_EQ(static_cast<CDUI_Panel_Style*>(skin_->FindStyle(L"Panel", L"OVPanel"))->panelBackColor, 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<CDUI_ScrollBar_Style*>(skin_->FindStyle(L"ScrollBar", L"OVScrollBar"))->scrollBarBackColor,
              0xFF808080u);
    auto* box = static_cast<CDUI_MessageBox_Style*>(skin_->FindStyle(L"MessageBox", L"OVMessageBox"));
    EXPECT_EQ(box->windowStyleName, L"OVWindow2");
    EXPECT_EQ(box->buttonStyleName, L"OVButton");
    EXPECT_EQ(box->labelForeColor, 0xFEFFFFFFu);
}

TEST_F(ProductSkin, EveryRectLiesInsideTheSheetAndEveryLookDiffers) {
    ASSERT_GT(sheet_->width, 0);
    std::vector<Named> all(std::begin(kNamedStyles), std::end(kNamedStyles));
    all.push_back({L"Image", L"OVLogo"});
    all.push_back({L"Button", L"OVDialogCloseButton"});
    for (const Named& n : all) {
        const std::wstring style = n.style;
        // The catalogue fixes these two as all-zero rects.
        const bool zero = style == L"EmptyButton" || style == L"OVScrollBar";
        Rects rects = RectsOf(skin_->FindStyle(n.kind, n.style));
        for (const auto& [field, r] : rects) {
            SCOPED_TRACE(Narrow(style) + " " + field);
            if (zero) {
                EXPECT_TRUE(r.x == 0 && r.y == 0 && r.width == 0 && r.height == 0);
                continue;
            }
            EXPECT_GT(r.width, 0);
            EXPECT_GT(r.height, 0);
            EXPECT_GE(r.x, 0);
            EXPECT_GE(r.y, 0);
            EXPECT_LE(r.x + r.width, sheet_->width);
            EXPECT_LE(r.y + r.height, sheet_->height);
        }
        // A control must look different in each of its states: the button
        // kinds' rects show pairwise different pixels.
        const std::wstring kind = n.kind;
        if (zero || (kind != L"Button" && kind != L"OptionButton" && kind != L"CheckBox" && kind != L"PushButton" &&
                     kind != L"ComboBox"))
            continue;
        for (size_t i = 0; i < rects.size(); ++i)
            for (size_t j = i + 1; j < rects.size(); ++j) {
                SCOPED_TRACE(Narrow(style) + " " + rects[i].first + " vs " + rects[j].first);
                EXPECT_FALSE(SamePixels(*sheet_, rects[i].second, rects[j].second));
            }
        // Buttons are filled with the engine's default background unless a
        // page clears it: every plate covers its control with its own ground.
        if (kind == L"CheckBox") continue;  // the check box clears itself; its box stands beside the text
        for (const auto& [field, r] : rects) {
            int clear = 0;
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x) clear += (sheet_->At(r.x + x, r.y + y) >> 24) != 0xFF;
            EXPECT_EQ(clear, 0) << Narrow(style) << " " << field;
        }
    }
    // Images that stand over other controls (hint pictures, the colour
    // field's overlay) show a clear area until a page gives them a picture.
    auto* image = static_cast<CDUI_Image_Style*>(skin_->FindStyle(L"Image", L"OVImage"));
    const DUI_SkinRect r = image->sourceRect;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) ASSERT_EQ(sheet_->At(r.x + x, r.y + y) >> 24, 0u);
    // The plate sizes the pages are told are those of the art.
    for (const auto& p : ventaro_skin::kPlateSizes) {
        SCOPED_TRACE(Narrow(p.style));
        Rects rects = RectsOf(skin_->FindStyle(p.kind, p.style));
        ASSERT_FALSE(rects.empty());
        EXPECT_EQ(rects[0].second.width, p.width);
        EXPECT_EQ(rects[0].second.height, p.height);
    }
}

size_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

TEST_F(ProductSkin, PicturesDecodeAndTheWorkingSetStaysSmall) {
    // What the program adds: a second skin resource (its sheet decoded) and
    // every page picture held by an image control, the way pages show them.
    const size_t start = WorkingSet();
    auto second = std::make_unique<CDUI_UIResource>();
    second->Create(nullptr, GetModuleHandleW(nullptr), 131);
    const size_t withSheet = WorkingSet();
    std::vector<std::unique_ptr<CDUI_Image>> shown;
    size_t withPair = 0;
    for (const Picture& p : kPictures) {
        std::unique_ptr<CDUI_Image> image(second->CreateImage(p.id, L"OVImage", L"", 0, 0, 10, 10));
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->SetImageFromResource(GetModuleHandleW(nullptr), p.id), 1) << p.id;
        ASSERT_EQ(image->FitToImage(), 1);
        int32_t w = 0, h = 0;
        image->GetSize(&w, &h);
        EXPECT_EQ(w, p.width) << p.id;
        EXPECT_EQ(h, p.height) << p.id;
        shown.push_back(std::move(image));
        // The home view holds one feature pair at a time (the first two here).
        if (shown.size() == 2) withPair = WorkingSet();
    }
    const size_t withPictures = WorkingSet();
    size_t decoded = size_t(sheet_->width) * size_t(sheet_->height) * 4;
    for (const Picture& p : kPictures) decoded += size_t(p.width) * size_t(p.height) * 4;
    auto mb = [](size_t from, size_t to) { return (double(to) - double(from)) / 1048576.0; };
    std::printf("[ skin     ] decoded pixels: sheet %dx%d + %zu pictures = %.2f MB\n"
                "[ skin     ] working set added: sheet %.2f MB; sheet + one feature pair %.2f MB; "
                "sheet + all pictures %.2f MB\n",
                sheet_->width, sheet_->height, std::size(kPictures), decoded / 1048576.0, mb(start, withSheet),
                mb(start, withPair), mb(start, withPictures));
    EXPECT_LT(decoded, size_t(8) * 1024 * 1024);
    for (auto& image : shown) image->ReleaseResources();
    shown.clear();
    second.reset();

    // Each picture has alpha and the size the header gives.
    for (const Picture& p : kPictures) {
        Pixels pixels = DecodeResource(p.id);
        EXPECT_EQ(pixels.width, p.width) << p.id;
        EXPECT_EQ(pixels.height, p.height) << p.id;
        // The feature pictures stand on the window's own ground: clear corners.
        if (p.width == kFeaturePictureWidth && !pixels.argb.empty()) EXPECT_EQ(pixels.At(0, 0) >> 24, 0u) << p.id;
    }
}

TEST_F(ProductSkin, ButtonsAtTheirPlateSizeShowTheirArtPixelForPixel) {
    // A scene as the program has one; each button style built at the size its
    // art is drawn at, put in each look and painted: the painted pixels are
    // the sheet's, so no look is lost or resampled on the way.
    CDUI_UIScene* scene = skin_->CreateScene(nullptr, 400, 200, 2026);
    ASSERT_NE(scene, nullptr);
    scene->SetDirectDelivery(1);
    for (const auto& p : ventaro_skin::kPlateSizes) {
        const std::wstring kind = p.kind;
        if (kind != L"Button" && kind != L"OptionButton" && kind != L"PushButton") continue;
        Rects rects = RectsOf(skin_->FindStyle(p.kind, p.style));
        CDUI_UIControl* c = nullptr;
        if (kind == L"Button") c = skin_->CreateButton(1, p.style, L"", 10, 10, p.width, p.height);
        if (kind == L"OptionButton") c = skin_->CreateOptionButton(1, p.style, L"", 10, 10, p.width, p.height);
        if (kind == L"PushButton") c = skin_->CreatePushButton(1, p.style, L"", 10, 10, p.width, p.height);
        ASSERT_NE(c, nullptr);
        scene->AddChild(c);
        // The looks in the order of RectsOf for each kind.
        for (size_t look = 0; look < rects.size(); ++look) {
            SCOPED_TRACE(Narrow(p.style) + " " + rects[look].first);
            int32_t state = DUI_STATE_NORMAL, checked = 0, enabled = 1;
            if (kind == L"Button") {
                const int32_t states[] = {DUI_STATE_NORMAL, DUI_STATE_HOVER, DUI_STATE_PRESSED, DUI_STATE_NORMAL};
                state = states[look];
                enabled = look == 3 ? 0 : 1;
            } else if (kind == L"OptionButton") {
                state = (look == 1 || look == 3) ? DUI_STATE_HOVER : DUI_STATE_NORMAL;
                checked = look >= 2;
            } else {
                state = (look == 1 || look == 3) ? DUI_STATE_HOVER : DUI_STATE_NORMAL;
                checked = look == 2 || look == 3;
                enabled = look == 4 ? 0 : 1;
            }
            c->SetEnabled(enabled);
            c->CDUI_UIControl::SetChecked(checked);
            c->SetState(state);
            static_cast<CDUI_ButtonBase*>(c)->UpdateLook();
            PixelSurface surface(400, 200);
            scene->PaintControl(surface.Graphics(), DUI_Rect{0, 0, 400, 200});
            const DUI_SkinRect r = rects[look].second;
            int wrong = 0;
            for (int y = 0; y < r.height; y += 3)
                for (int x = 0; x < r.width; x += 3) {
                    // Opaque plates: premultiplied equals straight ARGB.
                    const uint32_t want = sheet_->At(r.x + x, r.y + y);
                    const uint32_t got = surface.Pixel(10 + x, 10 + y);
                    wrong += want != got;
                }
            EXPECT_EQ(wrong, 0);
        }
        scene->RemoveChild(c);
        c->ReleaseResources();
        delete c;
    }
    scene->ReleaseResources();
    delete scene;
}
