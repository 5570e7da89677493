// The gallery's product screen: the shipped skin as the pages use it. Every
// named button style appears once per look (normal, hover, pressed,
// disabled; option buttons and check boxes: off, off hover, on, on hover),
// each at the size its art is drawn at, then one control of every other kind
// and the home view's feature pictures.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "PagePictures.h"
#include "ProductSkinSizes.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ColorSelect.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_PieChart.h"
#include "controls/DUI_Progress.h"
#include "controls/DUI_SliderBar.h"
#include "controls/DUI_TextEdit.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace {

constexpr uint32_t kText = 0xFFE8ECF2, kSecondary = 0xFF9AA4B2, kDisabled = 0xFF4A5363, kOnAccent = 0xFF0B0F14;
constexpr uint32_t kCard = 0xFF121821, kRaised = 0xFF1A2230;

struct Sample {
    const wchar_t* kind;
    const wchar_t* style;
    const wchar_t* text;
    bool onAccent;  // text drawn on the accent plate
};

// Every named style of the button kinds, with the text a page gives it.
const Sample kSamples[] = {
    {L"Button", L"ApplyButton", L"应用", true},          {L"Button", L"SaveButton", L"保存", true},
    {L"Button", L"ConfirmButton", L"确定", true},        {L"Button", L"GameSavedBtn", L"保存", true},
    {L"Button", L"UpdateButton", L"检查更新", true},     {L"Button", L"UpdateFanLedButton", L"固件升级", true},
    {L"Button", L"DefaultButton", L"恢复默认", false},   {L"Button", L"CreateShotcutsBtn", L"创建快捷方式", false},
    {L"Button", L"ResetFanLedButton", L"重启控制器", false}, {L"Button", L"GameAppendBtn", L"添加游戏", false},
    {L"Button", L"GameResetBtn", L"重置", false},        {L"Button", L"GameTaskBtn", L"概览", false},
    {L"Button", L"OVStyle1Btn", L"上传我的方案", false}, {L"Button", L"DeleteButton", L"删除", false},
    {L"Button", L"GameRemoveBtn", L"删除", false},       {L"Button", L"FactoryFanLedButton", L"恢复出厂设置", false},
    {L"Button", L"EditButton", L"编辑", false},          {L"Button", L"OVButton", L"确定", true},
    {L"PushButton", L"AutoButton", L"自动", false},      {L"Button", L"UserLoginBtn", L"登录", true},
    {L"Button", L"EnterButton", L"进入", true},
    {L"Button", L"LightReturnButton", L"返回", false},   {L"Button", L"FanReturnButton", L"返回", false},
    {L"Button", L"GameReturnButton", L"返回", false},    {L"Button", L"UpdateReturnButton", L"返回", false},
    {L"Button", L"GameModeBtn", L"返回", false},
    {L"Button", L"BeforArrowButton", L"", false},        {L"Button", L"AfterArrowButton", L"", false},
    {L"Button", L"MinButton", L"", false},               {L"Button", L"CloseButton", L"", false},
    {L"Button", L"OVDialogCloseButton", L"", false},
    {L"Button", L"ConfigButton", L"", false},            {L"Button", L"TPSetingButton", L"", false},
    {L"Button", L"TPDeleteButton", L"", false},          {L"Button", L"SetGameUpBtn", L"", false},
    {L"Button", L"SetGameDownBtn", L"", false},
    {L"OptionButton", L"LightButton", L"灯光", false},   {L"OptionButton", L"FanButton", L"风扇", false},
    {L"OptionButton", L"GameModeButton", L"游戏模式", false}, {L"OptionButton", L"UpdateButton", L"软件升级", false},
    {L"OptionButton", L"AppletTaskBtn", L"应用程序", false}, {L"OptionButton", L"WebsetTaskBtn", L"网页访问", false},
    {L"OptionButton", L"LightsTaskBtn", L"灯光设置", false}, {L"OptionButton", L"StartTaskBtn", L"概览", false},
    {L"OptionButton", L"UpdateSoftwareOptionButton", L"软件升级", false},
    {L"OptionButton", L"UpdateFirmwareOptionButton", L"固件升级", false},
    {L"OptionButton", L"OVTreeOptionButton", L"英雄联盟", false},
    {L"PushButton", L"OVTreePushButton", L"我的游戏", false},
    {L"OptionButton", L"OVOptionButton", L"如果程序未打开,则打开该程序", false},
    {L"CheckBox", L"OVCheckBox", L"启用", false},        {L"CheckBox", L"AutoLoginCheckBox", L"自动登录", false},
    {L"CheckBox", L"TPStatusButton", L"程序1", false},
    {L"Button", L"EmptyButton", L"EmptyButton", false},
};

void PlateSize(const Sample& s, int* w, int* h) {
    *w = 80;
    *h = 30;
    for (const auto& p : ventaro_skin::kPlateSizes) {
        if (std::wstring(p.kind) == s.kind && std::wstring(p.style) == s.style) {
            *w = p.width;
            *h = p.height;
        }
    }
    if (std::wstring(s.kind) == L"CheckBox") *w = 110;  // box plus its text
}

CDUI_Label* AddLabel(CDUI_UIResource* r, CDUI_UICollection* parent, const std::wstring& text, int x, int y, int w,
                     int h, uint32_t colour, const wchar_t* font = L"yahei9") {
    CDUI_Label* label = r->CreateLabel(0, L"OVLabel", text, x, y, w, h);
    if (!label) return nullptr;
    label->SetTransparent(1);
    label->SetBorder(0);
    label->SetTextColor(colour);
    label->SetHitEnable(0);
    if (CDUI_FontType* f = r->FindFont(font)) label->SetFont(f);
    parent->AddChild(label);
    return label;
}

CDUI_UIControl* BuildLook(CDUI_UIResource* r, const Sample& s, int look, int x, int y, int w, int h) {
    const std::wstring kind = s.kind;
    CDUI_UIControl* c = nullptr;
    if (kind == L"Button") c = r->CreateButton(0, s.style, s.text, x, y, w, h);
    if (kind == L"PushButton") c = r->CreatePushButton(0, s.style, s.text, x, y, w, h);
    if (kind == L"OptionButton") {
        // Each sample in a group of its own: selecting one clears its group.
        static int32_t group = 100;
        auto* option = r->CreateOptionButton(0, s.style, s.text, x, y, w, h);
        if (option) option->SetGroup(group++);
        c = option;
    }
    if (kind == L"CheckBox") c = r->CreateCheckBox(0, s.style, s.text, x, y, w, h);
    if (!c) return nullptr;
    const std::wstring style = s.style;
    const bool feature = style == L"LightButton" || style == L"FanButton" || style == L"GameModeButton" ||
                         (kind == L"OptionButton" && style == L"UpdateButton");
    // Icon above the text: the text sits at the bottom, centred.
    c->SetAlignment(feature ? 2 | 32 : (kind == L"CheckBox" || style.rfind(L"OVTree", 0) == 0) ? 1 | 16 : 2 | 16);
    c->SetFont(r->FindFont(feature || style == L"EnterButton" ? L"yahei14" : L"yahei12"));
    c->SetTransparent(1);
    c->SetHitEnable(0);  // the looks stay as set while the pointer moves over them
    return c;
}

// The look is set once the control is in the scene.
void ApplyLook(CDUI_UIControl* c, const Sample& s, int look) {
    const std::wstring kind = s.kind;
    const std::wstring style = s.style;
    uint32_t colour = s.onAccent ? kOnAccent : kText;
    if (kind == L"Button") {
        // normal, hover, pressed, disabled
        if (look == 1) c->SetState(DUI_STATE_HOVER);
        if (look == 2) c->SetState(DUI_STATE_PRESSED);
        if (look == 3) {
            c->SetEnabled(0);
            colour = kDisabled;
        }
    } else if (kind == L"PushButton") {
        // off, off hover, on, on hover, disabled
        if (look == 1 || look == 3) c->SetState(DUI_STATE_HOVER);
        if (look == 2 || look == 3) c->SetChecked(1);
        if (look == 2 || look == 3) colour = style == L"AutoButton" ? kOnAccent : kText;
        if (look == 4) {
            c->SetEnabled(0);
            colour = kDisabled;
        }
    } else {
        // off, off hover, on, on hover
        if (look == 1 || look == 3) c->SetState(DUI_STATE_HOVER);
        if (look >= 2) c->SetChecked(1);
        if (look == 0 && kind == L"OptionButton") colour = kSecondary;
    }
    c->SetTextColor(colour);
}

bool StandsOnHome(const Sample& s) {
    const std::wstring style = s.style;
    if (style == L"UpdateButton") return std::wstring(s.kind) == L"OptionButton";  // the tab, not the page button
    for (const wchar_t* home : {L"EnterButton", L"BeforArrowButton", L"AfterArrowButton", L"LightButton", L"FanButton",
                                L"GameModeButton", L"UserLoginBtn"})
        if (style == home) return true;
    return false;
}

int LookCount(const Sample& s) { return std::wstring(s.kind) == L"PushButton" ? 5 : 4; }

}  // namespace

namespace {

CDUI_Window* AddWindow(CDUI_UIResource* r, CDUI_UIScene* scene, const wchar_t* title, int width, int height) {
    CDUI_Window* window = r->CreateWindow(1, L"OVWindow", title, 0, 0, width, height);
    if (!window) return nullptr;
    window->SetMovable(0);
    window->SetResizable(0);
    window->SetTextColor(kText);
    window->SetBackColor(0xFF0B0F14);
    scene->AddChild(window);
    window->Show(0);
    return window;
}

// The four feature pairs at their own size: plain at the left, lit at the right.
void BuildPictureScene(CDUI_UIResource* r, CDUI_UIScene* scene, int width, int height) {
    CDUI_Window* window = AddWindow(r, scene, L"Ventaro 首页功能图（左：常态，右：悬停“进入”时）", width, height);
    if (!window) return;
    using namespace ventaro_pictures;
    const int pairs[][2] = {{kPictureLightFeature, kPictureLightFeatureLit}, {kPictureFanFeature, kPictureFanFeatureLit},
                            {kPictureGameFeature, kPictureGameFeatureLit}, {kPictureUpdateFeature, kPictureUpdateFeatureLit}};
    const wchar_t* names[] = {L"灯光 140 / 141", L"风扇 134 / 135", L"游戏模式 136 / 137", L"软件升级 146 / 147"};
    for (int i = 0; i < 4; ++i) {
        const int x = 16 + (i % 2) * (2 * kFeaturePictureWidth + 40);
        const int y = 64 + (i / 2) * (kFeaturePictureHeight + 40);
        AddLabel(r, window, names[i], x, y, 300, 20, kSecondary, L"yahei12");
        for (int j = 0; j < 2; ++j) {
            if (auto* img = r->CreateImage(0, L"OVImage", L"", x + j * (kFeaturePictureWidth + 8), y + 24, 10, 10)) {
                img->SetImageFromResource(GetModuleHandleW(nullptr), static_cast<UINT>(pairs[i][j]));
                img->FitToImage();
                img->SetTransparent(1);
            img->SetBorder(0);
                img->SetBorder(0);
                window->AddChild(img);
            }
        }
    }
    const int y = 64 + 2 * (kFeaturePictureHeight + 40) + 10;
    const struct { int id; const wchar_t* name; } others[] = {
        {kPictureDialogBanner, L"对话框横幅 133"}, {kPictureFanGauge, L"风扇表盘 138"}, {kPictureEmptyGames, L"空游戏列表 139"}};
    int x = 16;
    for (const auto& o : others) {
        AddLabel(r, window, o.name, x, y, 300, 20, kSecondary, L"yahei12");
        if (auto* img = r->CreateImage(0, L"OVImage", L"", x, y + 24, 10, 10)) {
            img->SetImageFromResource(GetModuleHandleW(nullptr), static_cast<UINT>(o.id));
            img->FitToImage();
            img->SetTransparent(1);
            img->SetBorder(0);
            int32_t w = 0;
            img->GetSize(&w, nullptr);
            window->AddChild(img);
            x += w + 40;
        }
    }

    // A dialog as the account pages build one: "OVWindow" at 579 x 412 with
    // the banner under its title strip, two fields, the check box and the login button.
    if (CDUI_Window* dialog = r->CreateWindow(2, L"OVWindow", L"登录", 1800, 64, 579, 412)) {
        dialog->SetMovable(0);
        dialog->SetResizable(0);
        dialog->SetTextColor(kText);
        window->AddChild(dialog);
        dialog->Show(0);
        if (auto* banner = r->CreateImage(0, L"OVImage", L"", 1, 50, 10, 10)) {
            banner->SetImageFromResource(GetModuleHandleW(nullptr), kPictureDialogBanner);
            banner->FitToImage();
            banner->SetTransparent(1);
            banner->SetBorder(0);
            dialog->AddChild(banner);
        }
        const wchar_t* fields[] = {L"demo", L"********"};
        for (int i = 0; i < 2; ++i) {
            if (auto* e = r->CreateTextEdit(0, L"OVTextEdit", fields[i], 160, 184 + i * 52, 260, 36)) {
                e->SetBackColor(kRaised);
                e->SetTextColor(kText);
                e->SetBorder(0);
                e->SetFont(r->FindFont(L"titleedt"));
                dialog->AddChild(e);
            }
        }
        if (auto* c = r->CreateCheckBox(0, L"TPStatusButton", L"自动登录", 160, 290, 140, 24)) {
            c->SetTextColor(kSecondary);
            c->SetFont(r->FindFont(L"yahei12"));
            c->SetChecked(1);
            dialog->AddChild(c);
        }
        AddLabel(r, dialog, L"忘记密码?", 340, 292, 80, 20, kSecondary, L"yahei12");
        if (auto* b = r->CreateButton(0, L"UserLoginBtn", L"登录", 160, 336, ventaro_skin::kLoginButtonWidth,
                                      ventaro_skin::kLoginButtonHeight)) {
            b->SetTextColor(kOnAccent);
            b->SetTextPlacement(1);
            b->SetFont(r->FindFont(L"yahei14"));
            dialog->AddChild(b);
        }
    }
}

}  // namespace

void BuildProductScene(CDUI_UIResource* r, CDUI_UIScene* scene, int width, int height, bool pictures) {
    if (pictures) {
        BuildPictureScene(r, scene, width, height);
        return;
    }
    CDUI_Window* window = AddWindow(r, scene, L"Ventaro 产品皮肤一览", width, height);
    if (!window) return;

    // Button styles: the looks side by side for small plates, stacked for wide ones.
    const int left = 16, right = width - 16, gap = 4;
    int x = left, y = 60, rowHeight = 0;
    for (const Sample& s : kSamples) {
        int w = 0, h = 0;
        PlateSize(s, &w, &h);
        const int looks = LookCount(s);
        const bool stacked = w >= 90;
        const int cellW = std::max(stacked ? w : looks * (w + gap) - gap, 96);
        const int cellH = 16 + (stacked ? looks * (h + gap) - gap : h);
        if (x + cellW > right) {
            x = left;
            y += rowHeight + 12;
            rowHeight = 0;
        }
        AddLabel(r, window, s.style, x, y, cellW + 40, 14, kSecondary);
        if (StandsOnHome(s)) {
            // The home view's window ground, which these plates are drawn on.
            if (CDUI_Label* ground = r->CreateLabel(0, L"OVLabel", L"", x - 4, y + 14, cellW + 8, cellH - 12)) {
                ground->SetBackColor(0xFF000000);
                ground->SetBorder(0);
                ground->SetHitEnable(0);
                window->AddChild(ground);
            }
        }
        for (int look = 0; look < looks; ++look) {
            const int lx = stacked ? x : x + look * (w + gap);
            const int ly = y + 16 + (stacked ? look * (h + gap) : 0);
            if (CDUI_UIControl* c = BuildLook(r, s, look, lx, ly, w, h)) {
                window->AddChild(c);
                ApplyLook(c, s, look);
            }
        }
        x += cellW + 14;
        rowHeight = std::max(rowHeight, cellH);
    }
    y += rowHeight + 16;

    // The other kinds on a card, as a page shows them.
    const int cardY = y, cardH = height - y - 12;
    if (CDUI_Panel* card = r->CreatePanel(2, L"OVPanel", L"", left, cardY, 1010, cardH)) {
        card->SetBackColor(kCard);
        window->AddChild(card);
        AddLabel(r, card, L"滑块 · 进度 · 输入 · 列表", 16, 10, 300, 20, kText, L"yahei12");
        if (auto* s = r->CreateSliderBar(0, L"OVSliderBar", L"", 16, 40, 260, ventaro_skin::kSliderHeight, 0, 100, 65)) {
            s->SetShowFore(1);
            card->AddChild(s);
        }
        AddLabel(r, card, L"65%", 286, 40, 60, 20, kText, L"yahei12");
        if (auto* p = r->CreateProgress(0, L"OVProgress", L"", 16, 76, 260, ventaro_skin::kProgressHeight)) {
            p->SetProgress(40);
            card->AddChild(p);
        }
        if (auto* p = r->CreateProgress(0, L"UpdateProgress", L"72%", 16, 96, 260, ventaro_skin::kUpdateProgressHeight)) {
            p->SetProgress(72);
            p->SetTextColor(kText);
            p->SetAlignment(2 | 16);
            card->AddChild(p);
        }
        if (auto* e = r->CreateTextEdit(0, L"OVTextEdit", L"我的主题 1", 16, 124, 260, 32)) {
            e->SetBackColor(kRaised);
            e->SetTextColor(kText);
            e->SetFont(r->FindFont(L"titleedt"));
            card->AddChild(e);
        }
        if (auto* combo = r->CreateComboBox(0, L"OVComboBox", L"", 16, 164, 260, ventaro_skin::kComboHeight)) {
            combo->AddItem(L"不做任何操作", 0, L"");
            combo->AddItem(L"Orvane", 1, L"");
            combo->SelectByValue(1);
            combo->SetBackColor(kRaised);
            combo->SetTextColor(kText);
            card->AddChild(combo);
        }
        if (auto* list = r->CreateListBox(0, L"OVListBox", L"", 16, 204, 260, 110)) {
            for (const wchar_t* n : {L"静态常亮", L"呼吸", L"彩虹", L"闪烁", L"渐变"}) list->AddItem(n, 0, L"");
            list->SetBackColor(kRaised);
            list->SetTextColor(kText);
            card->AddChild(list);
        }
        if (auto* picker = r->CreateColorSelect(0, L"OVColorSelect", L"", 300, 40, 240, 170)) {
            picker->SetBackColor(kRaised);
            picker->SetHSV(25, 1.0f, 1.0f);
            card->AddChild(picker);
        }
        if (auto* nav = r->CreateNavigationBar(0, L"OVNavigationBar", L"", 560, 40, 300, 180)) {
            nav->SetBackColor(kCard);
            nav->SetTextColor(kText);
            // 20 rows in a bar for about 6: it scrolls (wheel or bar).
            nav->SetNodeFonts(r->FindFont(L"yahei14"), r->FindFont(L"yahei12"));
            NavigationNode* games = nav->AddNode(L"我的游戏", nullptr, 1000, 0, 0, 1);
            const wchar_t* names[] = {L"英雄联盟", L"绝地求生", L"永劫无间", L"原神", L"反恐精英 2", L"刀塔 2",
                                      L"守望先锋", L"无畏契约", L"魔兽世界", L"艾尔登法环", L"赛博朋克 2077",
                                      L"荒野大镖客 2", L"极限竞速", L"我的世界", L"星露谷物语", L"黑神话：悟空"};
            int id = 1;
            for (const wchar_t* name : names) nav->AddNode(name, games, id++, 0, 0);
            nav->AddNode(L"收藏", nullptr, 1001, 0, 0, 1);  // a group with nothing in it yet
            nav->AddNode(L"最近运行", nullptr, 1002, 0, 0, 1);
            nav->AddNode(L"全部游戏", nullptr, 1003, 0, 0);
            nav->SetNodeOpen(1000, 1);
            nav->SelectNode(2);
            card->AddChild(nav);
        }
        if (auto* pie = r->CreatePieChart(0, L"OVPieChart", L"", 880, 40, 110, 110)) {
            pie->AddItem(0xFFCC5500, 0xFFFF8A33, 360);
            pie->AddItem(0xFF1A2230, 0xFF263042, 140);
            card->AddChild(pie);
        }
        if (auto* img = r->CreateImage(0, L"OVLogo", L"", 300, 230, 28, 28)) card->AddChild(img);
        AddLabel(r, card, L"标签 OVLabel：CPU 温度 45 ℃  ·  风扇 1200 RPM", 340, 234, 420, 20, kText, L"yahei12");
        if (auto* gauge = r->CreateImage(0, L"OVImage", L"", 780, 150, 10, 10)) {
            gauge->SetImageFromResource(GetModuleHandleW(nullptr), ventaro_pictures::kPictureFanGauge);
            gauge->FitToImage();
            gauge->SetTransparent(1);
            gauge->SetBorder(0);
            card->AddChild(gauge);
        }
    }

    // The home view's pictures: plain and lit, side by side, scaled to fit.
    const int picX = left + 1010 + 16;
    const int picW = (right - picX - 8) / 2;
    const int picH = picW * ventaro_pictures::kFeaturePictureHeight / ventaro_pictures::kFeaturePictureWidth;
    const int pairs[][2] = {{ventaro_pictures::kPictureLightFeature, ventaro_pictures::kPictureLightFeatureLit},
                            {ventaro_pictures::kPictureFanFeature, ventaro_pictures::kPictureFanFeatureLit},
                            {ventaro_pictures::kPictureGameFeature, ventaro_pictures::kPictureGameFeatureLit},
                            {ventaro_pictures::kPictureUpdateFeature, ventaro_pictures::kPictureUpdateFeatureLit}};
    int py = cardY;
    for (const auto& pair : pairs) {
        if (py + picH > height - 12) break;
        for (int i = 0; i < 2; ++i) {
            if (auto* img = r->CreateImage(0, L"OVImage", L"", picX + i * (picW + 8), py, picW, picH)) {
                img->SetImageFromResource(GetModuleHandleW(nullptr), static_cast<UINT>(pair[i]));
                img->SetTransparent(1);
            img->SetBorder(0);
                img->SetBorder(0);
                window->AddChild(img);
            }
        }
        py += picH + 4;
    }
    // A message box over everything, as a page shows a notice. Kept
    // non-modal so the looks stay undimmed and usable; with
    // VENTARO_GALLERY_MESSAGE=1 it is modal as on a page: the screen behind
    // is dimmed and takes no input until the box is closed.
    if (auto* box = r->CreateMessageBox(0, L"OVMessageBox", L"信息", 0, 0, 300, 150)) {
        scene->AddChild(box);
        const char* modal = std::getenv("VENTARO_GALLERY_MESSAGE");
        box->SetModal(modal && *modal == '1' ? 1 : 0);
        box->ShowMessage(L"主题已保存。", 3, 3);
        int32_t bw = 0, bh = 0;
        box->GetSize(&bw, &bh);
        box->SetPosition(left + 1010 - bw - 20, cardY + cardH - bh - 20);
    }
}
