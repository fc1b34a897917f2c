#!/usr/bin/python3
"""Draws the sample images in samples/ (all made here, from formulas).

    /usr/bin/python3 scripts/make-samples.py [DEST]     (Debian python3-pil,
                                                         libheif-examples, webp)

The images are committed; run this only to recreate them. One image per
input format, a few photo-sized JPEGs, and a sub-folder so that a recursive
run has a tree to mirror. The HEIC and WebP samples are two of the drawn
pictures encoded by heif-enc (with a thumbnail, as phones store one) and
cwebp.
"""
import math
import os
import subprocess
import sys

from PIL import Image, ImageDraw

DEST = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "samples")


def field(w, h, fn):
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            r, g, b = fn(x / w, y / h)
            px[x, y] = (max(0, min(255, int(r))), max(0, min(255, int(g))), max(0, min(255, int(b))))
    return img


def aurora(u, v):
    s = math.sin(u * 9 + math.sin(v * 5) * 2) + math.sin(v * 7 - u * 3)
    return 20 + 40 * v, 120 + 60 * s, 110 + 90 * math.cos(s + u * 2)


def sunset(u, v):
    sky = (255 - 120 * v, 120 + 60 * (1 - v) - 80 * v, 60 + 120 * v)
    d = math.hypot(u - 0.62, v - 0.55)
    if d < 0.12:
        return 255, 230 - 200 * d, 120
    if v > 0.7:  # sea with ripples
        k = 0.5 + 0.5 * math.sin(u * 80 + v * 40)
        return 40 + 60 * k, 40 + 30 * k, 90 + 40 * k
    return sky


def dunes(u, v):
    ridge = 0.55 + 0.08 * math.sin(u * 11) + 0.04 * math.sin(u * 29 + 1.3)
    if v < ridge:
        return 110 + 100 * v, 170 + 60 * v, 235
    shade = 0.5 + 0.5 * math.sin((u * 6 + v * 14) * math.pi)
    return 200 + 40 * shade, 150 + 40 * shade, 80 + 20 * shade


def mandelbrot(w, h):
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            c = complex(-2.2 + 3.0 * x / w, -1.15 + 2.3 * y / h)
            z, n = 0j, 0
            while abs(z) < 2 and n < 60:
                z = z * z + c
                n += 1
            t = n / 60
            px[x, y] = (int(255 * t ** 0.5), int(200 * t), int(120 + 135 * (1 - t)) if n < 60 else 0)
    return img


def rings(w, h):
    return field(w, h, lambda u, v: (
        128 + 127 * math.sin(math.hypot(u - 0.5, v - 0.5) * 60),
        128 + 127 * math.sin(math.hypot(u - 0.2, v - 0.8) * 45),
        128 + 127 * math.sin(math.hypot(u - 0.8, v - 0.3) * 50)))


def flower(w, h):
    img = field(w, h, lambda u, v: (30 + 40 * v, 90 + 80 * v, 40))
    d = ImageDraw.Draw(img)
    cx, cy, r = w * 0.5, h * 0.48, min(w, h) * 0.2
    for k in range(12):
        a = k * math.pi / 6
        x, y = cx + math.cos(a) * r, cy + math.sin(a) * r
        d.ellipse([x - r * 0.55, y - r * 0.55, x + r * 0.55, y + r * 0.55], fill=(230, 80 + 8 * k, 150))
    d.ellipse([cx - r * 0.5, cy - r * 0.5, cx + r * 0.5, cy + r * 0.5], fill=(250, 200, 40))
    return img


def tiles(w, h):
    img = Image.new("RGB", (w, h), (245, 240, 230))
    d = ImageDraw.Draw(img)
    colours = [(200, 60, 50), (40, 110, 180), (240, 180, 40), (60, 150, 90), (120, 70, 160)]
    step = 40
    for j in range(0, h, step):
        for i in range(0, w, step):
            c = colours[(i // step * 3 + j // step) % len(colours)]
            d.rectangle([i + 4, j + 4, i + step - 4, j + step - 4], fill=c)
    return img


def checker(w, h):
    return field(w, h, lambda u, v: (240, 240, 240) if (int(u * 8) + int(v * 8)) % 2 else
                 (60 + 150 * u, 60, 60 + 150 * v))


def main():
    os.makedirs(os.path.join(DEST, "garden"), exist_ok=True)
    out = lambda name: os.path.join(DEST, name)
    field(640, 480, aurora).save(out("aurora.jpg"), quality=85)
    field(480, 640, sunset).save(out("sunset.jpg"), quality=85)
    mandelbrot(360, 270).save(out("mandelbrot.png"), optimize=True)
    rings(160, 120).save(out("rings.bmp"))
    tiles(320, 240).convert("P", palette=Image.ADAPTIVE, colors=16).save(out("tiles.gif"))
    checker(160, 160).save(out("checker.pcx"))
    field(240, 180, dunes).save(out("dunes.tif"), compression="tiff_lzw")
    flower(480, 360).save(out("garden/flower.jpg"), quality=85)
    field(400, 300, dunes).save(out("garden/dunes.jpg"), quality=85)
    # The sunset as a phone's HEIC (with a thumbnail of 240 pixels), the
    # Mandelbrot set as a lossy WebP.
    subprocess.run(["heif-enc", "-q", "50", "-t", "240", "-o", out("evening.heic"),
                    out("sunset.jpg")], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cwebp", "-quiet", "-q", "75", out("mandelbrot.png"), "-o", out("fractal.webp")],
                   check=True)


if __name__ == "__main__":
    main()
