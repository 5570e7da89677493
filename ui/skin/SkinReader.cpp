#include "skin/SkinReader.h"

#include <cstring>
#include <functional>

#include <tinyxml2.h>

#include "TextConv.h"
#include "skin/SkinParse.h"

using tinyxml2::XMLElement;

namespace {

// Every name and value of the document is gb2312 (code page 936).
std::wstring Attr(const XMLElement* e, const char* name) {
    const char* v = e ? e->Attribute(name) : nullptr;
    return v ? textconv::ChsToWide(v) : std::wstring();
}

std::wstring Text(const XMLElement* e) {
    const char* v = e ? e->GetText() : nullptr;
    return v ? textconv::ChsToWide(v) : std::wstring();
}

const XMLElement* Child(const XMLElement* parent, const char* name) {
    return parent ? parent->FirstChildElement(name) : nullptr;
}

DUI_SkinRect Rect(const XMLElement* parent, const char* name) {
    DUI_SkinRect r;
    const XMLElement* e = Child(parent, name);
    if (!e) return r;
    int32_t left = skinparse::ParseInt(Attr(e, "Left"));
    int32_t top = skinparse::ParseInt(Attr(e, "Top"));
    r.x = left;
    r.y = top;
    r.width = skinparse::EdgeSpan(left, skinparse::ParseInt(Attr(e, "Right")));
    r.height = skinparse::EdgeSpan(top, skinparse::ParseInt(Attr(e, "Bottom")));
    return r;
}

uint32_t ColorOf(const XMLElement* parent, const char* name) {
    return skinparse::ParseColor(Attr(Child(parent, name), "Color"));
}

std::wstring StyleRef(const XMLElement* e, const char* attr) { return ClampStyleName(Attr(e, attr)); }

std::wstring NamedChild(const XMLElement* parent, const char* name) {
    return ClampStyleName(Attr(Child(parent, name), "StyleName"));
}

using Reader = std::function<std::unique_ptr<CDUI_UIControlStyle>(const XMLElement*)>;

template <class S>
std::unique_ptr<CDUI_UIControlStyle> Make(const XMLElement* e, const std::function<void(S&, const XMLElement*)>& fill) {
    auto s = std::make_unique<S>();
    if (fill) fill(*s, e);
    return s;
}

template <class S>
Reader R(std::function<void(S&, const XMLElement*)> fill = nullptr) {
    return [fill](const XMLElement* e) { return Make<S>(e, fill); };
}

std::unique_ptr<CDUI_UIControlStyle> Generic(const XMLElement* e) {
    auto s = std::make_unique<CDUI_Generic_Style>();
    for (const tinyxml2::XMLAttribute* a = e->FirstAttribute(); a; a = a->Next())
        s->values.emplace_back(textconv::ChsToWide(a->Name()), textconv::ChsToWide(a->Value()));
    for (const XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) {
        std::wstring prefix = textconv::ChsToWide(c->Name()) + L".";
        for (const tinyxml2::XMLAttribute* a = c->FirstAttribute(); a; a = a->Next())
            s->values.emplace_back(prefix + textconv::ChsToWide(a->Name()), textconv::ChsToWide(a->Value()));
    }
    return s;
}

const std::map<std::string, Reader>& Readers() {
    static const std::map<std::string, Reader> readers = {
        {"Window", R<CDUI_Window_Style>([](CDUI_Window_Style& s, const XMLElement* e) {
             const XMLElement* f = Child(e, "WindowFrame");
             s.leftUpCorner = Rect(f, "LeftUpCornerSkinRect");
             s.middleUpCorner = Rect(f, "MiddleUpCornerSkinRect");
             s.rightUpCorner = Rect(f, "RightUpCornerSkinRect");
             s.leftDownCorner = Rect(f, "LeftDownCornerSkinRect");
             s.middleDownCorner = Rect(f, "MiddleDownCornerSkinRect");
             s.rightDownCorner = Rect(f, "RightDownCornerSkinRect");
             s.leftBorder = Rect(f, "LeftBorderSkinRect");
             s.rightBorder = Rect(f, "RightBorderSkinRect");
             s.windowBackColor = ColorOf(f, "WindowBackColor");
             s.icoImage = NamedChild(e, "ICOImage");
             s.maxButton = NamedChild(e, "MaxButton");
             s.minButton = NamedChild(e, "MinButton");
             s.resetButton = NamedChild(e, "ResetButton");
             s.closeButton = NamedChild(e, "CloseButton");
             s.titleLabel = NamedChild(e, "TitleLabel");
         })},
        {"Panel", R<CDUI_Panel_Style>([](CDUI_Panel_Style& s, const XMLElement* e) {
             s.scrollStyleName = StyleRef(e, "ScrollStyleName");
             s.leftUpCorner = Rect(e, "LeftUpCornerSkinRect");
             s.middleUpCorner = Rect(e, "MiddleUpCornerSkinRect");
             s.rightUpCorner = Rect(e, "RightUpCornerSkinRect");
             s.leftDownCorner = Rect(e, "LeftDownCornerSkinRect");
             s.middleDownCorner = Rect(e, "MiddleDownCornerSkinRect");
             s.rightDownCorner = Rect(e, "RightDownCornerSkinRect");
             s.leftBorder = Rect(e, "LeftBorderSkinRect");
             s.rightBorder = Rect(e, "RightBorderSkinRect");
             s.panelBackColor = ColorOf(e, "PanelBackColor");
         })},
        {"Button", R<CDUI_Button_Style>([](CDUI_Button_Style& s, const XMLElement* e) {
             s.normal = Rect(e, "NormalSkinRect");
             s.active = Rect(e, "ActiveSkinRect");
             s.pressed = Rect(e, "PressdSkinRect");
             s.disabled = Rect(e, "DisablSkinRect");
         })},
        {"PushButton", R<CDUI_PushButton_Style>([](CDUI_PushButton_Style& s, const XMLElement* e) {
             s.noPush = Rect(e, "NoPushSkinRect");
             s.noPushActive = Rect(e, "NoPushActiveSkinRect");
             s.push = Rect(e, "PushSkinRect");
             s.pushActive = Rect(e, "PushActiveSkinRect");
             s.disabled = Rect(e, "DisableSkinRect");
         })},
        {"OptionButton", R<CDUI_OptionButton_Style>([](CDUI_OptionButton_Style& s, const XMLElement* e) {
             s.noSelect = Rect(e, "NoSelectSkinRect");
             s.activeNoSelect = Rect(e, "ActiveNoSelectSkinRect");
             s.select = Rect(e, "SelectSkinRect");
             s.activeSelect = Rect(e, "ActiveSelectSkinRect");
         })},
        {"CheckBox", R<CDUI_CheckBox_Style>([](CDUI_CheckBox_Style& s, const XMLElement* e) {
             s.noCheck = Rect(e, "NoCheckSkinRect");
             s.check = Rect(e, "CheckSkinRect");
             s.activeNoCheck = Rect(e, "ActiveNoCheckSkinRect");
             s.activeCheck = Rect(e, "ActiveCheckSkinRect");
         })},
        {"Label", R<CDUI_Label_Style>()},
        {"TextEdit", R<CDUI_TextEdit_Style>()},
        {"Image", R<CDUI_Image_Style>([](CDUI_Image_Style& s, const XMLElement* e) { s.sourceRect = Rect(e, "SourceRect"); })},
        {"ScrollBar", R<CDUI_ScrollBar_Style>([](CDUI_ScrollBar_Style& s, const XMLElement* e) {
             s.verticalBeforBtn = Rect(e, "VerticalBeforBtnSkinRect");
             s.verticalScrolBtn = Rect(e, "VerticalScrolBtnSkinRect");
             s.verticalAfterBtn = Rect(e, "VerticalAfterBtnSkinRect");
             s.verticalPatteBtn = Rect(e, "VerticalPatteBtnSkinRect");
             s.horizontalBeforBtn = Rect(e, "HorizontalBeforBtnSkinRect");
             s.horizontalScrolBtn = Rect(e, "HorizontalScrolBtnSkinRect");
             s.horizontalAfterBtn = Rect(e, "HorizontalAfterBtnSkinRect");
             s.horizontalPatteBtn = Rect(e, "HorizontalPatteBtnSkinRect");
             s.scrollBarBackColor = ColorOf(e, "ScrollBarBackColor");
         })},
        {"SliderBar", R<CDUI_SliderBar_Style>([](CDUI_SliderBar_Style& s, const XMLElement* e) {
             s.verticalHead = Rect(e, "VerticalSliderBarHeadSkinRect");
             s.verticalBack = Rect(e, "VerticalSliderBarBackSkinRect");
             s.verticalFore = Rect(e, "VerticalSliderBarForeSkinRect");
             s.verticalTail = Rect(e, "VerticalSliderBarTailSkinRect");
             s.verticalBtn = Rect(e, "VerticalSliderBarBtnSkinRect");
             s.horizontalHead = Rect(e, "HorizontalSliderBarHeadSkinRect");
             s.horizontalBack = Rect(e, "HorizontalSliderBarBackSkinRect");
             s.horizontalFore = Rect(e, "HorizontalSliderBarForeSkinRect");
             s.horizontalTail = Rect(e, "HorizontalSliderBarTailSkinRect");
             s.horizontalBtn = Rect(e, "HorizontalSliderBarBtnSkinRect");
         })},
        {"Progress", R<CDUI_Progress_Style>([](CDUI_Progress_Style& s, const XMLElement* e) {
             s.backGround = Rect(e, "BackGroundSkinRect");
             s.surfaceHead = Rect(e, "SurfaceHeadSkinRect");
             s.surfaceBody = Rect(e, "SurfaceBodySkinRect");
             s.surfaceTail = Rect(e, "SurfaceTailSkinRect");
         })},
        {"ComboBox", R<CDUI_ComboBox_Style>([](CDUI_ComboBox_Style& s, const XMLElement* e) {
             s.listBoxStyleName = StyleRef(e, "ListBoxStyleName");
             s.textEditStyleName = StyleRef(e, "TextEditStyleName");
             s.normal = Rect(e, "NormalSkinRect");
             s.active = Rect(e, "ActiveSkinRect");
             s.pressed = Rect(e, "PressdSkinRect");
             s.disabled = Rect(e, "DisablSkinRect");
         })},
        {"ListBox", R<CDUI_ListBox_Style>([](CDUI_ListBox_Style& s, const XMLElement* e) {
             s.scrollStyleName = StyleRef(e, "ScrollStyleName");
         })},
        {"MessageBox", R<CDUI_MessageBox_Style>([](CDUI_MessageBox_Style& s, const XMLElement* e) {
             s.windowStyleName = StyleRef(e, "WindowStyleName");
             s.buttonStyleName = StyleRef(e, "ButtonStyleName");
             s.imageStyleName = StyleRef(e, "ImageStyleName");
             s.labelStyleName = StyleRef(e, "LabelStyleName");
             const XMLElement* c = Child(e, "ColorParam");
             s.foreColor = skinparse::ParseColorParam(Attr(c, "ForeColor"));
             s.buttonForeColor = skinparse::ParseColorParam(Attr(c, "ButtonForeColor"));
             s.labelForeColor = skinparse::ParseColorParam(Attr(c, "LabelForeColor"));
             s.errorIco = Rect(e, "ErrorICOSkinRect");
             s.exclamationIco = Rect(e, "ExclamationICOSkinRect");
             s.informationIco = Rect(e, "InformationICOSkinRect");
             s.questionIco = Rect(e, "QuestionICOSkinRect");
             s.stopIco = Rect(e, "StopICOSkinRect");
             s.warningIco = Rect(e, "WarningICOSkinRect");
         })},
        {"ColorSelect", R<CDUI_ColorSelect_Style>([](CDUI_ColorSelect_Style& s, const XMLElement* e) {
             s.panelStyleName = StyleRef(e, "PanelStyleName");
             s.imageStyleName = StyleRef(e, "ImageStyleName");
             s.sliderBarStyleName = StyleRef(e, "SliderBarStyleName");
         })},
        {"NavigationBar", R<CDUI_NavigationBar_Style>([](CDUI_NavigationBar_Style& s, const XMLElement* e) {
             s.panelStyleName = StyleRef(e, "PanelStyleName");
             s.parentPushButton = NamedChild(e, "ParentPushButton");
             s.subestOptionButton = NamedChild(e, "SubestOptionButton");
         })},
        {"PieChart", R<CDUI_PieChart_Style>()},
    };
    return readers;
}

bool IsGenericKind(const char* name) {
    static const char* const kinds[] = {
        "Demo", "Pattern", "HeartMachine", "StatusBar", "Calendar", "FlashPlayer", "WebBrowser", "ImageList",
        "Dialog", "Menu", "StreamLight", "Lottery", "TextArea", "ImageView", "ListView", "PaintBoard",
        "GridTable", "TreeView", "TimeClock", "InputMethodBox", "BookFlip", "OutLookBar", "GameMap",
        "GameRole", "ImageFlip", "RoundLock", "ImageMarquee", "ImageAnimation", "DateTimeBox", "WaterFall"};
    for (const char* k : kinds)
        if (std::strcmp(k, name) == 0) return true;
    return false;
}

int ReadDesc(const XMLElement* root, DUI_SkinDocument* doc) {
    const XMLElement* desc = Child(root, "SkinDesc");
    if (!desc) return 0;
    const XMLElement* name = Child(desc, "SkinName");
    const XMLElement* edition = Child(desc, "SkinEdition");
    const XMLElement* author = Child(desc, "SkinAuthor");
    const XMLElement* from = Child(desc, "SkinImageFrom");
    const XMLElement* file = Child(desc, "SkinImageFile");
    if (!name || !edition || !author || !from || !file) return 0;
    doc->skinName = Text(name);
    doc->skinEdition = Text(edition);
    doc->skinAuthor = Text(author);
    std::wstring source = Text(from);
    if (source == L"File") doc->imageFromFile = 1;
    else if (source == L"Resource") doc->imageFromFile = 0;
    std::wstring image = Text(file);
    if (doc->imageFromFile) {
        doc->imageFile = image;
    } else {
        std::wstring digits;
        for (wchar_t c : image) {
            if (c < L'0' || c > L'9') break;
            digits += c;
        }
        doc->imageResourceId = skinparse::ParseColor(digits);
    }
    return 1;
}

int ReadFonts(const XMLElement* root, DUI_SkinDocument* doc) {
    const XMLElement* fonts = Child(root, "SkinFont");
    if (!fonts) return 0;
    for (const XMLElement* e = fonts->FirstChildElement("FontType"); e; e = e->NextSiblingElement("FontType")) {
        std::wstring style = ClampStyleName(Attr(e, "StyleName"));
        if (style.empty()) continue;
        auto f = std::make_unique<CDUI_FontType_Style>();
        f->kindName = L"FontType";
        f->styleName = style;
        f->fontFamily = Attr(e, "FontFamily").substr(0, 199);
        f->fontSize = skinparse::ParseFloat(Attr(e, "FontSize"));
        f->bold = skinparse::ParseBool(Attr(e, "Bold"));
        f->italic = skinparse::ParseBool(Attr(e, "Italic"));
        f->underline = skinparse::ParseBool(Attr(e, "Underline"));
        f->strikeOut = skinparse::ParseBool(Attr(e, "StrikeOut"));
        f->optimize = skinparse::ParseInt(Attr(e, "Optimize"));
        doc->styles.push_back(std::move(f));
    }
    return 1;
}

void ReadParams(const XMLElement* root, DUI_SkinDocument* doc) {
    const XMLElement* params = Child(root, "SkinParam");
    if (!params) return;
    for (const XMLElement* e = params->FirstChildElement("Param"); e; e = e->NextSiblingElement("Param")) {
        std::wstring name = Attr(e, "Name");
        if (!name.empty()) doc->params[name] = Attr(e, "Value");
    }
}

int ReadControls(const XMLElement* root, DUI_SkinDocument* doc) {
    const XMLElement* ctrls = Child(root, "SkinCtrl");
    if (!ctrls) return 0;
    auto scene = std::make_unique<CDUI_UIScene_Style>();
    scene->kindName = L"Scene";
    scene->styleName = L"DUIScene";
    doc->styles.push_back(std::move(scene));
    const auto& readers = Readers();
    for (const XMLElement* e = ctrls->FirstChildElement(); e; e = e->NextSiblingElement()) {
        auto it = readers.find(e->Name());
        bool generic = it == readers.end() && IsGenericKind(e->Name());
        if (it == readers.end() && !generic) continue;
        std::wstring style = ClampStyleName(Attr(e, "StyleName"));
        if (style.empty()) continue;
        std::unique_ptr<CDUI_UIControlStyle> record = generic ? Generic(e) : it->second(e);
        record->kindName = ClampStyleName(textconv::ChsToWide(e->Name()));
        record->styleName = style;
        doc->styles.push_back(std::move(record));
    }
    return 1;
}

}  // namespace

std::wstring ClampStyleName(std::wstring name) {
    if (name.size() > kDuiStyleNameMax) name.resize(kDuiStyleNameMax);
    return name;
}

int ReadSkinDescription(const char* bytes, size_t size, DUI_SkinDocument* doc) {
    if (!bytes || !doc) return 0;
    tinyxml2::XMLDocument xml;
    if (xml.Parse(bytes, size) != tinyxml2::XML_SUCCESS) return 0;
    const XMLElement* root = xml.RootElement();
    if (!root || std::strcmp(root->Name(), "SkinInfo") != 0) return 0;
    if (!ReadDesc(root, doc)) return 0;
    if (!ReadFonts(root, doc)) return 0;
    ReadParams(root, doc);
    return ReadControls(root, doc);
}
