"""The page pictures as SVG: the four feature pairs of the home view (plain
and lit) and the few page backgrounds. draw(constant name) gives the SVG of
the picture that PagePictures.h names with that constant."""
import math

from art import ACC, ACC_H, BG, CARD, DIS, ICONS, LINE, RAISED, SEC, TXT

FEATURE_W, FEATURE_H = 432, 296


def svg(w, h, body, defs=""):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d"><defs>%s</defs>%s</svg>'
            % (w, h, w, h, defs, body))


FEATURE_DEFS = """
<radialGradient id="halo" cx="0.5" cy="0.5" r="0.5"><stop offset="0" stop-color="#FF6A00" stop-opacity="{halo}"/>
<stop offset="0.6" stop-color="#FF6A00" stop-opacity="{halo2}"/><stop offset="1" stop-color="#FF6A00" stop-opacity="0"/></radialGradient>
<radialGradient id="floor" cx="0.5" cy="0.5" r="0.5"><stop offset="0" stop-color="#263042" stop-opacity="0.9"/>
<stop offset="1" stop-color="#263042" stop-opacity="0"/></radialGradient>
<linearGradient id="ring" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="#FFB27A"/><stop offset="0.45" stop-color="#FF6A00"/>
<stop offset="1" stop-color="#CC5500"/></linearGradient>
<filter id="glow" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="{blur}"/></filter>
<filter id="glowSmall" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="3"/></filter>
"""


def feature(content, lit):
    """A feature scene on a clear ground: a soft halo, a floor shadow, the drawing (with a glow when lit)."""
    defs = FEATURE_DEFS.format(halo=0.30 if lit else 0.10, halo2=0.10 if lit else 0.03, blur=10 if lit else 6)
    cx, cy = FEATURE_W / 2, FEATURE_H / 2 - 6
    body = '<ellipse cx="%d" cy="%d" rx="200" ry="140" fill="url(#halo)"/>' % (cx, cy)
    body += '<ellipse cx="%d" cy="%d" rx="150" ry="10" fill="url(#floor)"/>' % (cx, FEATURE_H - 26)
    art = content(cx, cy, lit)
    glow_opacity = 0.85 if lit else 0.35
    body += '<g filter="url(#glow)" opacity="%.2f">%s</g>' % (glow_opacity, art)
    body += art
    return svg(FEATURE_W, FEATURE_H, body, defs)


def _stroke(colour, width, extra="", fill="none"):
    return 'fill="%s" stroke="%s" stroke-width="%.2f" stroke-linecap="round" stroke-linejoin="round"%s' % (
        fill, colour, width, extra)


def light_scene(cx, cy, lit):
    out = '<circle cx="%d" cy="%d" r="104" %s/>' % (cx, cy, _stroke(LINE, 2))
    out += '<circle cx="%d" cy="%d" r="90" %s/>' % (cx, cy, _stroke("url(#ring)", 12))
    out += '<circle cx="%d" cy="%d" r="72" %s/>' % (cx, cy, _stroke(LINE, 1.5))
    for i in range(16):
        a = i * math.pi / 8
        x, y = cx + 90 * math.cos(a), cy + 90 * math.sin(a)
        out += '<circle cx="%.1f" cy="%.1f" r="%.1f" fill="%s"/>' % (x, y, 3.2 if lit else 2.4, "#FFF3E6" if lit else "#FFD2B0")
    if lit:
        for i in range(24):
            a = i * math.pi / 12 + math.pi / 24
            out += '<path d="M%.1f %.1fL%.1f %.1f" %s/>' % (cx + 114 * math.cos(a), cy + 114 * math.sin(a),
                                                          cx + 128 * math.cos(a), cy + 128 * math.sin(a),
                                                          _stroke(ACC_H, 2, ' opacity="0.7"'))
    # the centre: the lighting sign of the tab row, drawn large
    colour = "#FFF3E6" if lit else "#FFB27A"
    out += '<circle cx="%d" cy="%d" r="15" %s/>' % (
        cx, cy, _stroke(colour, 3.5, ' fill-opacity="%.2f"' % (0.45 if lit else 0.15), ACC))
    for i in range(8):
        a = i * math.pi / 4
        out += '<path d="M%.1f %.1fL%.1f %.1f" %s/>' % (cx + 26 * math.cos(a), cy + 26 * math.sin(a),
                                                      cx + 36 * math.cos(a), cy + 36 * math.sin(a), _stroke(colour, 3.5))
    return out


def fan_scene(cx, cy, lit):
    out = '<rect x="%d" y="%d" width="220" height="220" rx="26" %s/>' % (cx - 110, cy - 110, _stroke(LINE, 3))
    for dx in (-88, 88):
        for dy in (-88, 88):
            out += '<circle cx="%d" cy="%d" r="6" %s/>' % (cx + dx, cy + dy, _stroke(SEC, 2))
    out += '<circle cx="%d" cy="%d" r="96" %s/>' % (cx, cy, _stroke("url(#ring)", 5))
    blade = ('M0 -24 C -6 -52, 6 -80, 30 -88 C 44 -74, 40 -46, 20 -22 Z')
    for i in range(7):
        out += '<path transform="translate(%d %d) rotate(%.1f)" d="%s" fill="%s" fill-opacity="%.2f" %s/>' % (
            cx, cy, i * 360 / 7, blade, ACC, 0.35 if lit else 0.12, 'stroke="%s" stroke-width="2.5" stroke-linejoin="round"'
            % (ACC_H if lit else ACC))
    out += '<circle cx="%d" cy="%d" r="24" fill="%s" %s/>' % (cx, cy, CARD, 'stroke="%s" stroke-width="3"' % ACC)
    out += '<circle cx="%d" cy="%d" r="8" fill="%s"/>' % (cx, cy, ACC if lit else SEC)
    if lit:
        for r, a0 in ((118, -40), (118, 140)):
            a1 = a0 + 50
            x0, y0 = cx + r * math.cos(math.radians(a0)), cy + r * math.sin(math.radians(a0))
            x1, y1 = cx + r * math.cos(math.radians(a1)), cy + r * math.sin(math.radians(a1))
            out += '<path d="M%.1f %.1fA%d %d 0 0 1 %.1f %.1f" %s/>' % (x0, y0, r, r, x1, y1, _stroke(ACC_H, 3))
    return out


def gamepad_scene(cx, cy, lit):
    s = 10.0
    path = ICONS["gamepad"].split('"/>')[0].split('d="')[1]
    out = '<g transform="translate(%.1f %.1f) scale(%.2f)">' % (cx - 12 * s, cy - 12.5 * s, s)
    out += '<path d="%s" %s/>' % (path, _stroke("url(#ring)", 0.55, ' fill-opacity="%.2f"' % (0.16 if lit else 0.06), ACC))
    out += '<path d="M8 10.5v3M6.5 12h3" %s/>' % _stroke(TXT if lit else SEC, 0.5)
    for (x, y) in ((15.5, 11), (17.5, 13), (17.5, 9), (19.5, 11)):
        out += '<circle cx="%.1f" cy="%.1f" r="0.75" fill="%s"/>' % (x, y, ACC_H if lit else "#8A4A1C")
    out += '</g>'
    if lit:
        out += '<path d="M%d %dq14 -14 28 0" %s/>' % (cx - 14, cy - 95, _stroke(ACC_H, 3))
        out += '<path d="M%d %dq24 -24 48 0" %s/>' % (cx - 24, cy - 108, _stroke(ACC_H, 3, ' opacity="0.6"'))
    return out


def update_scene(cx, cy, lit):
    out = '<circle cx="%d" cy="%d" r="112" %s/>' % (cx, cy, _stroke(LINE, 2))
    # the turning arrow of the update icon, drawn large around the controller chip
    s = 11.0
    out += ('<g transform="translate(%.1f %.1f) scale(%.1f)" %s>'
            '<path d="M19.5 12a7.5 7.5 0 1 1-2.2-5.3"/><path d="M19.5 4.5v4h-4"/></g>'
            % (cx - 12 * s, cy - 12 * s, s, _stroke("url(#ring)", 0.8)))
    # the controller chip inside
    out += '<rect x="%d" y="%d" width="76" height="76" rx="10" fill="%s" %s/>' % (cx - 38, cy - 38, CARD, 'stroke="%s" stroke-width="2.5"' % (TXT if lit else SEC))
    for i in range(4):
        d = -27 + i * 18
        for (x, y, w, h) in ((cx + d - 2, cy - 50, 4, 10), (cx + d - 2, cy + 40, 4, 10), (cx - 50, cy + d - 2, 10, 4), (cx + 40, cy + d - 2, 10, 4)):
            out += '<rect x="%d" y="%d" width="%d" height="%d" rx="1.5" fill="%s"/>' % (x, y, w, h, SEC if not lit else TXT)
    out += '<path d="M%d %dV%dM%d %dl14 -14 14 14" %s/>' % (cx, cy + 18, cy - 16, cx - 14, cy - 2, _stroke(ACC_H if lit else ACC, 5))
    return out


def dialog_banner():
    w, h = 577, 112
    # The dialogs ("OVWindow") have the window's dark body: the banner fades into it.
    defs = ('<linearGradient id="g" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#121821"/>'
            '<stop offset="1" stop-color="#000000"/></linearGradient>'
            '<radialGradient id="a" cx="0.5" cy="1" r="0.7"><stop offset="0" stop-color="#FF6A00" stop-opacity="0.18"/>'
            '<stop offset="1" stop-color="#FF6A00" stop-opacity="0"/></radialGradient>')
    body = '<rect width="%d" height="%d" fill="url(#g)"/><rect width="%d" height="%d" fill="url(#a)"/>' % (w, h, w, h)
    for i in range(-4, 14):
        x = i * 48
        body += '<path d="M%d %dL%d 0" stroke="#FFFFFF" stroke-opacity="0.022" stroke-width="14"/>' % (x, h, x + 60)
    body += '<circle cx="%d" cy="56" r="30" %s/>' % (w / 2, 'fill="none" stroke="%s" stroke-width="3"' % ACC)
    body += ('<g transform="translate(%.1f 34) scale(1.8333)" fill="none" stroke="%s" stroke-width="1.1" '
             'stroke-linecap="round" stroke-linejoin="round">%s</g>' % (w / 2 - 22, TXT, ICONS["fan"]))
    return svg(w, h, body, defs)


def fan_gauge():
    w = h = 220
    c, r = 110, 96
    body = '<circle cx="%d" cy="%d" r="%d" fill="%s" stroke="%s" stroke-width="1"/>' % (c, c, r + 10, CARD, LINE)
    start, sweep = 135, 270
    for i in range(55):
        a = math.radians(start + sweep * i / 54)
        major = i % 9 == 0
        r0 = r - (12 if major else 7)
        colour = ACC if i >= 45 else (SEC if major else DIS)
        body += '<path d="M%.1f %.1fL%.1f %.1f" stroke="%s" stroke-width="%s" stroke-linecap="round"/>' % (
            c + r0 * math.cos(a), c + r0 * math.sin(a), c + r * math.cos(a), c + r * math.sin(a), colour,
            2 if major else 1.5)
    a0, a1 = math.radians(start), math.radians(start + sweep)
    rr = r - 20
    body += '<path d="M%.1f %.1fA%d %d 0 1 1 %.1f %.1f" fill="none" stroke="%s" stroke-width="3" stroke-linecap="round"/>' % (
        c + rr * math.cos(a0), c + rr * math.sin(a0), rr, rr, c + rr * math.cos(a1), c + rr * math.sin(a1), RAISED)
    return svg(w, h, body)


def empty_games():
    w, h = 200, 150
    s = 6.0
    path = ICONS["gamepad"].split('"/>')[0].split('d="')[1]
    body = '<g transform="translate(%.1f 10) scale(%.1f)"><path d="%s" %s/><path d="M8 10.5v3M6.5 12h3" %s/></g>' % (
        w / 2 - 12 * s, s, path, _stroke(DIS, 0.4), _stroke(DIS, 0.4))
    body += '<circle cx="%d" cy="118" r="16" fill="%s" stroke="%s" stroke-width="2"/>' % (w / 2, CARD, ACC)
    body += '<path d="M%d 110v16M%d 118h16" %s/>' % (w / 2, w / 2 - 8, _stroke(ACC, 2.5))
    return svg(w, h, body)


PICTURES = {
    "kPictureFanFeature": lambda: feature(fan_scene, False),
    "kPictureFanFeatureLit": lambda: feature(fan_scene, True),
    "kPictureGameFeature": lambda: feature(gamepad_scene, False),
    "kPictureGameFeatureLit": lambda: feature(gamepad_scene, True),
    "kPictureLightFeature": lambda: feature(light_scene, False),
    "kPictureLightFeatureLit": lambda: feature(light_scene, True),
    "kPictureUpdateFeature": lambda: feature(update_scene, False),
    "kPictureUpdateFeatureLit": lambda: feature(update_scene, True),
    "kPictureDialogBanner": dialog_banner,
    "kPictureFanGauge": fan_gauge,
    "kPictureEmptyGames": empty_games,
}


def draw(name):
    if name not in PICTURES:
        raise SystemExit("no drawing for picture " + name)
    return PICTURES[name]()
