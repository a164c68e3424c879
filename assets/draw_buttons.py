#!/usr/bin/env python3
"""Draws the app's button images with Cairo.

Writes, into the folder given as the only argument:
  VorlaButton.png  320x320, a round glossy red push-button labelled "VORLA"
  TrimoBoton.png   320x320, the same button in blue, labelled "TRIMO"
  Pressed.png      320x320, a dark translucent disc of the button's outline;
                   the screens lay it over a button at alpha 0.5 while it
                   is held down

Everything is computed from fixed numbers, so the same Cairo and fonts give
the same bytes. Called by generate.sh.
"""

import math
import sys

import cairo

SIZE = 320
CENTER = SIZE / 2
BEZEL_RADIUS = 148   # the outline the pressed disc matches
INNER_RING_RADIUS = 138
BODY_RADIUS = 128
LABEL_FONT = "Nimbus Sans"  # a Helvetica metric clone, installed with the build tools


def circle(ctx, radius, cx=CENTER, cy=CENTER):
    ctx.new_path()
    ctx.arc(cx, cy, radius, 0, 2 * math.pi)
    ctx.close_path()


def rgb(hex_colour, alpha=1.0):
    value = int(hex_colour.lstrip("#"), 16)
    return ((value >> 16) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0, alpha)


def draw_shadow(ctx):
    # A soft drop shadow below the bezel, faded out with a radial gradient
    # (Cairo has no blur).
    shadow = cairo.RadialGradient(CENTER, CENTER + 5, BEZEL_RADIUS - 12,
                                  CENTER, CENTER + 5, BEZEL_RADIUS + 10)
    shadow.add_color_stop_rgba(0.0, 0, 0, 0, 0.55)
    shadow.add_color_stop_rgba(1.0, 0, 0, 0, 0.0)
    circle(ctx, BEZEL_RADIUS + 10, CENTER, CENTER + 5)
    ctx.set_source(shadow)
    ctx.fill()


def draw_bezel(ctx):
    # Brushed-metal ring: light at the top, dark at the bottom...
    outer = cairo.LinearGradient(0, CENTER - BEZEL_RADIUS, 0, CENTER + BEZEL_RADIUS)
    outer.add_color_stop_rgb(0.0, 0.93, 0.93, 0.95)
    outer.add_color_stop_rgb(0.5, 0.62, 0.63, 0.66)
    outer.add_color_stop_rgb(1.0, 0.30, 0.30, 0.33)
    circle(ctx, BEZEL_RADIUS)
    ctx.set_source(outer)
    ctx.fill()
    # ...and the inner edge the other way round, so the button sits in a hole.
    inner = cairo.LinearGradient(0, CENTER - INNER_RING_RADIUS, 0, CENTER + INNER_RING_RADIUS)
    inner.add_color_stop_rgb(0.0, 0.18, 0.18, 0.20)
    inner.add_color_stop_rgb(1.0, 0.80, 0.80, 0.83)
    circle(ctx, INNER_RING_RADIUS)
    ctx.set_source(inner)
    ctx.fill()


def draw_body(ctx, light, base, dark):
    body = cairo.RadialGradient(CENTER - 20, CENTER - 45, 10, CENTER, CENTER, BODY_RADIUS)
    body.add_color_stop_rgba(0.0, *rgb(light))
    body.add_color_stop_rgba(0.55, *rgb(base))
    body.add_color_stop_rgba(1.0, *rgb(dark))
    circle(ctx, BODY_RADIUS)
    ctx.set_source(body)
    ctx.fill()
    # Light bouncing up from below, along the lower rim.
    glow = cairo.RadialGradient(CENTER, CENTER + 150, 40, CENTER, CENTER + 150, 140)
    glow.add_color_stop_rgba(0.0, *rgb(light, 0.55))
    glow.add_color_stop_rgba(1.0, *rgb(light, 0.0))
    circle(ctx, BODY_RADIUS)
    ctx.save()
    ctx.clip()
    ctx.set_source(glow)
    ctx.paint()
    ctx.restore()


def draw_gloss(ctx):
    # The glassy highlight over the upper half of the button.
    ctx.save()
    ctx.translate(CENTER, CENTER - 58)
    ctx.scale(1.0, 0.62)
    ctx.new_path()
    ctx.arc(0, 0, 104, 0, 2 * math.pi)
    ctx.restore()
    gloss = cairo.LinearGradient(0, CENTER - 125, 0, CENTER)
    gloss.add_color_stop_rgba(0.0, 1, 1, 1, 0.80)
    gloss.add_color_stop_rgba(1.0, 1, 1, 1, 0.06)
    ctx.set_source(gloss)
    ctx.fill()


def draw_label(ctx, text):
    ctx.select_font_face(LABEL_FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    ctx.set_font_size(100)
    extents = ctx.text_extents(text)
    # Scale the label to a fixed width inside the body.
    size = 100 * 196 / extents.x_advance
    ctx.set_font_size(size)
    extents = ctx.text_extents(text)
    x = CENTER - extents.x_bearing - extents.width / 2
    y = CENTER + 22 - extents.y_bearing - extents.height / 2
    ctx.move_to(x + 2, y + 3)
    ctx.set_source_rgba(0, 0, 0, 0.55)
    ctx.show_text(text)
    ctx.move_to(x, y)
    ctx.set_source_rgba(1, 1, 1, 0.97)
    ctx.show_text(text)


def draw_button(path, label, light, base, dark):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, SIZE, SIZE)
    ctx = cairo.Context(surface)
    ctx.set_antialias(cairo.ANTIALIAS_BEST)
    draw_shadow(ctx)
    draw_bezel(ctx)
    draw_body(ctx, light, base, dark)
    draw_label(ctx, label)
    draw_gloss(ctx)
    surface.write_to_png(path)


def draw_pressed(path):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, SIZE, SIZE)
    ctx = cairo.Context(surface)
    shade = cairo.RadialGradient(CENTER, CENTER - 30, 20, CENTER, CENTER, BEZEL_RADIUS)
    shade.add_color_stop_rgba(0.0, 0, 0, 0, 0.55)
    shade.add_color_stop_rgba(1.0, 0, 0, 0, 0.85)
    circle(ctx, BEZEL_RADIUS)
    ctx.set_source(shade)
    ctx.fill()
    surface.write_to_png(path)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_buttons.py OUTPUT_FOLDER")
    out = sys.argv[1]
    draw_button(out + "/VorlaButton.png", "VORLA", "#ff8a7a", "#d8201a", "#6e0806")
    draw_button(out + "/TrimoBoton.png", "TRIMO", "#8ac4ff", "#1f5fd0", "#0a2466")
    draw_pressed(out + "/Pressed.png")


if __name__ == "__main__":
    main()
