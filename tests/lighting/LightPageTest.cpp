// The lighting page in process: a real engine on the product skin, the light
// store in a temporary data folder and the controller simulator. The page is
// driven by clicks and typing; results are read from the simulator's state,
// LightSetConfig.ini and OVCLIENT.ini.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ApplicationConfigFile.h"
#include "ClientPageHarness.h"
#include "FakeTransport.h"
#include "LightCtrlPage.h"
#include "OVFanLedDevice.h"
#include "OVSystemConfig.h"
#include "SimHarness.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ColorSelect.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_SliderBar.h"

namespace {

using pageharness::CClientPageHarness;

std::wstring Ini(const std::wstring& path, const std::wstring& section, const wchar_t* key) {
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(section.c_str(), key, L"<missing>", buf, 512, path.c_str());
    return buf;
}

std::wstring Rid(int32_t record) { return L"RID_" + std::to_wstring(record); }

int Exchanges(CClientPageHarness& h) { return std::stoi(h.Sim()->Value("exchanges")); }

// Holds a file open without sharing, so nobody else can write it meanwhile.
class CLockedFile {
public:
    explicit CLockedFile(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE);
    }
    ~CLockedFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    CLockedFile(const CLockedFile&) = delete;
    CLockedFile& operator=(const CLockedFile&) = delete;

private:
    HANDLE handle_;
};

class LightPage : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h.Ready());
        page = h.AddPage<CLightCtrlPage>(ClientPageId::Light);
        ASSERT_NE(page, nullptr);
        h.SetLightLink(page);
        h.Host().ShowPage(ClientPageId::Light);
        ini = h.Stores()->LightFilePath();
    }

    // A row of the theme list, scrolled into view as a user would.
    CDUI_UIControl* Item(const std::wstring& text) {
        auto* list = static_cast<CDUI_NavigationBar*>(Kind(L"NavigationBar"));
        if (list)
            for (const auto& group : list->Tree().Roots()) {
                if (group->text == text) list->ScrollToNode(group->id);
                for (const auto& item : group->children)
                    if (item->text == text) list->ScrollToNode(item->id);
            }
        return h.Find(L"", text);
    }
    // The first shown control of a kind (composite kinds name their frame's style).
    CDUI_UIControl* Kind(const wchar_t* kind) {
        for (CDUI_UIControl* c : h.FindAll(L""))
            if (c->GetKindName() == kind) return c;
        return nullptr;
    }
    // The page's buttons by their texts (the skin's plates carry no words).
    CDUI_UIControl* Button(const wchar_t* text) {
        for (CDUI_UIControl* c : h.FindAll(L"", text))
            if (c->GetKindName() == L"Button") return c;
        return nullptr;
    }
    bool Shown(const wchar_t* text) { return Button(text) != nullptr; }
    // The brightness slider (the picker's hue slider runs to 360).
    CDUI_SliderBar* Brightness() {
        for (CDUI_UIControl* c : h.FindAll(L""))
            if (c->GetKindName() == L"SliderBar" && static_cast<CDUI_SliderBar*>(c)->GetMaximum() == 100)
                return static_cast<CDUI_SliderBar*>(c);
        return nullptr;
    }
    // The title edit (the lists' edits sit inside their combo boxes).
    CDUI_UIControl* Title() {
        for (CDUI_UIControl* c : h.FindAll(L""))
            if (c->GetKindName() == L"TextEdit" && c->GetParent() && c->GetParent()->GetKindName() != L"ComboBox")
                return c;
        return nullptr;
    }
    std::wstring MessageText() {
        auto* box = static_cast<CDUI_MessageBox*>(Kind(L"MessageBox"));
        return box && box->GetLabel() ? box->GetLabel()->GetText() : L"";
    }
    // Answers the open message box with "确定" or "取消".
    bool Answer(const wchar_t* button) {
        auto* box = static_cast<CDUI_MessageBox*>(Kind(L"MessageBox"));
        if (!box) return false;
        for (int i = 0; i < kMsgButtonCount; ++i)
            if (box->GetButton(i) && box->GetButton(i)->GetText() == button) return h.Click(box->GetButton(i));
        return false;
    }
    // A user theme added by "＋"; its record number.
    int32_t AddOwnTheme() {
        EXPECT_TRUE(h.Click(Item(L"＋")));
        return page->CurrentTheme() ? page->CurrentTheme()->recordNumber : 0;
    }
    // The mode or interval list, by its first item.
    CDUI_ComboBox* Combo(const wchar_t* firstItem) {
        for (CDUI_UIControl* c : h.FindAll(L"")) {
            std::wstring text;
            if (c->GetKindName() != L"ComboBox") continue;
            auto* combo = static_cast<CDUI_ComboBox*>(c);
            if (combo->GetItem(0, &text, nullptr, nullptr) && text == firstItem) return combo;
        }
        return nullptr;
    }
    // The items under "我的主题", in list order.
    std::vector<std::wstring> MyItems() {
        std::vector<std::wstring> out;
        auto* list = static_cast<CDUI_NavigationBar*>(Kind(L"NavigationBar"));
        NavigationNode* mine = list ? list->FindNode(kLightGroupMineId) : nullptr;
        if (mine)
            for (const auto& c : mine->children) out.push_back(c->text);
        return out;
    }

    CClientPageHarness h;
    CLightCtrlPage* page = nullptr;
    std::wstring ini;
};

TEST_F(LightPage, OpensOnOrvaneAndShowingPresetsChangesNothingApplySendsTheStoredTheme) {
    ASSERT_NE(page->CurrentTheme(), nullptr);
    EXPECT_EQ(std::wstring(page->CurrentTheme()->name), L"Orvane");
    // A recommended theme: restore, save and apply; no edit, no delete.
    EXPECT_TRUE(Shown(L"恢复默认"));
    EXPECT_TRUE(Shown(L"保存"));
    EXPECT_FALSE(Shown(L"编辑"));
    EXPECT_FALSE(Shown(L"删除"));

    // Look at every preset: not one value of any record moves.
    const std::string before = simharness::ReadFileText(ini);
    for (const wchar_t* name : {L"烈焰红", L"冰川蓝", L"森林绿", L"星空紫", L"幻彩流光", L"极光", L"暖阳", L"静夜",
                                L"夜间关灯", L"Orvane"}) {
        ASSERT_TRUE(h.Click(Item(name))) << "item " << name;
        ASSERT_NE(page->CurrentTheme(), nullptr);
        EXPECT_EQ(std::wstring(page->CurrentTheme()->name), name);
    }
    LightThemeList presets;
    h.Stores()->LoadPresetThemes(&presets);
    for (const auto& p : presets) {
        const LightThemeRecord* shown = page->Model().ThemeOfRecord(p->recordNumber);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->color, p->color) << p->recordNumber;
        EXPECT_EQ(shown->mode, p->mode);
        EXPECT_EQ(shown->interval, p->interval);
        EXPECT_EQ(shown->brightness, p->brightness);
        EXPECT_EQ(shown->status, p->status);
    }
    EXPECT_EQ(simharness::ReadFileText(ini), before);

    // 星空紫 (8C00FF) is the colour a float round trip would turn into 8B00FF.
    const int exchanges = Exchanges(h);
    ASSERT_TRUE(h.Click(Item(L"星空紫")));
    ASSERT_TRUE(h.Click(Button(L"应用")));
    EXPECT_EQ(h.Sim()->Value("color"), "8C00FF");
    EXPECT_EQ(h.Sim()->Value("mode"), "4");
    EXPECT_EQ(h.Sim()->Value("interval"), "30000");
    EXPECT_EQ(h.Sim()->Value("brightness"), "80");
    EXPECT_EQ(Exchanges(h), exchanges + 4);
    const int32_t record = page->CurrentTheme()->recordNumber;
    EXPECT_EQ(Ini(ini, Rid(record), L"LightSetColor"), std::to_wstring(0x8C00FF));
    EXPECT_EQ(Ini(ini, Rid(record), L"LightSetPreSet"), L"true");
    EXPECT_EQ(h.Settings()->GetLightSelect(), L"星空紫");
    EXPECT_EQ(MessageText(), L"");  // applying says nothing

    // A theme that is off sends only mode 0: colour and the rest stay.
    ASSERT_TRUE(h.Click(Item(L"夜间关灯")));
    ASSERT_TRUE(h.Click(Button(L"应用")));
    EXPECT_EQ(h.Sim()->Value("mode"), "0");
    EXPECT_EQ(h.Sim()->Value("color"), "8C00FF");
    EXPECT_EQ(h.Sim()->Value("brightness"), "80");
    EXPECT_EQ(Exchanges(h), exchanges + 5);
    EXPECT_EQ(h.Settings()->GetLightSelect(), L"夜间关灯");

    std::wstring text;
    EXPECT_EQ(page->GetLightSelectText(&text), 1);
    EXPECT_EQ(text, L"夜间关灯");
    h.Settings()->SetLightSelect(L"");
    EXPECT_EQ(page->GetLightSelectText(&text), 1);
    EXPECT_EQ(text, L"默认");
}

TEST_F(LightPage, PlusAddsUpToFiveOwnThemesBeforePlusSaveWritesSevenKeysAndSendsNothing) {
    // A theme file that cannot be written: "＋" says so and adds nothing.
    {
        CLockedFile locked(ini);
        ASSERT_TRUE(h.Click(Item(L"＋")));
        EXPECT_EQ(MessageText(), L"添加主题失败!");
        EXPECT_EQ(MyItems(), std::vector<std::wstring>{L"＋"});
        ASSERT_TRUE(Answer(L"确定"));
    }

    for (int i = 0; i < 5; ++i) {
        const int32_t record = AddOwnTheme();
        ASSERT_GT(record, 0);
        EXPECT_EQ(Ini(ini, Rid(record), L"LightSetName"), L"我的新主题");
    }
    std::vector<std::wstring> items = MyItems();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items.back(), L"＋");
    EXPECT_EQ(items.front(), L"我的新主题");
    // An own theme: edit and delete, no restore.
    EXPECT_TRUE(Shown(L"编辑"));
    EXPECT_TRUE(Shown(L"删除"));
    EXPECT_FALSE(Shown(L"恢复默认"));

    const int32_t last = page->CurrentTheme()->recordNumber;
    ASSERT_TRUE(h.Click(Item(L"＋")));
    EXPECT_EQ(MessageText(), L"自定义主题最多可定义5个哦!");
    EXPECT_EQ(MyItems().size(), 6u);
    EXPECT_EQ(page->CurrentTheme()->recordNumber, last);
    EXPECT_EQ(Ini(ini, Rid(last + 1), L"LightSetName"), L"<missing>");
    h.SaveScreenshot(L"light_limit_message.png");
    ASSERT_TRUE(Answer(L"确定"));

    // Rename, switch off, pick a mode and an interval, then save.
    const int exchanges = Exchanges(h);
    auto* title = Title();
    ASSERT_NE(title, nullptr);
    // The name takes typing only after "编辑".
    ASSERT_TRUE(h.Type(title, L"x"));
    EXPECT_EQ(title->GetText(), L"我的新主题");
    ASSERT_TRUE(h.Click(Button(L"编辑")));
    title->SetText(L"");
    ASSERT_TRUE(h.Type(title, L"Night"));
    ASSERT_TRUE(h.Click(Kind(L"CheckBox")));
    ASSERT_TRUE(Combo(L"常亮")->SelectByValue(3));     // as a user's pick reports it
    ASSERT_TRUE(Combo(L"5秒")->SelectByValue(60000));
    auto* slider = Brightness();
    ASSERT_NE(slider, nullptr);
    slider->SetSliderValue(35);  // as a user's drag reports it
    ASSERT_TRUE(h.Click(Button(L"保存")));
    EXPECT_EQ(MessageText(), L"保存成功!");
    ASSERT_TRUE(Answer(L"确定"));
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetName"), L"Night");
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetStatus"), L"false");
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetColor"), std::to_wstring(0xFF0000));
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetInterval"), L"60000");
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetBrightness"), L"35");
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetMode"), L"3");
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetPreSet"), L"false");
    EXPECT_EQ(MyItems()[4], L"Night");
    EXPECT_EQ(Exchanges(h), exchanges);
    h.SaveScreenshot(L"light_own_theme.png");

    // A save that cannot be written says so; editor, list and file keep one name.
    {
        CLockedFile locked(ini);
        title->SetText(L"");
        ASSERT_TRUE(h.Type(title, L"Day"));
        ASSERT_TRUE(h.Click(Button(L"保存")));
        EXPECT_EQ(MessageText(), L"保存失败!");
        ASSERT_TRUE(Answer(L"确定"));
    }
    EXPECT_EQ(Ini(ini, Rid(last), L"LightSetName"), L"Night");
    EXPECT_EQ(MyItems()[4], L"Night");
    EXPECT_EQ(title->GetText(), L"Night");
    EXPECT_EQ(std::wstring(page->CurrentTheme()->name), L"Night");
}

TEST_F(LightPage, DeleteAsksAndDeletesTheThemeItWasAskedAbout) {
    const int32_t first = AddOwnTheme();
    const int32_t second = AddOwnTheme();
    ASSERT_EQ(page->CurrentTheme()->recordNumber, second);

    // Cancel keeps it.
    ASSERT_TRUE(h.Click(Button(L"删除")));
    EXPECT_EQ(MessageText(), L"确定要删除该主题吗?");
    ASSERT_TRUE(Answer(L"取消"));
    EXPECT_EQ(Ini(ini, Rid(second), L"LightSetName"), L"我的新主题");
    EXPECT_EQ(MyItems().size(), 3u);

    // Confirm deletes it; the editor moves to the last own theme left. Clicks
    // on the page while the question is open reach nothing.
    ASSERT_TRUE(h.Click(Button(L"删除")));
    h.Click(Item(L"Orvane"));
    EXPECT_EQ(page->CurrentTheme()->recordNumber, second);
    ASSERT_TRUE(Answer(L"确定"));
    EXPECT_EQ(Ini(ini, Rid(second), L"LightSetName"), L"<missing>");
    EXPECT_EQ(MyItems().size(), 2u);
    ASSERT_NE(page->CurrentTheme(), nullptr);
    EXPECT_EQ(page->CurrentTheme()->recordNumber, first);

    // The list rebuilt while the question is open: the answer deletes nothing.
    ASSERT_TRUE(h.Click(Button(L"删除")));
    page->ReloadThemeList();
    ASSERT_TRUE(Answer(L"确定"));
    EXPECT_EQ(Ini(ini, Rid(first), L"LightSetName"), L"我的新主题");
    EXPECT_EQ(std::wstring(page->CurrentTheme()->name), L"Orvane");

    // Deleting the only own theme leaves an empty editor and no theme.
    ASSERT_TRUE(h.Click(Item(L"我的新主题")));
    ASSERT_TRUE(h.Click(Button(L"删除")));
    ASSERT_TRUE(Answer(L"确定"));
    EXPECT_EQ(page->CurrentTheme(), nullptr);
    EXPECT_EQ(Title()->GetText(), L"");
    EXPECT_EQ(MyItems().size(), 1u);
    EXPECT_FALSE(Shown(L"删除"));
    // Save and apply with no theme do nothing.
    const int exchanges = Exchanges(h);
    h.Click(Button(L"应用"));
    EXPECT_EQ(Exchanges(h), exchanges);
}

TEST_F(LightPage, DefaultRestoresShippedValuesWithoutWritingAndAPickIsSnapped) {
    ASSERT_TRUE(h.Click(Item(L"冰川蓝")));
    LightThemeRecord* theme = page->CurrentTheme();
    ASSERT_NE(theme, nullptr);
    const LightThemeRecord shipped = *theme;
    const std::string before = simharness::ReadFileText(ini);

    // A pick in the colour field, a brightness, the switch.
    auto* picker = static_cast<CDUI_ColorSelect*>(Kind(L"ColorSelect"));
    ASSERT_NE(picker, nullptr);
    const DUI_Rect field = picker->FieldRect();
    h.MouseMove(field.x + field.width / 3, field.y + field.height / 3);
    h.MouseDown(field.x + field.width / 3, field.y + field.height / 3);
    h.MouseUp(field.x + field.width / 3, field.y + field.height / 3);
    EXPECT_NE(theme->color, shipped.color);
    const LightRgb rgb = LightSplitColor(theme->color);
    for (int c : {rgb.red, rgb.green, rgb.blue}) EXPECT_TRUE(c == 0 || c == 255 || (c > 20 && c <= 234)) << c;
    EXPECT_EQ(theme->color >> 24, 0u);
    Brightness()->SetSliderValue(10);
    EXPECT_EQ(theme->brightness, 10);
    ASSERT_TRUE(h.Click(Kind(L"CheckBox")));
    EXPECT_EQ(theme->status, 0);

    ASSERT_TRUE(h.Click(Button(L"恢复默认")));
    EXPECT_EQ(theme->color, shipped.color);
    EXPECT_EQ(theme->brightness, shipped.brightness);
    EXPECT_EQ(theme->status, shipped.status);
    EXPECT_EQ(theme->mode, shipped.mode);
    EXPECT_EQ(theme->interval, shipped.interval);
    EXPECT_EQ(Brightness()->GetSliderValue(), shipped.brightness);
    EXPECT_EQ(simharness::ReadFileText(ini), before);
    h.SaveScreenshot(L"light_preset.png");
}

TEST_F(LightPage, ApplyPutsIntervalModeColourBrightnessOnTheWireInThatOrder) {
    // The page's device on a recording controller instead of the simulator.
    auto transport = std::make_unique<CFakeTransport>();
    transport->responder = [](const CFakeTransport::Bytes& request) {
        return CFakeTransport::GoodReply(request, {0x01});
    };
    CFakeTransport* wire = transport.get();
    h.Device()->CloseDevice();
    ASSERT_EQ(h.Device()->OpenWithTransport(std::move(transport)), 1);

    ASSERT_TRUE(h.Click(Item(L"暖阳")));  // FFB428, steady, 5000 ms, 60
    ASSERT_TRUE(h.Click(Button(L"应用")));
    ASSERT_EQ(wire->written.size(), 4u);
    EXPECT_EQ(wire->written[0][5], ovproto::kSetLightInterval);
    EXPECT_EQ(wire->written[0][6] | (wire->written[0][7] << 8), 5000);
    EXPECT_EQ(wire->written[1][5], ovproto::kSetLightMode);
    EXPECT_EQ(wire->written[1][6], 1);
    EXPECT_EQ(wire->written[2][5], ovproto::kSetLightColor);
    EXPECT_EQ(wire->written[2][6], 0xFF);
    EXPECT_EQ(wire->written[2][7], 0xB4);
    EXPECT_EQ(wire->written[2][8], 0x28);
    EXPECT_EQ(wire->written[3][5], ovproto::kSetLightBrightness);
    EXPECT_EQ(wire->written[3][6], 60);

    // Off: mode 0 and nothing else; saving sends nothing at all.
    wire->written.clear();
    ASSERT_TRUE(h.Click(Item(L"夜间关灯")));
    ASSERT_TRUE(h.Click(Button(L"应用")));
    ASSERT_EQ(wire->written.size(), 1u);
    EXPECT_EQ(wire->written[0][5], ovproto::kSetLightMode);
    EXPECT_EQ(wire->written[0][6], 0);
    wire->written.clear();
    ASSERT_TRUE(h.Click(Button(L"保存")));
    EXPECT_TRUE(wire->written.empty());
}

TEST_F(LightPage, ApplyThemeByNameSendsEveryMatchInFileOrder) {
    LightThemeRecord a;
    LightSetThemeName(&a, L"双");
    a.status = 1, a.color = 0x00112233, a.interval = 10000, a.brightness = 40, a.mode = 2;
    LightThemeRecord b = a;
    b.color = 0x00445566, b.brightness = 60, b.mode = 3;
    ASSERT_EQ(h.Stores()->AddTheme(&a), 1);
    ASSERT_EQ(h.Stores()->AddTheme(&b), 1);
    const std::wstring select = h.Settings()->GetLightSelect();

    int exchanges = Exchanges(h);
    EXPECT_EQ(page->ApplyThemeByName(L"无此主题"), 0);
    EXPECT_EQ(Exchanges(h), exchanges);

    EXPECT_EQ(page->ApplyThemeByName(L"双"), 1);
    EXPECT_EQ(Exchanges(h), exchanges + 8);
    EXPECT_EQ(h.Sim()->Value("color"), "445566");  // the later one wins
    EXPECT_EQ(h.Sim()->Value("mode"), "3");
    EXPECT_EQ(h.Sim()->Value("brightness"), "60");

    EXPECT_EQ(page->ApplyThemeByName(L"森林绿"), 1);
    EXPECT_EQ(h.Sim()->Value("color"), "00C850");
    EXPECT_EQ(h.Sim()->Value("interval"), "30000");
    EXPECT_EQ(h.Settings()->GetLightSelect(), select);  // not the page's choice
}

TEST_F(LightPage, ReloadKeepsNoOldRecordAndOddRecordsShowSafely) {
    // Records numbered like the list's fixed items, a grey one and one whose
    // mode and interval match no list item.
    LightThemeRecord t;
    t.status = 1, t.interval = 5000, t.brightness = 50, t.mode = 1;
    for (uint32_t base : {999u, 1999u, 2999u}) {
        WritePrivateProfileStringW(L"LightSetConfig", L"RecordBaseID", std::to_wstring(base).c_str(), ini.c_str());
        LightSetThemeName(&t, (L"T" + std::to_wstring(base + 1)).c_str());
        ASSERT_EQ(h.Stores()->AddTheme(&t), 1);
        ASSERT_EQ(t.recordNumber, static_cast<int32_t>(base + 1));
    }
    t.color = 0x00808080, t.mode = 9, t.interval = 7000;
    LightSetThemeName(&t, L"灰");
    ASSERT_EQ(h.Stores()->AddTheme(&t), 1);

    // Show a theme of the old list, then rebuild the list (a settings download).
    ASSERT_TRUE(h.Click(Item(L"烈焰红")));
    page->ReloadThemeList();
    EXPECT_EQ(std::wstring(page->CurrentTheme()->name), L"Orvane");
    EXPECT_EQ(MyItems().size(), 5u);

    // Mode 1 shown first, then a theme whose mode and interval fit no item.
    CDUI_ComboBox* mode = Combo(L"常亮");
    CDUI_ComboBox* interval = Combo(L"5秒");
    ASSERT_TRUE(mode && interval);
    ASSERT_TRUE(h.Click(Item(L"T1000")));
    EXPECT_EQ(page->CurrentTheme()->recordNumber, 1000);
    ASSERT_TRUE(h.Click(Item(L"T2000")));
    EXPECT_EQ(page->CurrentTheme()->recordNumber, 2000);
    ASSERT_TRUE(h.Click(Item(L"T3000")));
    EXPECT_EQ(page->CurrentTheme()->recordNumber, 3000);
    EXPECT_GE(mode->GetSelectedIndex(), 0);
    ASSERT_TRUE(h.Click(Item(L"灰")));
    EXPECT_EQ(mode->GetSelectedIndex(), -1);
    EXPECT_EQ(interval->GetSelectedIndex(), -1);
    EXPECT_EQ(page->CurrentTheme()->mode, 9);  // shown, not changed
    EXPECT_EQ(page->CurrentTheme()->color, 0x00808080u);
    EXPECT_EQ(h.Find(L"", L"灰") != nullptr, true);

    // Group rows carry no theme: clicking them never changes the editor.
    for (const wchar_t* group : {L"推荐主题", L"我的主题"}) {
        ASSERT_TRUE(h.Click(Item(group)));
        EXPECT_EQ(page->CurrentTheme()->recordNumber, t.recordNumber);
        ASSERT_TRUE(h.Click(Item(group)));  // and open again
    }

    // The return button goes back to the home view.
    ASSERT_TRUE(h.Click(Button(L"返回")));
    EXPECT_EQ(h.HomeViewRequests(), 1);
}

}  // namespace
