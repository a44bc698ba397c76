"""The contact sheet of the content (build/assets-preview.png): a sample of every art category
(each picture with its name), the fonts, the templates in their visual states, the skin sampler
scene, and the waveform and level of every sound. It is drawn from the committed files, the way
the game reads them (render.py)."""
import os

import numpy as np
from PIL import Image, ImageDraw

from . import render
from .art.categories import CATEGORIES
from .common import REPO, asset
from .fonts import font_entries
from .sounds import cues
from .synth import decode_ogg, level_db
from .templates import BUTTON_SIZES, SAMPLER

OUTPUT = os.path.join("build", "assets-preview.png")
WIDTH = 1600
MARGIN = 24
BACKGROUND = (232, 226, 214, 255)
INK = 0xFF3A2A1E


def _checker(size, cell=8):
    w, h = size
    yy, xx = np.mgrid[0:h, 0:w]
    light = ((xx // cell + yy // cell) % 2 == 0)
    rgb = np.where(light[..., None], 200, 170).astype(np.uint8)
    return Image.fromarray(np.dstack([rgb, rgb, rgb, np.full((h, w), 255, np.uint8)]), "RGBA")


class Sheet:
    # The canvas grows by this much whenever the sections come within half of it of its end.
    GROWTH = 6000

    def __init__(self, height=GROWTH):
        self.renderer = render.Renderer((WIDTH, height))
        self.renderer.canvas = Image.new("RGBA", (WIDTH, height), BACKGROUND)
        self.y = MARGIN

    @property
    def y(self):
        return self._y

    @y.setter
    def y(self, value):
        self._y = value
        canvas = self.renderer.canvas
        if value + self.GROWTH // 2 > canvas.size[1]:
            grown = Image.new("RGBA", (WIDTH, canvas.size[1] + self.GROWTH), BACKGROUND)
            grown.paste(canvas, (0, 0))
            self.renderer.canvas = grown

    def heading(self, text):
        self.y += 8
        render.draw_label(self.renderer, text, MARGIN, self.y, size=40,
                          font="fonts/title_40.ofnt", colour=0xFFF39A2B)
        self.y += 56

    def label(self, text, x, y, colour=INK):
        render.draw_label(self.renderer, text, x, y, colour=colour)

    def paste(self, image, x, y):
        self.renderer.canvas.alpha_composite(image, (int(x), int(y)))

    def finish(self):
        return self.renderer.canvas.crop((0, 0, WIDTH, self.y + MARGIN))


def pictures_section(sheet):
    for category in CATEGORIES:
        sheet.heading("Art: %s (%s)" % (category.name, ", ".join(category.folders)))
        x, row = MARGIN, 0
        font = sheet.renderer.pictures.font("scenes/fonts/arial_14_crisp.ofnt")
        for picture in [p for p in category.pictures() if p.sample]:
            w, h = picture.size
            cell_w = max(w, font.width(os.path.basename(picture.name)[:-4])) + 16
            if x + cell_w > WIDTH - MARGIN:
                x, sheet.y = MARGIN, sheet.y + row + 12
                row = 0
            backdrop = _checker((w, h))
            backdrop.alpha_composite(picture.image)
            sheet.paste(backdrop, x, sheet.y)
            sheet.label(os.path.basename(picture.name)[:-4], x, sheet.y + h + 2)
            x += cell_w
            row = max(row, h + 20)
        sheet.y += row + 12


def fonts_section(sheet):
    sheet.heading("Fonts")
    sample = "The quick brown fox jumps over the lazy dog. 0123456789 $ ÀÉÎÕÜ ąčęłńšž…"
    for entry in font_entries():
        dark = entry.outline == 0
        band = Image.new("RGBA", (WIDTH - 2 * MARGIN, entry.size * 2 + 16),
                         (255, 244, 220, 255) if dark else (67, 176, 71, 255))
        sheet.paste(band, MARGIN, sheet.y)
        sheet.label("%s (%s, %d px%s)" % (entry.file, os.path.basename(entry.path), entry.size,
                                          ", outlined" if entry.outline else ""),
                    MARGIN + 8, sheet.y + 4, INK if dark else 0xFFFFFFFF)
        text = sample if entry.size < 30 else sample[:sample.index(".") + 1]
        render.draw_label(sheet.renderer, text, MARGIN + 8, sheet.y + 22, size=entry.size,
                          font="fonts/%s.ofnt" % entry.file, colour=INK if dark else 0xFFFFFFFF)
        sheet.y += band.size[1] + 8


STATE_ROW = ("Normal", "NormalHover", "Focus", "FocusHover", "Pressed", "NormalDisable")
CHECK_ROW = ("Normal", "NormalHover", "NormalCheck", "NormalCheckHover", "NormalDisable",
             "NormalCheckDisable")


def templates_section(sheet):
    sheet.heading("Templates in their visual states")
    r = sheet.renderer
    x0 = MARGIN + 200
    for index, state in enumerate(STATE_ROW):
        sheet.label(state, x0 + index * 228, sheet.y)
    sheet.y += 24
    names = ["Button%s%s" % (k, s) for s in BUTTON_SIZES for k in ("Green", "Orange", "Red")]
    names += ["TabButton", "CloseButton", "ArrowUpButton", "EditField", "Slider"]
    for name in names:
        template = r.templates[name]
        w, h = template.props.get("Bounds", (100, 100, 0))[:2]
        scale = min(1.0, 210.0 / w)
        sheet.label(name, MARGIN, sheet.y + 4)
        for index, state in enumerate(STATE_ROW):
            cls = {"EditField": "EditNode", "Slider": "SliderNode"}.get(name, "ButtonNode")
            props = {"Scale": (scale, scale, 1.0), "cls": cls}
            if state == "NormalDisable":
                props["Enabled"] = False
            if cls == "ButtonNode":
                props["Text"] = "%Ok%"
            if cls == "EditNode":
                props["Text"] = "%Skin_EditHint%"
            r.draw_template(name, x0 + index * 228, sheet.y + 6, state=state, **props)
        sheet.y += int(h * scale) + 20
    sheet.label("CheckBox", MARGIN, sheet.y + 4)
    for index, state in enumerate(CHECK_ROW):
        checked = "Check" in state
        r.draw_template("CheckBox", x0 + index * 228, sheet.y, cls="CheckBoxNode",
                        state=state.replace("Check", "") if checked else state,
                        IsChecked=checked, Enabled="Disable" not in state,
                        Text="%Skin_CheckBox%", Scale=(0.75, 0.75, 1.0))
        sheet.label(state, x0 + index * 228, sheet.y + 30)
    sheet.y += 60
    box = r.templates["MessageBox2Buttons"]
    node = render.make_node("ControlNode", TemplateName="MessageBox2Buttons",
                            Position=(MARGIN, sheet.y, 0), Bounds=box.props["Bounds"])
    instance_texts = {"TitleText": "%Skin_MessageTitle%", "BodyText": "%Skin_MessageBody%"}
    template = r.templates["MessageBox2Buttons"]
    saved = template.copy()
    for child in template.children:
        if child.name in instance_texts:
            child.props["Text"] = instance_texts[child.name]
    buttons = [c for c in template.children if c.name == "Button"]
    for button, caption in zip(buttons, ("%Yes%", "%No%")):
        button.props["Text"] = caption
    r.draw_node(node)
    r.flush()
    r.templates["MessageBox2Buttons"] = saved
    list_node = render.make_node("ListNode", TemplateName="List", Position=(MARGIN + 600,
                                                                            sheet.y + 8, 0),
                                 Bounds=(320, 240, 0), Strings=["Item %d" % i for i in range(1, 9)])
    r.draw_node(list_node)
    r.flush()
    progress = render.make_node("ProgressBarNode", TemplateName="ProgressBar", KnobType=1,
                                Value=35.0, Position=(MARGIN + 1040, sheet.y + 8, 0),
                                Bounds=(300, 28, 0))
    r.draw_node(progress)
    r.flush()
    sheet.y += 300


def sampler_section(sheet):
    sheet.heading("Skin sampler scene (%s)" % SAMPLER)
    picture, _ = render.render_scene(SAMPLER, background=(40, 40, 40, 255))
    sheet.paste(picture, MARGIN, sheet.y)
    sheet.y += picture.size[1] + 12


def sounds_section(sheet):
    sheet.heading("Sounds (waveform, length, RMS level)")
    cell_w, cell_h = 300, 56
    columns = (WIDTH - 2 * MARGIN) // cell_w
    for index, cue in enumerate(cues()):
        path = os.path.join(REPO, asset("sounds/" + cue.file))
        if not os.path.exists(path):
            continue
        samples, channels = decode_ogg(path)
        mono = samples.reshape(-1, channels).mean(axis=1)
        x = MARGIN + (index % columns) * cell_w
        y = sheet.y + (index // columns) * cell_h
        band = Image.new("RGBA", (cell_w - 8, 30), (255, 244, 220, 255))
        draw = ImageDraw.Draw(band)
        buckets = np.array_split(np.abs(mono), cell_w - 8)
        for bx, bucket in enumerate(buckets):
            peak = float(bucket.max()) if len(bucket) else 0.0
            draw.line([(bx, 15 - peak * 15), (bx, 15 + peak * 15)],
                      fill=(67, 176, 71, 255) if cue.kind == "music" else (243, 154, 43, 255))
        sheet.paste(band, x, y)
        sheet.label("%s  %.1f s  %.0f dB%s" % (cue.name, len(mono) / 44100.0, level_db(mono),
                                               "  loop" if cue.loop else ""), x, y + 32)
    sheet.y += ((len(cues()) + columns - 1) // columns) * cell_h


def write_preview():
    sheet = Sheet()
    fonts_section(sheet)
    pictures_section(sheet)
    templates_section(sheet)
    sampler_section(sheet)
    sounds_section(sheet)
    path = os.path.join(REPO, OUTPUT)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    sheet.finish().convert("RGB").save(path)
    return path
