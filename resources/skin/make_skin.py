#!/usr/bin/env python3
"""Draws Ventaro's product skin and page pictures from the table below.

One table (PIECES and STYLES) names every piece of art, its size and the
style fields that use it. From it this script writes:
  ProductSkin.svg / ProductSkin.png   the skin image; as raw pixels
  ProductSkin.pixels                  (write_pixels) it is resource 130
  ProductSkin_2x.png, PictureNNN_2x.png  the same drawings at twice the size
                                      (resource id + 1000), for scaled frames;
  ProductSkin_2x.pixels               the sheet's as raw pixels
  ProductSkin.xml                     the skin description (resource 131, gb2312)
  PictureNNN.svg / .png / .pixels     the page pictures (ids from PagePictures.h)
  ProductSkin.rc                      the resource script of all of them
  ProductSkinSizes.h                  the plate size of every style, for pages
The sheet positions are assigned here and written into the description, so the
image and the rectangles cannot drift apart. SVG is rasterised with
rsvg-convert (librsvg2-bin), PNG turned into pixels by ImageMagick.

    make_skin.py --pictures-header resources/PagePictures.h --out DIR [--convert PATH]
"""
import argparse
import math
import os
import re
import subprocess
import struct
import sys

sys.dont_write_bytecode = True  # the build leaves nothing in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art  # noqa: E402
from art import (ACC, ACC_H, ACC_P, BG, CARD, DIS, ERR, INFO, LINE, OK, RAISED, SEC, TXT, WARN)  # noqa: E402,F401

SHEET_WIDTH = 1024
GAP = 2  # empty pixels between pieces

# ---------------------------------------------------------------------------
# Pieces: name -> (width, height, svg drawing in local coordinates)
# ---------------------------------------------------------------------------
PIECES = {}


def piece(name, w, h, svg):
    if name in PIECES:
        raise SystemExit("duplicate piece " + name)
    PIECES[name] = (w, h, svg)
    return name


LOOKS = ("normal", "hover", "pressed", "disabled")

# Grounds: the colour each plate stands on, painted under its clear corners
# and ghost areas. The engine fills a control with its background colour
# unless a page clears it, so a plate that covers its control fully looks
# right either way. Cards (#121821) hold the page buttons; the message box
# body has its style's window colour; the home view and the page headers
# stand on the design's window ground, which the client window paints over
# its style's black (0xFE000000).
ON_CARD = art.CARD
ON_HOME = art.BG         # the client window's ground
ON_PAGE = art.BG         # the pages' ground under the header row
ON_DIALOG = "#0D2029"    # "OVWindow2" body


def grounded(ground, paint):
    if ground is None:
        return paint
    return lambda look, w, h: '<rect width="%d" height="%d" fill="%s"/>' % (w, h, ground) + paint(look, w, h)


def button_family(prefix, w, h, paint, ground=None):
    """Four looks of one plate; paint(look, w, h) gives the svg."""
    paint = grounded(ground, paint)
    return [piece("%s.%s" % (prefix, look), w, h, paint(look, w, h)) for look in LOOKS]


# Plate sizes the pages use; the plates are drawn at exactly these sizes.
TEXT_W, TEXT_H = 128, 36
SMALL_W, SMALL_H = 72, 32
ICON_W = 32
CAPTION = 36
RETURN_W = 96
ENTER_W, ENTER_H = 200, 52
ARROW_W, ARROW_H = 56, 112
TAB_W, TAB_H = 160, 76
PAGE_TAB_W, PAGE_TAB_H = 120, 40
CHIP_W, CHIP_H = 280, 32
TREE_GROUP_W, TREE_LEAF_W, TREE_H = 296, 280, 36
LOGIN_W, LOGIN_H = 260, 40
MSG_W, MSG_H = 80, 28
COMBO = 32

primary = button_family("primary", TEXT_W, TEXT_H, art.primary_plate, ON_CARD)
primary_login = button_family("primary_login", LOGIN_W, LOGIN_H, art.primary_plate, ON_CARD)
primary_msg = button_family("primary_msg", MSG_W, MSG_H, art.primary_plate, ON_DIALOG)
enter = button_family("enter", ENTER_W, ENTER_H, art.enter_plate, ON_HOME)
secondary = button_family("secondary", TEXT_W, TEXT_H, art.secondary_plate, ON_CARD)
secondary_small = button_family("secondary_small", SMALL_W, SMALL_H, art.secondary_plate, ON_CARD)
danger = button_family("danger", TEXT_W, TEXT_H, art.danger_plate, ON_CARD)
back = button_family("return", RETURN_W, CAPTION, art.return_plate, ON_PAGE)
minimise = button_family("min", CAPTION, CAPTION, art.caption_plate("minus"))
close = button_family("close", CAPTION, CAPTION, art.close_plate)
dialog_close = button_family("dialog_close", 32, 32, art.dialog_close_plate)
account = button_family("account", CAPTION, CAPTION, art.caption_plate("user"))
before = button_family("before", ARROW_W, ARROW_H, art.arrow_plate("chevron_left"), ON_HOME)
after = button_family("after", ARROW_W, ARROW_H, art.arrow_plate("chevron_right"), ON_HOME)
folder = button_family("folder", ICON_W, ICON_W, art.icon_plate("folder"), ON_CARD)
clear = button_family("clear", ICON_W, ICON_W, art.icon_plate("close_small"), ON_CARD)
up = button_family("up", ICON_W, ICON_W, art.icon_plate("chevron_up"), ON_CARD)
down = button_family("down", ICON_W, ICON_W, art.icon_plate("chevron_down"), ON_CARD)
combo = button_family("combo", COMBO, COMBO, art.combo_plate)

# Option buttons: (normal, hover, selected, hover selected).
SELECT_LOOKS = ("off", "off_hover", "on", "on_hover")


def option_family(prefix, w, h, paint, ground=None):
    paint = grounded(ground, paint)
    return [piece("%s.%s" % (prefix, look), w, h, paint(look, w, h)) for look in SELECT_LOOKS]


tab_light = option_family("tab_light", TAB_W, TAB_H, art.feature_tab("light"), ON_HOME)
tab_fan = option_family("tab_fan", TAB_W, TAB_H, art.feature_tab("fan"), ON_HOME)
tab_game = option_family("tab_game", TAB_W, TAB_H, art.feature_tab("gamepad"), ON_HOME)
tab_update = option_family("tab_update", TAB_W, TAB_H, art.feature_tab("update"), ON_HOME)
page_tab = option_family("page_tab", PAGE_TAB_W, PAGE_TAB_H, art.page_tab, ON_CARD)
# The update page's view tabs stand on the page ground, not on a card.
page_tab_ground = option_family("page_tab_ground", PAGE_TAB_W, PAGE_TAB_H, art.page_tab, ON_PAGE)
chip = option_family("chip", CHIP_W, CHIP_H, art.radio_chip, ON_CARD)
tree_leaf = option_family("tree_leaf", TREE_LEAF_W, TREE_H, art.tree_leaf)
# Push buttons: closed, closed hover, open, open hover, disabled.
PUSH_LOOKS = ("off", "off_hover", "on", "on_hover", "disabled")
tree_group = [piece("tree_group." + l, TREE_GROUP_W, TREE_H, art.tree_group(l, TREE_GROUP_W, TREE_H)) for l in PUSH_LOOKS]
auto = [piece("auto." + l, TEXT_W, TEXT_H, grounded(ON_CARD, lambda look, w, h: art.auto_toggle(look, w, h))(l, TEXT_W, TEXT_H))
        for l in PUSH_LOOKS]
# Check boxes: unchecked, checked, hover unchecked, hover checked.
CHECK_LOOKS = ("off", "on", "off_hover", "on_hover")
check = [piece("check." + l, 18, 18, art.check_box(l)) for l in CHECK_LOOKS]
switch = [piece("switch." + l, 36, 20, art.switch(l)) for l in CHECK_LOOKS]

# Window frames (eight pieces each), cut from one drawing of the whole frame.
FRAME_ORDER = ("LeftUp", "MiddleUp", "RightUp", "LeftDown", "MiddleDown", "RightDown", "LeftBorder", "RightBorder")


def frame_pieces(prefix, corner, title, bottom, drawing):
    """Cuts a frame into its eight pieces: corner width, title height, bottom height."""
    mid = 4
    W, H = corner * 2 + mid, title + 4 + bottom
    cuts = {
        "LeftUp": (0, 0, corner, title), "MiddleUp": (corner, 0, mid, title), "RightUp": (corner + mid, 0, corner, title),
        "LeftDown": (0, H - bottom, corner, bottom), "MiddleDown": (corner, H - bottom, mid, bottom),
        "RightDown": (corner + mid, H - bottom, corner, bottom),
        "LeftBorder": (0, title, 1, 4), "RightBorder": (W - 1, title, 1, 4),
    }
    whole = drawing(W, H)
    return {k: piece("%s.%s" % (prefix, k), c[2], c[3], art.cut(whole, c[0], c[1], c[2], c[3])) for k, c in cuts.items()}


main_frame = frame_pieces("frame_main", 1, 50, 1, art.main_frame)
dialog_frame = frame_pieces("frame_dialog", 8, 40, 8, art.dialog_frame)
panel_frame = frame_pieces("frame_panel", 1, 1, 1, art.panel_frame)

slider_h = {k: piece("slider_h." + k, *v) for k, v in art.slider_pieces(horizontal=True).items()}
slider_v = {k: piece("slider_v." + k, *v) for k, v in art.slider_pieces(horizontal=False).items()}
progress = {k: piece("progress." + k, *v) for k, v in art.progress_pieces(8, thin=True).items()}
progress_update = {k: piece("progress_update." + k, *v) for k, v in art.progress_pieces(16, thin=False).items()}
msg_icons = {k: piece("icon." + k, 32, 32, art.message_icon(k))
             for k in ("error", "exclamation", "information", "question", "stop", "warning")}
logo = piece("logo", 28, 28, art.logo(28))
# A clear area: images drawn over other controls (hint pictures, the colour
# field's overlay) show nothing of the sheet until the page gives them art.
transparent = piece("transparent", 8, 8, "")

# ---------------------------------------------------------------------------
# Styles: (kind, style name, attributes, fields)
# fields: list of (element name, piece name | None for an all-zero rect)
# ---------------------------------------------------------------------------
FONTS = [
    ("default", "黑体", 9), ("songti12", "宋体", 12), ("yahei20", "黑体", 20), ("yahei18", "黑体", 18),
    ("yahei14", "黑体", 14), ("yahei12", "黑体", 12), ("yahei9", "黑体", 9), ("titleedt", "黑体", 14),
]

BUTTON_FIELDS = ("NormalSkinRect", "ActiveSkinRect", "PressdSkinRect", "DisablSkinRect")
OPTION_FIELDS = ("NoSelectSkinRect", "ActiveNoSelectSkinRect", "SelectSkinRect", "ActiveSelectSkinRect")
PUSH_FIELDS = ("NoPushSkinRect", "NoPushActiveSkinRect", "PushSkinRect", "PushActiveSkinRect", "DisableSkinRect")
CHECK_FIELDS = ("NoCheckSkinRect", "CheckSkinRect", "ActiveNoCheckSkinRect", "ActiveCheckSkinRect")


def rects(fields, pieces):
    return list(zip(fields, pieces))


def button(name, family):
    return ("Button", name, {}, rects(BUTTON_FIELDS, family))


STYLES = [
    ("Window", "OVWindow", {"frame": main_frame, "back": "0xFE000000",
                            "children": [("ICOImage", "OVLogo"), ("CloseButton", "CloseButton"), ("TitleLabel", "OVLabel")]}, []),
    ("Window", "OVWindow2", {"frame": dialog_frame, "back": "0xFF0D2029",
                             "children": [("CloseButton", "OVDialogCloseButton"), ("TitleLabel", "OVLabel")]}, []),
    ("Panel", "OVPanel", {"ScrollStyleName": "OVScrollBar", "frame": panel_frame, "back": "0xFFFFFFFFF"}, []),
    ("ScrollBar", "OVScrollBar", {"back": "0xFF808080"},
     [(f, None) for f in ("VerticalBeforBtnSkinRect", "VerticalScrolBtnSkinRect", "VerticalAfterBtnSkinRect",
                          "VerticalPatteBtnSkinRect", "HorizontalBeforBtnSkinRect", "HorizontalScrolBtnSkinRect",
                          "HorizontalAfterBtnSkinRect", "HorizontalPatteBtnSkinRect")]),
    ("Label", "OVLabel", {}, []),
    ("TextEdit", "OVTextEdit", {}, []),
    ("Image", "OVImage", {}, [("SourceRect", transparent)]),
    ("Image", "OVLogo", {}, [("SourceRect", logo)]),
    ("TextArea", "OVTextArea", {"ScrollStyleName": "OVScrollBar"}, []),
    ("ListBox", "OVListBox", {"ScrollStyleName": "OVScrollBar"}, []),
    ("SliderBar", "OVSliderBar", {}, [
        ("VerticalSliderBarHeadSkinRect", slider_v["head"]), ("VerticalSliderBarBackSkinRect", slider_v["back"]),
        ("VerticalSliderBarForeSkinRect", slider_v["fore"]), ("VerticalSliderBarTailSkinRect", slider_v["tail"]),
        ("VerticalSliderBarBtnSkinRect", slider_v["button"]),
        ("HorizontalSliderBarHeadSkinRect", slider_h["head"]), ("HorizontalSliderBarBackSkinRect", slider_h["back"]),
        ("HorizontalSliderBarForeSkinRect", slider_h["fore"]), ("HorizontalSliderBarTailSkinRect", slider_h["tail"]),
        ("HorizontalSliderBarBtnSkinRect", slider_h["button"])]),
    ("Progress", "OVProgress", {}, [("BackGroundSkinRect", progress["back"]), ("SurfaceHeadSkinRect", progress["head"]),
                                    ("SurfaceBodySkinRect", progress["body"]), ("SurfaceTailSkinRect", progress["tail"])]),
    ("Progress", "UpdateProgress", {}, [
        ("BackGroundSkinRect", progress_update["back"]), ("SurfaceHeadSkinRect", progress_update["head"]),
        ("SurfaceBodySkinRect", progress_update["body"]), ("SurfaceTailSkinRect", progress_update["tail"])]),
    ("ComboBox", "OVComboBox", {"ListBoxStyleName": "OVListBox", "TextEditStyleName": "OVTextEdit"},
     rects(BUTTON_FIELDS, combo)),
    ("MessageBox", "OVMessageBox", {"WindowStyleName": "OVWindow2", "ButtonStyleName": "OVButton",
                                    "ImageStyleName": "OVImage", "LabelStyleName": "OVLabel",
                                    "colors": {"ForeColor": "FE000000", "ButtonForeColor": "FE000000",
                                               "LabelForeColor": "FEFFFFFF"}},
     [("ErrorICOSkinRect", msg_icons["error"]), ("ExclamationICOSkinRect", msg_icons["exclamation"]),
      ("InformationICOSkinRect", msg_icons["information"]), ("QuestionICOSkinRect", msg_icons["question"]),
      ("StopICOSkinRect", msg_icons["stop"]), ("WarningICOSkinRect", msg_icons["warning"])]),
    ("ColorSelect", "OVColorSelect", {"PanelStyleName": "OVPanel", "ImageStyleName": "OVImage",
                                      "SliderBarStyleName": "OVSliderBar"}, []),
    ("NavigationBar", "OVNavigationBar", {"PanelStyleName": "OVPanel",
                                          "children": [("ParentPushButton", "OVTreePushButton"),
                                                       ("SubestOptionButton", "OVTreeOptionButton")]}, []),
    ("PieChart", "OVPieChart", {}, []),
    # Buttons.
    ("Button", "EmptyButton", {}, [(f, None) for f in BUTTON_FIELDS]),
    button("OVButton", primary_msg),
    button("LightReturnButton", back), button("FanReturnButton", back), button("GameReturnButton", back),
    button("UpdateReturnButton", back), button("GameModeBtn", back),
    button("ConfigButton", account), button("MinButton", minimise), button("CloseButton", close),
    button("OVDialogCloseButton", dialog_close),
    button("BeforArrowButton", before), button("AfterArrowButton", after),
    button("EnterButton", enter),
    button("DefaultButton", secondary), button("ApplyButton", primary), button("DeleteButton", danger),
    button("SaveButton", primary), button("ConfirmButton", primary), button("CreateShotcutsBtn", secondary),
    button("EditButton", secondary_small), button("TPSetingButton", folder), button("TPDeleteButton", clear),
    button("UpdateButton", primary), button("UpdateFanLedButton", primary), button("FactoryFanLedButton", danger),
    button("ResetFanLedButton", secondary), button("GameAppendBtn", secondary), button("GameRemoveBtn", danger),
    button("GameSavedBtn", primary), button("GameResetBtn", secondary), button("SetGameUpBtn", up),
    button("SetGameDownBtn", down), button("GameTaskBtn", secondary), button("OVStyle1Btn", secondary),
    button("UserLoginBtn", primary_login),
    # Option buttons.
    ("OptionButton", "OVOptionButton", {}, rects(OPTION_FIELDS, chip)),
    ("OptionButton", "GameModeButton", {}, rects(OPTION_FIELDS, tab_game)),
    ("OptionButton", "FanButton", {}, rects(OPTION_FIELDS, tab_fan)),
    ("OptionButton", "UpdateButton", {}, rects(OPTION_FIELDS, tab_update)),
    ("OptionButton", "LightButton", {}, rects(OPTION_FIELDS, tab_light)),
    ("OptionButton", "OVTreeOptionButton", {}, rects(OPTION_FIELDS, tree_leaf)),
    ("OptionButton", "UpdateFirmwareOptionButton", {}, rects(OPTION_FIELDS, page_tab_ground)),
    ("OptionButton", "UpdateSoftwareOptionButton", {}, rects(OPTION_FIELDS, page_tab_ground)),
    ("OptionButton", "AppletTaskBtn", {}, rects(OPTION_FIELDS, page_tab)),
    ("OptionButton", "WebsetTaskBtn", {}, rects(OPTION_FIELDS, page_tab)),
    ("OptionButton", "LightsTaskBtn", {}, rects(OPTION_FIELDS, page_tab)),
    ("OptionButton", "StartTaskBtn", {}, rects(OPTION_FIELDS, page_tab)),
    # Check boxes: the box at the left, the text beside it.
    ("CheckBox", "OVCheckBox", {}, rects(CHECK_FIELDS, check)),
    ("CheckBox", "AutoLoginCheckBox", {}, rects(CHECK_FIELDS, check)),
    ("CheckBox", "TPStatusButton", {}, rects(CHECK_FIELDS, switch)),
    # Push buttons.
    ("PushButton", "OVTreePushButton", {}, rects(PUSH_FIELDS, tree_group)),
    ("PushButton", "AutoButton", {}, rects(PUSH_FIELDS, auto)),
]


# ---------------------------------------------------------------------------
# Packing, sheet, description
# ---------------------------------------------------------------------------
def pack(pieces, width):
    """Skyline packing: each piece goes where its bottom edge ends highest up
    (then leftmost). A few orders are tried and the lowest sheet kept.
    Returns name -> (x, y) and the sheet height, rounded up to 16."""
    orders = [lambda n: (-pieces[n][1], -pieces[n][0], n), lambda n: (-pieces[n][0], -pieces[n][1], n),
              lambda n: (-pieces[n][0] * pieces[n][1], n), lambda n: (-max(pieces[n][0], pieces[n][1]), n)]
    return min((pack_in_order(pieces, width, sorted(pieces, key=key)) for key in orders), key=lambda r: r[1])


def pack_in_order(pieces, width, order):
    sky = [0] * width  # lowest free row of every column
    places = {}
    for name in order:
        w, h, _ = pieces[name]
        if w > width:
            raise SystemExit("piece %s wider than the sheet" % name)
        best = None
        starts = sorted({0} | {x for x in range(1, width) if sky[x] != sky[x - 1]})
        for x in starts:
            if x + w > width:
                break
            y = max(sky[x:x + w])
            if best is None or (y + h, x) < (best[0] + h, best[1]):
                best = (y, x)
        y, x = best
        places[name] = (x, y)
        for c in range(x, min(width, x + w + GAP)):
            sky[c] = y + h + GAP
    height = max(y + pieces[n][1] for n, (x, y) in places.items())
    return places, (height + 15) // 16 * 16


def check_places(places, height):
    """Every piece inside the sheet, none over another: a packing fault must
    fail the build, not draw one look over another."""
    if height > 1024:
        raise SystemExit("sheet taller than 1024 pixels: %d" % height)
    boxes = sorted((x, y, x + PIECES[n][0], y + PIECES[n][1], n) for n, (x, y) in places.items())
    for i, (x0, y0, x1, y1, n) in enumerate(boxes):
        if x1 > SHEET_WIDTH or y1 > height:
            raise SystemExit("piece %s outside the sheet" % n)
        for (a0, b0, a1, b1, m) in boxes[i + 1:]:
            if a0 >= x1:
                break
            if a0 < x1 and x0 < a1 and b0 < y1 and y0 < b1:
                raise SystemExit("pieces %s and %s overlap" % (n, m))


def sheet_svg(places, width, height):
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
           % (width, height, width, height), art.DEFS]
    for name, (x, y) in sorted(places.items(), key=lambda kv: (kv[1][1], kv[1][0])):
        w, h, svg = PIECES[name]
        if not svg:
            continue
        out.append('<svg x="%d" y="%d" width="%d" height="%d" viewBox="0 0 %d %d" overflow="hidden"><!-- %s -->%s</svg>'
                   % (x, y, w, h, w, h, name, svg))
    out.append("</svg>")
    return "\n".join(out)


def rect_xml(element, name, places, indent):
    if name is None:
        return '%s<%s Left="0" Top="0" Right="0" Bottom="0"/>' % (indent, element)
    x, y = places[name]
    w, h, _ = PIECES[name]
    return '%s<%s Left="%d" Top="%d" Right="%d" Bottom="%d">%s</%s>' % (indent, element, x, y, x + w, y + h, name,
                                                                          element)


def description_xml(places):
    lines = ['<?xml version="1.0" encoding="gb2312"?>', "<SkinInfo>", "  <SkinDesc>",
             "    <SkinName>ZavuvIdov</SkinName>", "    <SkinEdition>1.0.0.0</SkinEdition>",
             "    <SkinAuthor>Orvane 界面设计组</SkinAuthor>", "    <SkinImageFrom>Resource</SkinImageFrom>",
             "    <SkinImageFile>130</SkinImageFile>", "  </SkinDesc>", "  <SkinFont>"]
    for name, family, size in FONTS:
        lines.append('    <FontType StyleName="%s" FontFamily="%s" FontSize="%d" Bold="false" Italic="false" '
                     'Underline="false" StrikeOut="false" Optimize="4095"/>' % (name, family, size))
    lines += ["  </SkinFont>", "  <SkinParam/>", "  <SkinCtrl>"]
    for kind, name, attrs, fields in STYLES:
        plain = {k: v for k, v in attrs.items() if k[0].isupper()}
        head = "    <%s StyleName=\"%s\"%s" % (kind, name, "".join(' %s="%s"' % kv for kv in plain.items()))
        body = []
        if kind == "Window":
            body.append("      <WindowFrame>")
            body += [rect_xml(k + "CornerSkinRect" if "Border" not in k else k + "SkinRect", attrs["frame"][k], places,
                              "        ") for k in FRAME_ORDER]
            body.append('        <WindowBackColor Color="%s"/>' % attrs["back"])
            body.append("      </WindowFrame>")
        if kind == "Panel":
            body += [rect_xml(k + "CornerSkinRect" if "Border" not in k else k + "SkinRect", attrs["frame"][k], places,
                              "      ") for k in FRAME_ORDER]
            body.append('      <PanelBackColor Color="%s"/>' % attrs["back"])
        if "colors" in attrs:
            body.append("      <ColorParam%s/>" % "".join(' %s="%s"' % kv for kv in attrs["colors"].items()))
        body += [rect_xml(element, p, places, "      ") for element, p in fields]
        if kind == "ScrollBar":
            body.append('      <ScrollBarBackColor Color="%s"/>' % attrs["back"])
        body += ['      <%s StyleName="%s"/>' % c for c in attrs.get("children", [])]
        if body:
            lines += [head + ">"] + body + ["    </%s>" % kind]
        else:
            lines.append(head + "/>")
    lines += ["  </SkinCtrl>", "</SkinInfo>", ""]
    return "\n".join(lines)


def sizes_header(places):
    out = ["#pragma once", "// Generated by resources/skin/make_skin.py: the size each style's art is drawn at.",
           "// Controls placed at these sizes show their plates pixel for pixel.", "",
           "namespace ventaro_skin {", "", "struct PlateSize {", "    const wchar_t* kind;",
           "    const wchar_t* style;", "    int width;", "    int height;", "};", "",
           "inline constexpr PlateSize kPlateSizes[] = {"]
    for kind, name, attrs, fields in STYLES:
        named = [p for _, p in fields if p]
        if not named or kind in ("MessageBox", "SliderBar", "Progress", "ComboBox"):
            continue
        w, h, _ = PIECES[named[0]]
        out.append('    {L"%s", L"%s", %d, %d},' % (kind, name, w, h))
    out += ["};", ""]
    consts = [("kTextButtonWidth", TEXT_W), ("kTextButtonHeight", TEXT_H), ("kSmallButtonWidth", SMALL_W),
              ("kSmallButtonHeight", SMALL_H), ("kIconButtonSize", ICON_W), ("kCaptionButtonSize", CAPTION),
              ("kReturnButtonWidth", RETURN_W), ("kEnterButtonWidth", ENTER_W), ("kEnterButtonHeight", ENTER_H),
              ("kArrowButtonWidth", ARROW_W), ("kArrowButtonHeight", ARROW_H), ("kFeatureTabWidth", TAB_W),
              ("kFeatureTabHeight", TAB_H), ("kPageTabWidth", PAGE_TAB_W), ("kPageTabHeight", PAGE_TAB_H),
              ("kChoiceWidth", CHIP_W), ("kChoiceHeight", CHIP_H), ("kLoginButtonWidth", LOGIN_W),
              ("kLoginButtonHeight", LOGIN_H), ("kComboHeight", COMBO), ("kSliderHeight", 20),
              ("kProgressHeight", 8), ("kUpdateProgressHeight", 16), ("kTitleStripHeight", 50),
              ("kDialogTitleHeight", 40)]
    out += ["inline constexpr int %s = %d;" % c for c in consts]
    out += ["", "}  // namespace ventaro_skin", ""]
    return "\n".join(out)


def read_picture_ids(header):
    ids = {}
    with open(header, encoding="utf-8") as f:
        for m in re.finditer(r"constexpr int (kPicture\w+) = (\d+);", f.read()):
            ids[m.group(1)] = int(m.group(2))
    return ids


# Art for scaled frames: resource N drawn at twice the size is N + 1000. The
# engine doubles the description's rectangles when it reads from it.
DOUBLE_ART_OFFSET = 1000


def render(svg_path, png_path, zoom=1):
    subprocess.run(["rsvg-convert", "--format=png", "--zoom=%d" % zoom, "-o", png_path, svg_path], check=True)


def render_both(svg_path, base, convert, double_pixels=False):
    render(svg_path, base + ".png")
    render(svg_path, base + "_2x.png", zoom=2)
    write_pixels(base + ".png", base + ".pixels", convert)
    if double_pixels:
        write_pixels(base + "_2x.png", base + "_2x.pixels", convert)


# The 1x art goes into the program as its pixels, not as PNG: the program
# draws straight from its mapped image (no decoding, no private copy). Format
# (little-endian): "VPIX", width, height, stride (width * 4), then the rows
# top-down as straight-alpha B, G, R, A bytes.
def write_pixels(png_path, pixels_path, convert):
    size = subprocess.run([convert, png_path, "-format", "%w %h", "info:"], check=True,
                          capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    bgra = subprocess.run([convert, png_path, "-depth", "8", "BGRA:-"], check=True, capture_output=True).stdout
    if len(bgra) != width * height * 4:
        raise SystemExit("%s: %d bytes of pixels for %dx%d" % (png_path, len(bgra), width, height))
    with open(pixels_path, "wb") as f:
        f.write(b"VPIX" + struct.pack("<III", width, height, width * 4) + bgra)


def write(path, text, encoding="utf-8"):
    with open(path, "w", encoding=encoding, newline="\n") as f:
        f.write(text)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--pictures-header", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--convert", default="convert", help="ImageMagick's convert")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)

    places, height = pack(PIECES, SHEET_WIDTH)
    check_places(places, height)
    sheet = os.path.join(args.out, "ProductSkin")
    write(sheet + ".svg", sheet_svg(places, SHEET_WIDTH, height))
    # The sheet's double-size art is drawn in place too: on a scaled screen
    # every frame uses it (12 MB decoded); a page picture's only while shown.
    render_both(sheet + ".svg", sheet, args.convert, double_pixels=True)
    write(sheet + ".xml", description_xml(places), encoding="gb2312")
    write(os.path.join(args.out, "ProductSkinSizes.h"), sizes_header(places))

    import pictures
    ids = read_picture_ids(args.pictures_header)
    rc = ["// Generated by resources/skin/make_skin.py: the product skin and the page pictures.",
          '130 PIXELS "%s"' % (sheet + ".pixels").replace("\\", "/"),
          '131 RCDATA "%s"' % (sheet + ".xml").replace("\\", "/"),
          '%d PIXELS "%s"' % (130 + DOUBLE_ART_OFFSET, (sheet + "_2x.pixels").replace("\\", "/"))]
    for const, rid in sorted(ids.items(), key=lambda kv: kv[1]):
        if not 132 <= rid <= 154:
            raise SystemExit("%s: picture ids lie in 132-154" % const)
        svg = pictures.draw(const)
        base = os.path.join(args.out, "Picture%d" % rid)
        write(base + ".svg", svg)
        render_both(base + ".svg", base, args.convert)
        rc.append('%d PIXELS "%s"' % (rid, (base + ".pixels").replace("\\", "/")))
        rc.append('%d PNG "%s"' % (rid + DOUBLE_ART_OFFSET, (base + "_2x.png").replace("\\", "/")))
    write(os.path.join(args.out, "ProductSkin.rc"), "\n".join(rc) + "\n")
    print("skin: %d pieces, %d styles, sheet %dx%d, %d pictures" % (len(PIECES), len(STYLES), SHEET_WIDTH, height,
                                                                      len(ids)))


if __name__ == "__main__":
    main()
