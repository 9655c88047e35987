"""Button families: one table row gives a whole frame strip.

A family file (data/images/<folder>/buttons.txt) names colour sets and buttons:

    colours <set> face=<top>,<bottom> lip=<colour> outline=<colour>
    button  <file stem> <width>x<height> <shape> <set> [<glyph>]

<shape> is "pill" (round ends), "round" (a circle) or "r<N>" (corner radius N).
<glyph> draws a sign on the face: "cross" (a close box), "minus" (minimise),
"restore" (two overlapping windows), "tick" (on), "expand" (four corners
pointing out: full screen), "left" or "right" (a chevron). Buttons under 24
pixels high (the window buttons) have thinner edges so that their face keeps
room for the sign.
Each button becomes one horizontal strip of four frames, in the order the
engine's buttons use: Active, Disabled, Highlighted, Pressed. The frame is the
button's full size; the face leaves room for the drop shadow below it and for
the highlight glow around it.
"""

import colorsys

STATES = ("Active", "Disabled", "Highlighted", "Pressed")
GLYPHS = (None, "cross", "minus", "restore", "tick", "expand", "left", "right")
SMALL_HEIGHT = 24

INK = "#3b2314"  # the outline and shadow colour of the whole game
GLOW = "#ffe45c"


class FamilyError(Exception):
    pass


class Family:
    def __init__(self, name, width, height, shape, colours, glyph=None):
        self.name, self.width, self.height, self.shape, self.colours = name, width, height, shape, colours
        self.glyph = glyph


def parse(path):
    colour_sets, families = {}, []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            # Colours are written with '#', so only whole lines are comments.
            words = [] if raw.lstrip().startswith("#") else raw.split()
            if not words:
                continue
            where = "%s:%d" % (path, number)
            if words[0] == "colours" and len(words) == 5:
                fields = dict(w.split("=", 1) for w in words[2:] if "=" in w)
                try:
                    top, bottom = fields["face"].split(",")
                    colour_sets[words[1]] = {"top": top, "bottom": bottom, "lip": fields["lip"], "outline": fields["outline"]}
                except (KeyError, ValueError):
                    raise FamilyError("%s: colours need face=<top>,<bottom> lip=<c> outline=<c>" % where) from None
            elif words[0] == "button" and len(words) in (5, 6):
                _, name, size, shape, set_name = words[:5]
                glyph = words[5] if len(words) == 6 else None
                if glyph not in GLYPHS:
                    raise FamilyError("%s: unknown glyph %r" % (where, glyph))
                try:
                    width, height = (int(v) for v in size.split("x"))
                except ValueError:
                    raise FamilyError("%s: size is <width>x<height>, not %r" % (where, size)) from None
                if set_name not in colour_sets:
                    raise FamilyError("%s: unknown colour set %r" % (where, set_name))
                if shape not in ("pill", "round") and not (shape.startswith("r") and shape[1:].isdigit()):
                    raise FamilyError("%s: unknown shape %r" % (where, shape))
                families.append(Family(name, width, height, shape, colour_sets[set_name], glyph))
            else:
                raise FamilyError("%s: expected a 'colours' or a 'button' line" % where)
    return families


def _rgb(colour):
    colour = colour.lstrip("#")
    return tuple(int(colour[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def _hex(rgb):
    return "#%02x%02x%02x" % tuple(max(0, min(255, round(c * 255))) for c in rgb)


def lighten(colour, amount):
    return _hex(tuple(c + (1 - c) * amount for c in _rgb(colour)))


def darken(colour, amount):
    return _hex(tuple(c * (1 - amount) for c in _rgb(colour)))


def greyed(colour):
    h, l, s = colorsys.rgb_to_hls(*_rgb(colour))
    return _hex(colorsys.hls_to_rgb(h, min(1.0, l * 0.85 + 0.18), s * 0.12))


def state_colours(colours, state):
    if state == "Disabled":
        return {k: greyed(v) for k, v in colours.items()}
    if state == "Highlighted":
        return {"top": lighten(colours["top"], 0.25), "bottom": lighten(colours["bottom"], 0.18),
                "lip": colours["lip"], "outline": colours["outline"]}
    if state == "Pressed":
        return {"top": darken(colours["top"], 0.12), "bottom": darken(colours["bottom"], 0.08),
                "lip": colours["lip"], "outline": colours["outline"]}
    return dict(colours)


def _radius(family, face_h):
    if family.shape in ("pill", "round"):
        return face_h / 2
    return min(int(family.shape[1:]), face_h / 2)


def frame_svg(family, index, state):
    """The shapes of one frame, drawn at its place in the strip."""
    w, h = family.width, family.height
    c = state_colours(family.colours, state)
    pressed = state == "Pressed"
    margin, shadow, lip = (1, 2, 2) if h < SMALL_HEIGHT else (3, 3, 4)
    face_w = w - 2 * margin
    face_h = h - 2 * margin - shadow
    x0, y0 = index * w + margin, margin
    if family.shape == "round":
        side = min(face_w, face_h)
        x0 += (face_w - side) / 2
        face_w = face_h = side
        lip = min(lip, 3)
    r = _radius(family, face_h)
    drop = lip - 1 if pressed else 0  # a pressed face sinks onto its lip
    gid = "%s%d" % (family.name.replace(".", "_"), index)
    parts = ['  <g id="%s">' % state]
    parts.append('    <linearGradient id="face%s" x1="0" y1="0" x2="0" y2="1">'
                 '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></linearGradient>'
                 % (gid, c["top"], c["bottom"]))
    if state == "Highlighted":
        parts.append('    <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="none" stroke="%s" stroke-width="6"/>'
                     % (x0, y0, face_w, face_h, r, GLOW))
    if not pressed:
        parts.append('    <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s" opacity="0.35"/>'
                     % (x0, y0 + shadow, face_w, face_h, r, INK))
    # The lip: the darker body under the face that gives it thickness.
    parts.append('    <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s" stroke="%s" stroke-width="2.5"/>'
                 % (x0, y0, face_w, face_h, r, c["lip"], c["outline"]))
    parts.append('    <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="url(#face%s)"/>'
                 % (x0 + 1.25, y0 + 1.25 + drop, face_w - 2.5, face_h - 2.5 - lip, max(r - 1.25, 0), gid))
    # Gloss on the upper half, lighter for the highlight.
    gloss_h = (face_h - lip) * 0.46
    inset = max(4.0, r * 0.45) if family.shape != "round" else face_w * 0.22
    parts.append('    <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="#ffffff" opacity="%g"/>'
                 % (x0 + inset, y0 + 3 + drop, face_w - 2 * inset, gloss_h, min(gloss_h / 2, r), 0.5 if state == "Highlighted" else 0.35))
    if pressed:
        # Shade under the top edge: the face sits lower than its rim.
        parts.append('    <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="none" stroke="%s" stroke-width="2" opacity="0.25"/>'
                     % (x0 + 2.5, y0 + 2.5 + drop, face_w - 5, face_h - 5 - lip, max(r - 2.5, 0), INK))
    if family.glyph:
        cx, cy = x0 + face_w / 2, y0 + drop + (face_h - lip) / 2 + 0.5
        arm = (face_h - lip) * 0.22
        # The sign's strokes: its dark edge, then white over it.
        outline_w, stroke_w = min(6, (face_h - lip) * 0.32), min(3.2, (face_h - lip) * 0.17)
        if family.glyph == "cross":
            path = "M%g %g L%g %g M%g %g L%g %g" % (cx - arm, cy - arm, cx + arm, cy + arm, cx - arm, cy + arm, cx + arm, cy - arm)
        elif family.glyph == "minus":
            path = "M%g %g L%g %g" % (cx - arm, cy + arm, cx + arm, cy + arm)
        elif family.glyph == "tick":
            path = "M%g %g L%g %g L%g %g" % (cx - arm * 1.1, cy, cx - arm * 0.3, cy + arm * 0.9, cx + arm * 1.2, cy - arm)
        elif family.glyph == "expand":
            # A corner bracket at each corner, opening outwards.
            k = arm * 0.7
            path = " ".join("M%g %g L%g %g L%g %g" % (cx + sx * arm * 1.3, cy + sy * (arm * 1.3 - k),
                                                      cx + sx * arm * 1.3, cy + sy * arm * 1.3,
                                                      cx + sx * (arm * 1.3 - k), cy + sy * arm * 1.3)
                            for sx in (-1, 1) for sy in (-1, 1))
        elif family.glyph in ("left", "right"):
            # A chevron pointing the way the list pages.
            tip = -1 if family.glyph == "left" else 1
            path = "M%g %g L%g %g L%g %g" % (cx - tip * arm * 0.6, cy - arm * 1.3, cx + tip * arm * 0.8, cy,
                                             cx - tip * arm * 0.6, cy + arm * 1.3)
        else:
            # Two windows, the front one lower left of the one behind.
            small = arm * 1.2
            path = ("M%g %g h%g v%g h%g z M%g %g h%g M%g %g v%g h%g"
                    % (cx - arm, cy - arm + small * 0.45, small, small, -small,
                       cx - arm + small * 0.45, cy - arm, small,
                       cx - arm + small * 0.45 + small, cy - arm, small, -small * 0.45))
        parts.append('    <path d="%s" fill="none" stroke="%s" stroke-width="%g" stroke-linecap="round" stroke-linejoin="round"/>'
                     % (path, c["outline"], outline_w))
        parts.append('    <path d="%s" fill="none" stroke="#ffffff" stroke-width="%g" stroke-linecap="round" stroke-linejoin="round"/>'
                     % (path, stroke_w))
    parts.append("  </g>")
    return "\n".join(parts)


def strip_svg(family):
    total = family.width * len(STATES)
    body = "\n".join(frame_svg(family, i, s) for i, s in enumerate(STATES))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
            "  <!-- %s: frames %s, each %dx%d. Made by tools/content/buttons.py. -->\n%s\n</svg>\n"
            % (total, family.height, total, family.height, family.name, ", ".join(STATES), family.width, family.height, body))
