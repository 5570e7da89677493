"""Ventaro's skin art as SVG fragments: palette, line icons and the painters
of every plate. Sizes and places come from make_skin.py's table."""
import math

BG = "#0B0F14"       # window background
CARD = "#121821"     # panel / card
RAISED = "#1A2230"   # raised surface, rows, inputs
LINE = "#263042"     # hairlines and frames
TXT = "#E8ECF2"      # primary text
SEC = "#9AA4B2"      # secondary text
DIS = "#4A5363"      # disabled
ACC = "#FF6A00"      # accent
ACC_H = "#FF8A33"    # accent hover
ACC_P = "#CC5500"    # accent pressed
INFO = "#3DA5FF"
OK = "#2ECC71"
WARN = "#FFB020"
ERR = "#FF4D4F"
HOVER_FILL = "#212B3B"
EDGE_HOVER = "#3A475C"

DEFS = """<defs>
<linearGradient id="accentFill" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#FF7A1A"/><stop offset="1" stop-color="#FF6300"/></linearGradient>
<linearGradient id="accentFillHover" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#FF9A4D"/><stop offset="1" stop-color="#FF8329"/></linearGradient>
<linearGradient id="titleFill" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#141B25"/><stop offset="1" stop-color="#0E131A"/></linearGradient>
<linearGradient id="dialogTitle" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#12293A"/><stop offset="1" stop-color="#0F2431"/></linearGradient>
<radialGradient id="tabGlow" cx="0.5" cy="0" r="0.7"><stop offset="0" stop-color="#FF6A00" stop-opacity="0.16"/><stop offset="1" stop-color="#FF6A00" stop-opacity="0"/></radialGradient>
<filter id="softGlow" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="2"/></filter>
</defs>"""

# Line icons on a 24-pixel grid: 2 px strokes, round caps and joins.
ICONS = {
    "minus": '<path d="M6 12h12"/>',
    "close": '<path d="M7 7l10 10M17 7L7 17"/>',
    "close_small": '<path d="M8 8l8 8M16 8l-8 8"/>',
    "user": '<circle cx="12" cy="9" r="3.5"/><path d="M5.5 19.5a6.5 6 0 0 1 13 0"/>',
    "chevron_left": '<path d="M14.5 6l-6 6 6 6"/>',
    "chevron_right": '<path d="M9.5 6l6 6-6 6"/>',
    "chevron_up": '<path d="M6 14.5l6-6 6 6"/>',
    "chevron_down": '<path d="M6 9.5l6 6 6-6"/>',
    "folder": '<path d="M3.5 7.5a1.5 1.5 0 0 1 1.5-1.5h4.5l2 2h7.5a1.5 1.5 0 0 1 1.5 1.5v8a1.5 1.5 0 0 1-1.5 1.5H5a1.5 1.5 0 0 1-1.5-1.5z"/>',
    "check": '<path d="M5.5 12.5l4 4 9-9"/>',
    "light": '<circle cx="12" cy="12" r="4"/>'
             + "".join('<path d="M%.2f %.2fL%.2f %.2f"/>' % (12 + 7 * math.cos(a), 12 + 7 * math.sin(a),
                                                             12 + 9.5 * math.cos(a), 12 + 9.5 * math.sin(a))
                       for a in [i * math.pi / 4 for i in range(8)]),
    "fan": '<circle cx="12" cy="12" r="9.5"/><circle cx="12" cy="12" r="1.8"/>'
           + "".join('<path transform="rotate(%d 12 12)" d="M12 10.2C11.5 7.5 12.5 5 15 4.6c1.2 1.5 0.6 4.2-1.4 6"/>' % a
                     for a in (0, 120, 240)),
    "gamepad": '<path d="M7.5 7.5h9a4 4 0 0 1 3.9 3.1l1 4.6a2.6 2.6 0 0 1-4.5 2.2L15 15.5H9l-1.9 1.9a2.6 2.6 0 0 1-4.5-2.2l1-4.6a4 4 0 0 1 3.9-3.1z"/>'
               '<path d="M8 10.5v3M6.5 12h3"/><path d="M15.5 11h.01M17.5 13h.01"/>',
    "update": '<path d="M19.5 12a7.5 7.5 0 1 1-2.2-5.3"/><path d="M19.5 4.5v4h-4"/><path d="M12 15.5V9M9.5 11.5L12 9l2.5 2.5"/>',
    "pencil": '<path d="M5 19l1-4 9.5-9.5 3 3L9 18z"/><path d="M13.5 7.5l3 3"/>',
    "info_i": '<path d="M12 11v5.5"/><path d="M12 7.6h.01"/>',
    "bang": '<path d="M12 7v6"/><path d="M12 16.6h.01"/>',
    "question": '<path d="M9.3 9.3a2.8 2.8 0 0 1 5.4 1c0 1.9-2.7 2.3-2.7 3.8"/><path d="M12 17h.01"/>',
    "x_mark": '<path d="M9 9l6 6M15 9l-6 6"/>',
}


def icon(name, x, y, size, color, width=2.0, opacity=1.0):
    """The icon name drawn in a size x size box at x, y with strokes `width` pixels wide."""
    s = size / 24.0
    op = '' if opacity >= 1 else ' opacity="%.2f"' % opacity
    return ('<g transform="translate(%.2f %.2f) scale(%.4f)" fill="none" stroke="%s" stroke-width="%.3f" '
            'stroke-linecap="round" stroke-linejoin="round"%s>%s</g>' % (x, y, s, color, width / s, op, ICONS[name]))


def rrect(x, y, w, h, r, fill="none", stroke=None, sw=1.0, opacity=None):
    """A rounded rectangle; a stroked one is inset by half the stroke so it stays inside its box."""
    extra = ""
    if stroke:
        x, y, w, h = x + sw / 2, y + sw / 2, w - sw, h - sw
        extra = ' stroke="%s" stroke-width="%.2f"' % (stroke, sw)
    if opacity is not None:
        extra += ' opacity="%.3f"' % opacity
    return '<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="%s"%s/>' % (x, y, w, h, r, fill, extra)


def cut(whole, x, y, w, h):
    """A piece cut out of a larger drawing."""
    return '<g transform="translate(%d %d)">%s</g>' % (-x, -y, whole)


# ---- button plates (looks: normal, hover, pressed, disabled) ----

def primary_plate(look, w, h):
    r = 4 if h < 48 else 6
    if look == "disabled":
        return rrect(0, 0, w, h, r, RAISED, LINE)
    fill = {"normal": "url(#accentFill)", "hover": "url(#accentFillHover)", "pressed": ACC_P}[look]
    top = '' if look == "pressed" else rrect(1, 1, w - 2, 1, 0, "#FFFFFF", opacity=0.18)
    shade = rrect(0, 0, w, h, r, "#000000", opacity=0.12) if look == "pressed" else ''
    return rrect(0, 0, w, h, r, fill) + top + shade


def enter_plate(look, w, h):
    glow = ''
    if look in ("normal", "hover"):
        glow = rrect(2, 2, w - 4, h - 4, 8, ACC, opacity=0.35 if look == "hover" else 0.2)
    if look == "disabled":
        return rrect(4, 4, w - 8, h - 8, 6, RAISED, LINE)
    fill = {"normal": "url(#accentFill)", "hover": "url(#accentFillHover)", "pressed": ACC_P}[look]
    inner = rrect(5, 5 + (1 if look == "pressed" else 0), w - 10, h - 10, 6, fill)
    line = rrect(6, 6, w - 12, 1, 0, "#FFFFFF", opacity=0.2) if look != "pressed" else ''
    return '<g filter="url(#softGlow)">%s</g>' % glow + inner + line if glow else inner + line


def secondary_plate(look, w, h):
    fill, edge = {"normal": (RAISED, LINE), "hover": (HOVER_FILL, ACC), "pressed": (CARD, ACC_P),
                  "disabled": (CARD, "#1E2635")}[look]
    return rrect(0, 0, w, h, 4, fill, edge)


def danger_plate(look, w, h):
    fill, edge = {"normal": (RAISED, "#5C2A31"), "hover": ("#3A1D24", ERR), "pressed": ("#2A1519", "#B8393B"),
                  "disabled": (CARD, "#1E2635")}[look]
    return rrect(0, 0, w, h, 4, fill, edge)


def _ghost(look, w, h, name, size, hover_colour=TXT, width=2.0, x=None, plate_r=4):
    colour = {"normal": SEC, "hover": hover_colour, "pressed": ACC_P, "disabled": DIS}[look]
    dy = 1 if look == "pressed" else 0
    ix = (w - size) / 2 if x is None else x
    bg = ''
    if look == "hover":
        bg = rrect(0, 0, w, h, plate_r, RAISED)
    elif look == "pressed":
        bg = rrect(0, 0, w, h, plate_r, CARD)
    return bg + icon(name, ix, (h - size) / 2 + dy, size, colour, width)


TITLE_STRIP = 50  # the main window's title strip (OVWindow), hairlines included
DIALOG_STRIP = 40  # dialogs' and message boxes' title strip (OVWindow2)


def strip_behind(w, h, strip, fill):
    """The title strip's own colours behind a piece centred in it, so caption
    controls (drawn with the engine's default background unless a page clears
    it) blend into the strip."""
    top = (strip - h) // 2
    return '<rect x="0" y="%d" width="%d" height="%d" fill="%s"/>' % (1 - top, w, strip - 2, fill)


def caption_plate(name):
    def paint(look, w, h):
        return strip_behind(w, h, TITLE_STRIP, "url(#titleFill)") + _ghost(look, w, h, name, 20)
    return paint


def close_plate(look, w, h):
    behind = strip_behind(w, h, TITLE_STRIP, "url(#titleFill)")
    if look == "hover":
        return behind + rrect(0, 0, w, h, 4, ERR) + icon("close", (w - 20) / 2, (h - 20) / 2, 20, "#FFFFFF")
    if look == "pressed":
        return behind + rrect(0, 0, w, h, 4, "#C93B3D") + icon("close", (w - 20) / 2, (h - 20) / 2 + 1, 20, "#FFFFFF")
    return behind + _ghost(look, w, h, "close", 20)


def dialog_close_plate(look, w, h):
    """The close button on a dialog's accent title strip: a dark cross."""
    behind = strip_behind(w, h, DIALOG_STRIP, "url(#accentFill)")
    colour = {"normal": BG, "hover": "#FFFFFF", "pressed": "#FFFFFF", "disabled": "#9A4300"}[look]
    plate = ''
    if look == "hover":
        plate = rrect(0, 0, w, h, 4, BG, opacity=0.28)
    elif look == "pressed":
        plate = rrect(0, 0, w, h, 4, BG, opacity=0.45)
    dy = 1 if look == "pressed" else 0
    return behind + plate + icon("close", (w - 18) / 2, (h - 18) / 2 + dy, 18, colour)


def return_plate(look, w, h):
    return _ghost(look, w, h, "chevron_left", 20, hover_colour=ACC, x=8)


def arrow_plate(name):
    def paint(look, w, h):
        colour = {"normal": SEC, "hover": ACC, "pressed": ACC_P, "disabled": DIS}[look]
        dy = 1 if look == "pressed" else 0
        bg = ''
        if look == "hover":
            bg = rrect(0, 0, w, h, 12, RAISED) + rrect(0, 0, w, h, 12, "none", ACC, opacity=0.55)
        elif look == "pressed":
            bg = rrect(0, 0, w, h, 12, "#0D1117", "#1E2635")
        return bg + icon(name, (w - 40) / 2, (h - 40) / 2 + dy, 40, colour, 3.0)
    return paint


def icon_plate(name):
    def paint(look, w, h):
        fill, edge, colour = {"normal": (RAISED, LINE, SEC), "hover": (HOVER_FILL, ACC, TXT),
                              "pressed": (CARD, ACC_P, ACC_P), "disabled": (CARD, "#1E2635", DIS)}[look]
        dy = 1 if look == "pressed" else 0
        return rrect(0, 0, w, h, 4, fill, edge) + icon(name, (w - 18) / 2, (h - 18) / 2 + dy, 18, colour)
    return paint


def combo_plate(look, w, h):
    colour = {"normal": SEC, "hover": ACC, "pressed": ACC_P, "disabled": DIS}[look]
    fill = {"normal": RAISED, "hover": HOVER_FILL, "pressed": CARD, "disabled": CARD}[look]
    dy = 1 if look == "pressed" else 0
    return (rrect(0, 0, w, h, 0, fill) + rrect(0, 6, 1, h - 12, 0, LINE)
            + icon("chevron_down", (w - 16) / 2, (h - 16) / 2 + dy, 16, colour))


# ---- option buttons (looks: off, off_hover, on, on_hover) ----

def feature_tab(name):
    def paint(look, w, h):
        on = look.startswith("on")
        hover = look.endswith("hover")
        colour = (ACC_H if hover else ACC) if on else (TXT if hover else SEC)
        out = ''
        if on:
            out += rrect(0, 0, w, h, 6, RAISED if hover else CARD, LINE)
            out += '<rect x="1" y="1" width="%d" height="%d" rx="5" fill="url(#tabGlow)"/>' % (w - 2, h - 2)
            out += rrect((w - 56) / 2, 0, 56, 3, 1.5, colour)
        elif hover:
            out += rrect(0, 0, w, h, 6, RAISED, opacity=0.8)
        return out + icon(name, (w - 32) / 2, 10, 32, colour)
    return paint


def page_tab(look, w, h):
    on = look.startswith("on")
    hover = look.endswith("hover")
    out = ''
    if hover:
        out += rrect(0, 0, w, h, 4, RAISED)
    if on:
        out += rrect(12, h - 3, w - 24, 3, 1.5, ACC_H if hover else ACC)
    return out


def radio_chip(look, w, h):
    on = look.startswith("on")
    hover = look.endswith("hover")
    fill = "#24190F" if on else (HOVER_FILL if hover else RAISED)
    edge = (ACC_H if hover else ACC) if on else (EDGE_HOVER if hover else LINE)
    ring = ACC if on else (TXT if hover else SEC)
    out = rrect(0, 0, w, h, 4, fill, edge)
    out += '<circle cx="16" cy="%.1f" r="5.5" fill="none" stroke="%s" stroke-width="1.5"/>' % (h / 2, ring)
    if on:
        out += '<circle cx="16" cy="%.1f" r="2.5" fill="%s"/>' % (h / 2, ring)
    return out


def tree_leaf(look, w, h):
    # The navigation bar builds its rows itself, so they cannot be cleared by
    # a page: the rows are opaque, on the card colour the list stands on.
    on = look.startswith("on")
    hover = look.endswith("hover")
    out = rrect(0, 0, w, h, 0, CARD)
    if on:
        out += rrect(0, 0, w, h, 4, "#221A14") + rrect(w - 3, 6, 3, h - 12, 1.5, ACC_H if hover else ACC)
    elif hover:
        out += rrect(0, 0, w, h, 4, RAISED)
    return out


def tree_group(look, w, h):
    if look == "disabled":
        return rrect(0, 0, w, h, 0, CARD) + icon("chevron_right", w - 26, (h - 16) / 2, 16, DIS)
    hover = look.endswith("hover")
    open_ = look.startswith("on")
    out = rrect(0, 0, w, h, 0, CARD) + (rrect(0, 0, w, h, 4, RAISED) if hover else '')
    out += rrect(0, h - 1, w, 1, 0, LINE)
    return out + icon("chevron_down" if open_ else "chevron_right", w - 26, (h - 16) / 2, 16, TXT if hover else SEC)


def auto_toggle(look, w, h):
    """Two-state button: off is a framed plate, on is lit with the accent; a status light at the right."""
    if look == "disabled":
        return rrect(0, 0, w, h, 4, CARD, "#1E2635") + '<circle cx="%d" cy="%.1f" r="3" fill="%s"/>' % (w - 16, h / 2, DIS)
    on = look.startswith("on")
    hover = look.endswith("hover")
    if on:
        out = rrect(0, 0, w, h, 4, "url(#accentFillHover)" if hover else "url(#accentFill)")
        out += '<circle cx="%d" cy="%.1f" r="3.5" fill="#FFFFFF"/>' % (w - 16, h / 2)
    else:
        out = rrect(0, 0, w, h, 4, HOVER_FILL if hover else RAISED, ACC if hover else LINE)
        out += '<circle cx="%d" cy="%.1f" r="3" fill="none" stroke="%s" stroke-width="1.5"/>' % (w - 16, h / 2, SEC)
    return out


def check_box(look):
    on = look.startswith("on")
    hover = look.endswith("hover")
    if on:
        return rrect(0, 0, 18, 18, 4, ACC_H if hover else ACC) + icon("check", 1, 1, 16, BG, 2.2)
    return rrect(0, 0, 18, 18, 4, RAISED, ACC if hover else "#3A475C", 1.5)


def switch(look):
    on = look.startswith("on")
    hover = look.endswith("hover")
    if on:
        return rrect(0, 0, 36, 20, 10, ACC_H if hover else ACC) + '<circle cx="26" cy="10" r="7" fill="#FFFFFF"/>'
    return (rrect(0, 0, 36, 20, 10, "#2A3446" if hover else LINE, EDGE_HOVER if hover else None)
            + '<circle cx="10" cy="10" r="7" fill="%s"/>' % (TXT if hover else SEC))


# ---- frames ----

def main_frame(W, H):
    """The main window: a 50-pixel title strip with a hairline below, 1-pixel edges."""
    return (rrect(0, 0, W, H, 0, LINE) + '<rect x="1" y="1" width="%d" height="48" fill="url(#titleFill)"/>' % (W - 2)
            + rrect(1, 50, W - 2, H - 51, 0, BG))


def dialog_frame(W, H):
    """Dialogs and message boxes: rounded, an accent title strip (the box's
    title is drawn dark), the body in the window colour."""
    return (rrect(0, 0, W, H, 8, "#0D2029", "#2B4656")
            + '<path d="M1 9a8 8 0 0 1 8-8h%d a8 8 0 0 1 8 8v30H1z" fill="url(#accentFill)"/>' % (W - 18)
            + rrect(1, 39, W - 2, 1, 0, ACC_P))


def panel_frame(W, H):
    return rrect(0, 0, W, H, 0, LINE) + rrect(1, 1, W - 2, H - 2, 0, "#FFFFFF")


# ---- slider and progress ----

def slider_pieces(horizontal):
    """head, back, fore, tail and button; a 4-pixel track in a 20 (16) pixel band."""
    if horizontal:
        band, t = 20, 8
        def bar(w, fill):
            return '<rect x="0" y="%d" width="%d" height="4" fill="%s"/>' % (t, w, fill)
        head = '<rect x="2" y="%d" width="10" height="4" rx="2" fill="%s"/>' % (t, LINE)
        tail = '<rect x="-6" y="%d" width="10" height="4" rx="2" fill="%s"/>' % (t, LINE)
        knob = ('<circle cx="10" cy="10" r="8.5" fill="%s"/><circle cx="10" cy="10" r="8" fill="%s"/>'
                '<circle cx="10" cy="10" r="3.5" fill="%s"/>' % ("#05080C", TXT, ACC))
        return {"head": (6, band, head), "back": (8, band, bar(8, LINE)), "fore": (8, band, bar(8, ACC)),
                "tail": (6, band, tail), "button": (20, 20, knob)}
    # Upright, the slider is the colour select's hue: value 0 at the top is
    # hue 360, the bottom hue 0, so the track shows the hues downwards.
    band, t = 16, 5
    stops = "".join('<stop offset="%.3f" stop-color="%s"/>' % (i / 6.0, c) for i, c in enumerate(
        ["#FF0000", "#FF00FF", "#0000FF", "#00FFFF", "#00FF00", "#FFFF00", "#FF0000"]))
    hue = ('<defs><linearGradient id="hue" x1="0" y1="0" x2="0" y2="1">%s</linearGradient></defs>'
           '<rect x="%d" y="0" width="6" height="180" fill="url(#hue)"/>' % (stops, t))
    head = '<rect x="%d" y="2" width="6" height="10" rx="3" fill="#FF0000"/>' % t
    tail = '<rect x="%d" y="-6" width="6" height="10" rx="3" fill="#FF0000"/>' % t
    knob = ('<circle cx="8" cy="8" r="7.5" fill="%s"/><circle cx="8" cy="8" r="7" fill="%s"/>'
            '<circle cx="8" cy="8" r="3" fill="%s"/>' % ("#05080C", TXT, ACC))
    return {"head": (band, 6, head),
            "back": (band, 180, hue),
            "fore": (band, 8, '<rect x="%d" y="0" width="6" height="8" fill="%s" fill-opacity="0.35"/>' % (t, "#FFFFFF")),
            "tail": (band, 6, tail), "button": (16, 16, knob)}


def progress_pieces(h, thin):
    if thin:
        r = h / 2
        return {"back": (4, h, rrect(0, 0, 4, h, 0, RAISED)),
                "head": (4, h, '<rect x="0" y="0" width="%d" height="%d" rx="%.1f" fill="%s"/>' % (8, h, r, ACC)),
                "body": (4, h, rrect(0, 0, 4, h, 0, ACC)),
                "tail": (4, h, '<rect x="-4" y="0" width="8" height="%d" rx="%.1f" fill="%s"/>' % (h, r, ACC_H))}
    back = rrect(0, 0, 4, h, 0, RAISED) + rrect(0, 0, 4, 1, 0, LINE) + rrect(0, h - 1, 4, 1, 0, LINE)
    body = rrect(0, 0, 4, h, 0, "url(#accentFill)") + rrect(0, 1, 4, 1, 0, "#FFFFFF", opacity=0.25)
    return {"back": (4, h, back), "head": (3, h, rrect(0, 0, 3, h, 0, ACC_P) + rrect(0, 1, 3, 1, 0, "#FFFFFF", opacity=0.2)),
            "body": (4, h, body), "tail": (3, h, rrect(0, 0, 3, h, 0, "#FFB27A") + rrect(2, 0, 1, h, 0, "#FFFFFF", opacity=0.6))}


# ---- message-box icons, logo ----

def message_icon(kind):
    colour, glyph, shape = {
        "error": (ERR, "x_mark", "circle"), "exclamation": (WARN, "bang", "circle"),
        "information": (INFO, "info_i", "circle"), "question": (INFO, "question", "circle"),
        "stop": (ERR, "x_mark", "octagon"), "warning": (WARN, "bang", "triangle")}[kind]
    if shape == "circle":
        base = '<circle cx="16" cy="16" r="14" fill="%s" fill-opacity="0.16" stroke="%s" stroke-width="2"/>' % (colour, colour)
    elif shape == "octagon":
        base = ('<path d="M11 3h10l8 8v10l-8 8H11l-8-8V11z" fill="%s" fill-opacity="0.16" stroke="%s" stroke-width="2" '
                'stroke-linejoin="round"/>' % (colour, colour))
    else:
        base = ('<path d="M16 3.5L29.5 27.5H2.5z" fill="%s" fill-opacity="0.16" stroke="%s" stroke-width="2" '
                'stroke-linejoin="round"/>' % (colour, colour))
    dy = 2 if shape == "triangle" else 0
    return base + icon(glyph, 4, 4 + dy, 24, colour, 2.5)


def logo(size):
    """The product mark: a fan inside an accent ring, on the title strip's colours."""
    s = size / 28.0
    return (strip_behind(size, size, TITLE_STRIP, "url(#titleFill)")
            + '<g transform="scale(%.4f)"><circle cx="14" cy="14" r="12.5" fill="%s" stroke="%s" stroke-width="2"/>'
            '%s</g>' % (s, CARD, ACC, icon("fan", 4, 4, 20, TXT, 1.6)))
