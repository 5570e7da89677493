#include <gtest/gtest.h>

#include <fstream>

#include "TestPaths.h"
#include "UiTestSupport.h"
#include "core/DUI_FontType.h"
#include "skin/SkinParse.h"

using namespace uitest;

// GDI+ for the whole run: fonts and drawing objects outlive single tests.
static GdiplusSession g_gdiplus;

namespace {

template <class S>
S* Find(CDUI_UIResource& r, const wchar_t* kind, const wchar_t* style) {
    return dynamic_cast<S*>(r.FindStyle(kind, style));
}

std::wstring WriteTestFile(const std::wstring& dir, const wchar_t* name, const std::string& bytes) {
    std::wstring path = dir + name;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return path;
}

std::string ReadSourceFile(const wchar_t* relative) {
    std::wstring path = testpaths::SourceDir() + L"\\tests\\ui\\skin\\" + relative;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(f, buffer, sizeof buffer, &read, nullptr) && read) bytes.append(buffer, read);
    CloseHandle(f);
    return bytes;
}

const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"gb2312\"?><SkinInfo><SkinDesc><SkinName>n</SkinName>"
    "<SkinEdition>e</SkinEdition><SkinAuthor>a</SkinAuthor><SkinImageFrom>File</SkinImageFrom>"
    "<SkinImageFile>missing.png</SkinImageFile></SkinDesc><SkinFont><FontType StyleName=\"default\" "
    "FontFamily=\"Arial\" FontSize=\"9\"/></SkinFont>";

}  // namespace

TEST(SkinResource, LoadsTheDescriptionFromAResourceFoundById) {
    auto skin = LoadTestSkin();
    ASSERT_EQ(skin->IsReady(), 1);
    EXPECT_EQ(skin->IsDescriptionComplete(), 1);
    EXPECT_EQ(skin->GetSkinName(), L"TestSkin");
    EXPECT_EQ(skin->GetSkinEdition(), L"1.0.0.0");
    EXPECT_EQ(skin->GetSkinAuthor(), L"测试作者");
    EXPECT_EQ(skin->GetImageFromFile(), 0);
    EXPECT_EQ(skin->GetImageResourceId(), 130u);
    // The image lives under a custom resource type; enumeration finds it,
    // and it is read in place, not copied.
    int32_t width = 0, height = 0;
    skin->GetSkinImageSize(&width, &height);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_TRUE(skin->GetSkinImageBytes().empty());
    std::wstring value;
    EXPECT_EQ(skin->GetParam(L"Greeting", &value), 1);
    EXPECT_EQ(value, L"你好");
    EXPECT_EQ(skin->GetParam(L"", &value), 0);
    EXPECT_EQ(skin->GetParam(L"Nope", &value), 0);
}

TEST(SkinResource, FontsInOrderWithTheirAttributes) {
    auto skin = LoadTestSkin();
    CDUI_FontType* def = skin->FindFont(L"default");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->GetFamily(), L"黑体");
    EXPECT_FLOAT_EQ(def->GetSizePoints(), 9.0f);
    EXPECT_EQ(def->GetStyleBits(), 0);
    CDUI_FontType* song = skin->FindFont(L"songti12");
    ASSERT_NE(song, nullptr);
    EXPECT_FLOAT_EQ(song->GetSizePoints(), 12.5f);
    EXPECT_EQ(song->GetStyleBits(), 1 | 2);  // "TRUE" and "1"; "yes" is false
    EXPECT_EQ(skin->FindFont(L"ghost"), nullptr);
    EXPECT_EQ(skin->FindFont(L""), nullptr);
    auto* record = Find<CDUI_FontType_Style>(*skin, L"FontType", L"default");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->optimize, 4095);
    // Even with the family missing, the font measures something.
    int32_t ascii = 0, other = 0, line = 0;
    def->GetMetrics(&ascii, &other, &line);
    EXPECT_GT(ascii, 0);
    EXPECT_GE(other, ascii);
    EXPECT_GT(line, 0);
    EXPECT_EQ(def->MeasureWidth(L"ab中"), 2 * ascii + other);
}

TEST(SkinResource, CatalogueFieldsAndColours) {
    auto skin = LoadTestSkin();
    auto* window = Find<CDUI_Window_Style>(*skin, L"Window", L"OVWindow");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowBackColor, 0xFE000000u);
    EXPECT_EQ(window->leftUpCorner.y, 100);
    EXPECT_EQ(window->leftUpCorner.width, 4);
    EXPECT_EQ(window->leftUpCorner.height, 30);
    EXPECT_EQ(window->rightBorder.x, 8);
    EXPECT_EQ(window->closeButton, L"CloseButton");
    EXPECT_EQ(window->titleLabel, L"OVLabel");
    EXPECT_EQ(Find<CDUI_Window_Style>(*skin, L"Window", L"OVWindow2")->windowBackColor, 0xFF0D2029u);
    EXPECT_EQ(Find<CDUI_Panel_Style>(*skin, L"Panel", L"OVPanel")->panelBackColor, 0xFFFFFFFFu);
    EXPECT_EQ(Find<CDUI_Panel_Style>(*skin, L"Panel", L"OVPanel")->scrollStyleName, L"OVScrollBar");
    EXPECT_EQ(Find<CDUI_ScrollBar_Style>(*skin, L"ScrollBar", L"OVScrollBar")->scrollBarBackColor, 0xFF808080u);
    EXPECT_EQ(Find<CDUI_ScrollBar_Style>(*skin, L"ScrollBar", L"BadHexBar")->scrollBarBackColor, 0u);
    EXPECT_EQ(Find<CDUI_ScrollBar_Style>(*skin, L"ScrollBar", L"DecimalBar")->scrollBarBackColor, 255u);
    auto* box = Find<CDUI_MessageBox_Style>(*skin, L"MessageBox", L"OVMessageBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->foreColor, 0xFE000000u);
    EXPECT_EQ(box->buttonForeColor, 0xFE000000u);
    EXPECT_EQ(box->labelForeColor, 0xFEFFFFFFu);
    EXPECT_EQ(box->windowStyleName, L"OVWindow2");
    EXPECT_EQ(box->informationIco.width, 32);
    EXPECT_EQ(box->errorIco.width, 0);  // missing rect -> zero
    auto* nav = Find<CDUI_NavigationBar_Style>(*skin, L"NavigationBar", L"OVNavigationBar");
    ASSERT_NE(nav, nullptr);
    EXPECT_EQ(nav->parentPushButton, L"OVTreePushButton");
    EXPECT_EQ(nav->subestOptionButton, L"OVTreeOptionButton");
    auto* combo = Find<CDUI_ComboBox_Style>(*skin, L"ComboBox", L"OVComboBox");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->listBoxStyleName, L"OVListBox");
    EXPECT_EQ(combo->textEditStyleName, L"OVTextEdit");
}

TEST(SkinResource, RectEdgeCases) {
    auto skin = LoadTestSkin();
    auto* close = Find<CDUI_Button_Style>(*skin, L"Button", L"CloseButton");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->normal.x, 24);
    EXPECT_EQ(close->normal.y, 0);       // empty Top
    EXPECT_EQ(close->normal.width, 1);   // Left 24, Right 25
    EXPECT_EQ(close->normal.height, 10);
    EXPECT_EQ(close->active.y, 0);       // missing Top
    EXPECT_EQ(close->pressed.width, 0);  // missing rect
}

TEST(SkinResource, LookupRules) {
    auto skin = LoadTestSkin();
    auto* first = Find<CDUI_Button_Style>(*skin, L"Button", L"DupButton");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->normal.x, 1);  // the first of two same-named styles
    CDUI_UIControlStyle* asButton = skin->FindStyle(L"Button", L"UpdateButton");
    CDUI_UIControlStyle* asOption = skin->FindStyle(L"OptionButton", L"UpdateButton");
    ASSERT_NE(asButton, nullptr);
    ASSERT_NE(asOption, nullptr);
    EXPECT_NE(asButton, asOption);
    EXPECT_EQ(dynamic_cast<CDUI_OptionButton_Style*>(asOption)->noSelect.x, 5);
    EXPECT_NE(skin->FindStyle(L"Button", L"中文按钮"), nullptr);
    EXPECT_EQ(skin->FindStyle(L"Button", L"updatebutton"), nullptr);  // case-sensitive
    EXPECT_EQ(skin->FindStyle(L"Gizmo", L"Unknown"), nullptr);
    EXPECT_EQ(skin->FindStyle(L"Button", L""), nullptr);
    EXPECT_NE(skin->FindStyle(L"Scene", L"DUIScene"), nullptr);
    auto* menu = Find<CDUI_Generic_Style>(*skin, L"Menu", L"OVMenu");
    ASSERT_NE(menu, nullptr);
    ASSERT_FALSE(menu->values.empty());
    EXPECT_EQ(menu->values.back().first, L"MenuBackColor.Color");
    EXPECT_NE(skin->FindStyle(L"TextArea", L"OVTextArea"), nullptr);
    // Catalogue order: fonts first, then the scene, then the controls.
    EXPECT_GT(skin->GetStyleCount(), 30u);
}

TEST(SkinResource, SceneFactoryNeedsAReadySkin) {
    CDUI_UIResource notLoaded;
    EXPECT_EQ(notLoaded.CreateScene(nullptr, 100, 100, kEventMessage), nullptr);
    auto skin = LoadTestSkin();
    std::unique_ptr<CDUI_UIScene> scene(skin->CreateScene(nullptr, 640, 480, kEventMessage));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->GetKindName(), L"Scene");
    EXPECT_EQ(scene->GetStyleName(), L"DUIScene");
    EXPECT_EQ(scene->GetAbsoluteRect(), (DUI_Rect{0, 0, 640, 480}));
    EXPECT_EQ(scene->GetTransparent(), 1);
    EXPECT_EQ(scene->GetBorder(), 0);
    EXPECT_EQ(scene->GetFocusable(), 0);
    EXPECT_NE(scene->GetParamMutex(), nullptr);
    EXPECT_EQ(skin->BuildFromStyle(L"Button", L"NoSuchStyle", [](CDUI_UIControlStyle*) {
        ADD_FAILURE() << "built without a style";
        return static_cast<CDUI_UIControl*>(nullptr);
    }), nullptr);
}

TEST(SkinResource, LoadsFromAFileWithTheImageBesideIt) {
    std::wstring dir = testpaths::MakeTempDir(L"skinfile");
    std::string description = ReadSourceFile(L"TestSkin.xml");
    ASSERT_FALSE(description.empty());
    // Switch the image to a file beside the description.
    size_t at = description.find("<SkinImageFrom>Resource</SkinImageFrom>");
    ASSERT_NE(at, std::string::npos);
    description.replace(at, strlen("<SkinImageFrom>Resource</SkinImageFrom>"), "<SkinImageFrom>File</SkinImageFrom>");
    at = description.find("<SkinImageFile>130</SkinImageFile>");
    description.replace(at, strlen("<SkinImageFile>130</SkinImageFile>"), "<SkinImageFile>img.png</SkinImageFile>");
    std::wstring path = WriteTestFile(dir, L"skin.xml", description);
    WriteTestFile(dir, L"img.png", ReadSourceFile(L"TestSkin.png"));
    CDUI_UIResource skin;
    ASSERT_EQ(skin.CreateFromFile(nullptr, path), 1);
    EXPECT_EQ(skin.IsDescriptionComplete(), 1);
    EXPECT_EQ(skin.GetImageFromFile(), 1);
    EXPECT_EQ(skin.GetSkinImageBytes().size(), ReadSourceFile(L"TestSkin.png").size());
    EXPECT_EQ(skin.GetSkinAuthor(), L"测试作者");
}

TEST(SkinResource, BadSkinsLeaveAUsableEngine) {
    std::wstring dir = testpaths::MakeTempDir(L"badskin");
    std::string good = ReadSourceFile(L"TestSkin.xml");
    struct Case {
        const wchar_t* name;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {L"empty.xml", ""},
        {L"truncated.xml", good.substr(0, good.size() / 2)},
        {L"wrongroot.xml", "<SkinData><SkinCtrl><Button StyleName=\"OVButton\"/></SkinCtrl></SkinData>"},
        {L"nofont.xml",
         "<SkinInfo><SkinDesc><SkinName/><SkinEdition/><SkinAuthor/><SkinImageFrom/><SkinImageFile/></SkinDesc>"
         "<SkinCtrl><Button StyleName=\"OVButton\"/></SkinCtrl></SkinInfo>"},
        {L"garbage.xml", std::string("\x00\xff\xfe<<<&&&\x01", 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        CDUI_UIResource skin;
        ASSERT_EQ(skin.CreateFromFile(nullptr, WriteTestFile(dir, c.name, c.bytes)), 1);
        EXPECT_EQ(skin.IsReady(), 1);
        EXPECT_EQ(skin.IsDescriptionComplete(), 0);
        EXPECT_EQ(skin.FindStyle(L"Button", L"OVButton"), nullptr);
        EXPECT_EQ(skin.CreateScene(nullptr, 10, 10, kEventMessage), nullptr);
        EXPECT_EQ(skin.FindFont(L"default"), nullptr);
    }
    CDUI_UIResource missing;
    EXPECT_EQ(missing.CreateFromFile(nullptr, dir + L"does-not-exist.xml"), 1);
    EXPECT_EQ(missing.IsDescriptionComplete(), 0);
    CDUI_UIResource noResource;
    EXPECT_EQ(noResource.Create(nullptr, GetModuleHandleW(nullptr), 999), 1);
    EXPECT_EQ(noResource.IsDescriptionComplete(), 0);
}

TEST(SkinResource, TenThousandStylesAndAbsurdNumbers) {
    std::wstring dir = testpaths::MakeTempDir(L"bigskin");
    std::string text = kHeader;
    text += "<SkinCtrl>";
    for (int i = 0; i < 10000; ++i)
        text += "<Button StyleName=\"B" + std::to_string(i) +
                "\"><NormalSkinRect Left=\"-2147483648\" Top=\"99999999999999\" Right=\"2147483647\" "
                "Bottom=\"-99999999999999\"/></Button>";
    text += "<Panel StyleName=\"P\"><PanelBackColor Color=\"0x1234567890ABCDEF12345\"/></Panel>";
    text += "<FontTypeX/></SkinCtrl></SkinInfo>";
    CDUI_UIResource skin;
    ASSERT_EQ(skin.CreateFromFile(nullptr, WriteTestFile(dir, L"big.xml", text)), 1);
    EXPECT_EQ(skin.IsDescriptionComplete(), 1);
    EXPECT_EQ(skin.GetStyleCount(), 10000u + 3u);  // font, scene, buttons, panel
    auto* last = dynamic_cast<CDUI_Button_Style*>(skin.FindStyle(L"Button", L"B9999"));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->normal.x, INT32_MIN);
    EXPECT_EQ(last->normal.y, INT32_MAX);
    EXPECT_EQ(last->normal.width, INT32_MAX);
    EXPECT_EQ(last->normal.height, INT32_MIN);
    EXPECT_EQ(dynamic_cast<CDUI_Panel_Style*>(skin.FindStyle(L"Panel", L"P"))->panelBackColor,
              skinparse::ParseHexAccumulate(L"1234567890ABCDEF12345"));
    std::unique_ptr<CDUI_UIScene> scene(skin.CreateScene(nullptr, 100, 100, kEventMessage));
    EXPECT_NE(scene, nullptr);
}
