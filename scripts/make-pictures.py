#!/usr/bin/python3
"""Writes the program's pictures as SVG files into src/widgets/pictures/.

    /usr/bin/python3 scripts/make-pictures.py [DEST]

The SVG files are committed and compiled into the Qt resource of
src/widgets; run this only to recreate them after changing a drawing here.

- vignettor.svg          the application icon (also installed in the icon theme)
- busy-1.svg .. busy-7   the seven frames of the busy animation
- DEST_TO_SRC?, SRC_TO_DEST?, DROP_LOG?   the picture buttons' pictures, one
  per state: U up, D down (pressed), F focus, X disabled, B blink.

The button pictures leave their corners empty; the program fills every empty
pixel with the key colour (pure yellow) and the button keys it out again, so
the window background shows through.
"""
import os
import sys

DEST = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "src", "widgets", "pictures")

BLUE = "#3584e4"
BLUE_DARK = "#1a5fb4"
BLUE_LIGHT = "#99c1f1"
ORANGE = "#e66100"
ORANGE_LIGHT = "#ffa348"
GRAY = "#77767b"
GRAY_LIGHT = "#c0bfbc"
FACE = "#f6f5f4"
FACE_DOWN = "#deddda"


def svg(width, height, body, defs=""):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n'
            + (f"<defs>\n{defs}</defs>\n" if defs else "") + body + "</svg>\n")


def photo_defs(prefix):
    """Gradients of the photograph motif (sky, hill, sun)."""
    return (f'<linearGradient id="{prefix}sky" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="#62a0ea"/><stop offset="1" stop-color="#c6e0ff"/>'
            f'</linearGradient>\n'
            f'<linearGradient id="{prefix}hill" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="#57e389"/><stop offset="1" stop-color="#26a269"/>'
            f'</linearGradient>\n'
            f'<linearGradient id="{prefix}far" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="#8ff0a4"/><stop offset="1" stop-color="#33d17a"/>'
            f'</linearGradient>\n')


def photo(prefix, x, y, w, h, border, radius, shadow=True):
    """A framed photograph with sky, sun and two hills in the box x, y, w, h."""
    ix, iy, iw, ih = x + border, y + border, w - 2 * border, h - 2 * border
    sun_r = ih * 0.16
    parts = []
    if shadow:
        parts.append(f'<rect x="{x + w * 0.02:.2f}" y="{y + h * 0.05:.2f}" width="{w:.2f}" '
                     f'height="{h:.2f}" rx="{radius:.2f}" fill="#000" fill-opacity="0.22"/>')
    parts.append(f'<rect x="{x:.2f}" y="{y:.2f}" width="{w:.2f}" height="{h:.2f}" rx="{radius:.2f}" '
                 f'fill="#ffffff" stroke="#9a9996" stroke-width="{max(0.5, w / 120):.2f}"/>')
    # Qt's SVG renderer has no clipping paths: the motif stays inside the
    # inner rectangle by construction.
    parts.append(f'<rect x="{ix:.2f}" y="{iy:.2f}" width="{iw:.2f}" height="{ih:.2f}" '
                 f'fill="url(#{prefix}sky)"/>')
    parts.append(f'<circle cx="{ix + iw * 0.74:.2f}" cy="{iy + ih * 0.3:.2f}" r="{sun_r:.2f}" '
                 f'fill="#f6d32d"/>')
    parts.append(f'<path d="M{ix:.2f},{iy + ih * 0.78:.2f} '
                 f'Q{ix + iw * 0.55:.2f},{iy + ih * 0.32:.2f} {ix + iw:.2f},{iy + ih * 0.7:.2f} '
                 f'V{iy + ih:.2f} H{ix:.2f} Z" fill="url(#{prefix}far)"/>')
    parts.append(f'<path d="M{ix:.2f},{iy + ih * 0.62:.2f} '
                 f'Q{ix + iw * 0.25:.2f},{iy + ih * 0.45:.2f} {ix + iw * 0.6:.2f},{iy + ih:.2f} '
                 f'H{ix:.2f} Z" fill="url(#{prefix}hill)"/>')
    return "\n".join(parts) + "\n"


def app_icon():
    defs = photo_defs("a") + photo_defs("b") + (
        '<linearGradient id="arrow" x1="0" y1="0" x2="1" y2="1">'
        f'<stop offset="0" stop-color="{ORANGE_LIGHT}"/><stop offset="1" stop-color="{ORANGE}"/>'
        '</linearGradient>\n')
    body = photo("a", 6, 10, 92, 72, 6, 6)
    # The arrow that shrinks the photograph into its thumbnail.
    body += ('<g transform="translate(60,50) rotate(45)">'
             '<path d="M0,-4.5 H17 V-11 L31,0 L17,11 V4.5 H0 Z" fill="url(#arrow)" '
             'stroke="#c64600" stroke-width="1.5" stroke-linejoin="round"/></g>\n')
    body += photo("b", 74, 80, 48, 38, 3.5, 4)
    return svg(128, 128, body, defs)


def busy_frame(i):
    """Frame i of 7: a photograph shrinks into the thumbnail corner."""
    t = i / 6.0
    scale = 1.0 - 0.55 * t
    w, h = 40 * scale, 31 * scale
    x = 3 + (44 - 3 - w) * t
    y = 4 + (44 - 4 - h) * t
    border = max(1.5, 3 * scale)
    defs = photo_defs("p") + photo_defs("t")
    body = ""
    # The pile of finished thumbnails in the corner.
    body += (f'<rect x="27" y="30" width="18" height="14" rx="2" fill="{FACE_DOWN}" '
             f'stroke="{GRAY}" stroke-width="0.8"/>\n'
             f'<rect x="25" y="32" width="18" height="14" rx="2" fill="#ffffff" '
             f'stroke="{GRAY}" stroke-width="0.8"/>\n')
    body += photo("p", x, y, w, h, border, 3 * scale + 1)
    return svg(48, 48, body, defs)


def button_face(state, w, h, blink=False):
    """The rounded face of a picture button in one state."""
    r = 4
    if state == "D":
        return (f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="{r}" fill="{FACE_DOWN}" '
                f'stroke="{GRAY}" stroke-width="1"/>\n'
                f'<rect x="2" y="2" width="{w - 4}" height="2" rx="1" fill="#000" fill-opacity="0.08"/>\n')
    if blink:
        return (f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="{r}" fill="{ORANGE_LIGHT}" '
                f'stroke="{ORANGE}" stroke-width="1"/>\n')
    face = (f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="{r}" fill="{FACE}" '
            f'stroke="{GRAY_LIGHT if state == "X" else "#9a9996"}" stroke-width="1"/>\n'
            f'<rect x="2" y="{h - 3}" width="{w - 4}" height="1" fill="#000" fill-opacity="0.06"/>\n')
    if state == "F":
        face += (f'<rect x="0.75" y="0.75" width="{w - 1.5}" height="{h - 1.5}" rx="{r + 0.5}" '
                 f'fill="none" stroke="{BLUE}" stroke-width="1.5"/>\n'
                 f'<rect x="2.5" y="2.5" width="{w - 5}" height="{h - 5}" rx="{r - 1.5}" '
                 f'fill="none" stroke="{BLUE_LIGHT}" stroke-width="1"/>\n')
    return face


def arrow_button(state, up):
    """A copy button: a folder and an arrow pointing up or down."""
    w, h = 30, 26
    dx = 1 if state == "D" else 0
    colour = GRAY_LIGHT if state == "X" else BLUE
    folder = GRAY_LIGHT if state == "X" else "#e5a50a"
    folder_dark = GRAY_LIGHT if state == "X" else "#c88800"
    body = button_face(state, w, h)
    body += f'<g transform="translate({dx},{dx})">\n'
    # A small folder beside the arrow.
    body += (f'<path d="M5,9 h4 l1.5,1.5 h5 v9 h-10.5 Z" fill="{folder_dark}"/>\n'
             f'<rect x="5" y="11.5" width="10.5" height="8" rx="1" fill="{folder}"/>\n')
    if up:
        arrow = "M22,5 L27,11 L23.75,11 L23.75,20 L20.25,20 L20.25,11 L17,11 Z"
    else:
        arrow = "M22,21 L27,15 L23.75,15 L23.75,6 L20.25,6 L20.25,15 L17,15 Z"
    body += f'<path d="{arrow}" fill="{colour}" stroke-linejoin="round"/>\n'
    body += "</g>\n"
    return svg(w, h, body)


def log_button(state):
    """The log pane button: a sheet with lines; the blink picture warns."""
    w, h = 30, 26
    dx = 1 if state == "D" else 0
    blink = state == "B"
    sheet = GRAY_LIGHT if state == "X" else ("#ffffff")
    line = GRAY_LIGHT if state == "X" else (ORANGE if blink else GRAY)
    body = button_face(state, w, h, blink)
    body += f'<g transform="translate({dx},{dx})">\n'
    body += (f'<rect x="6" y="4.5" width="13" height="17" rx="1.5" fill="{sheet}" '
             f'stroke="{GRAY if state != "X" else GRAY_LIGHT}" stroke-width="1"/>\n')
    for k in range(4):
        body += (f'<rect x="8.5" y="{8 + 3 * k}" width="{8 if k % 2 == 0 else 6}" height="1.4" '
                 f'rx="0.7" fill="{line}"/>\n')
    if blink:
        body += ('<circle cx="22" cy="17" r="5.5" fill="#e01b24" stroke="#ffffff" stroke-width="1.2"/>\n'
                 '<rect x="21.2" y="13.6" width="1.6" height="4.4" rx="0.8" fill="#ffffff"/>\n'
                 '<circle cx="22" cy="20" r="0.95" fill="#ffffff"/>\n')
    else:
        chevron = GRAY_LIGHT if state == "X" else BLUE
        body += (f'<path d="M21,11 l3,3 l3,-3" fill="none" stroke="{chevron}" stroke-width="2" '
                 f'stroke-linecap="round" stroke-linejoin="round"/>\n')
    body += "</g>\n"
    return svg(w, h, body)


def main():
    os.makedirs(DEST, exist_ok=True)
    files = {"vignettor.svg": app_icon()}
    for i in range(7):
        files[f"busy-{i + 1}.svg"] = busy_frame(i)
    for state in "UDFX":
        files[f"DEST_TO_SRC{state}.svg"] = arrow_button(state, up=True)
        files[f"SRC_TO_DEST{state}.svg"] = arrow_button(state, up=False)
    for state in "UBDFX":
        files[f"DROP_LOG{state}.svg"] = log_button(state)
    for name, text in files.items():
        with open(os.path.join(DEST, name), "w", encoding="utf-8") as f:
            f.write(text)
    print(f"{len(files)} pictures written to {os.path.normpath(DEST)}")


if __name__ == "__main__":
    main()
