#!/usr/bin/env python3
"""Draws the console's pictures as SVG and renders each at 32 x 32 twice: hot (full colour,
shown under the pointer) and normal (muted). Run from the repository root:
    python3 tools/icons/make-icons.py
It writes src/resources/icons/<name>.svg, <name>-hot.png and <name>.png (and 16 x 16 list
pictures), which the build puts into the program's resources."""
import os
import subprocess

OUT = "src/resources/icons"

HOT = {"main": "#1f6fd1", "dark": "#0b3d7a", "accent": "#f2a900", "light": "#e8f1fc", "red": "#d33a2c", "green": "#2e9d4f"}
NORMAL = {"main": "#6f8299", "dark": "#3f4b59", "accent": "#b59a5a", "light": "#eef1f4", "red": "#9a6a66", "green": "#6a8f74"}

ICONS = {
    # a pager: a rounded body with a display and a button
    "pagers": '''<rect x="7" y="4" width="18" height="24" rx="4" fill="{main}" stroke="{dark}" stroke-width="1.5"/>
      <rect x="10" y="8" width="12" height="8" rx="1" fill="{light}"/>
      <circle cx="16" cy="22" r="2.5" fill="{accent}"/>''',
    # three pagers side by side
    "groups": '''<rect x="2" y="9" width="11" height="16" rx="3" fill="{main}" stroke="{dark}"/>
      <rect x="19" y="9" width="11" height="16" rx="3" fill="{main}" stroke="{dark}"/>
      <rect x="9" y="5" width="14" height="20" rx="3" fill="{main}" stroke="{dark}" stroke-width="1.5"/>
      <rect x="12" y="8" width="8" height="6" rx="1" fill="{light}"/>''',
    # a bell
    "alarms": '''<path d="M16 4 C10 4 8 9 8 14 L8 20 L5 24 L27 24 L24 20 L24 14 C24 9 22 4 16 4 Z" fill="{accent}" stroke="{dark}" stroke-width="1.5"/>
      <circle cx="16" cy="26.5" r="2.5" fill="{dark}"/>
      <path d="M3 10 Q2 14 4 18 M29 10 Q30 14 28 18" stroke="{red}" stroke-width="2" fill="none"/>''',
    # a clock with a small bell mark
    "reminders": '''<circle cx="15" cy="17" r="11" fill="{light}" stroke="{main}" stroke-width="3"/>
      <path d="M15 10 L15 17 L20 20" stroke="{dark}" stroke-width="2.2" fill="none" stroke-linecap="round"/>
      <circle cx="26" cy="7" r="4" fill="{accent}" stroke="{dark}"/>''',
    # a speech bubble with lines of text
    "common": '''<path d="M4 6 H28 V21 H14 L8 27 V21 H4 Z" fill="{main}" stroke="{dark}" stroke-width="1.5" stroke-linejoin="round"/>
      <path d="M8 11 H24 M8 15 H20" stroke="{light}" stroke-width="2" stroke-linecap="round"/>''',
    # a key cap with an F
    "function": '''<rect x="4" y="5" width="24" height="22" rx="4" fill="{light}" stroke="{dark}" stroke-width="1.5"/>
      <rect x="7" y="8" width="18" height="14" rx="3" fill="{main}"/>
      <path d="M13 11 V20 M13 11 H19 M13 15 H18" stroke="{light}" stroke-width="2.2" stroke-linecap="round"/>''',
    # a gear
    "settings": '''<g fill="{main}" stroke="{dark}" stroke-width="1">
      <rect x="14" y="2" width="4" height="7" rx="1"/><rect x="14" y="23" width="4" height="7" rx="1"/>
      <rect x="2" y="14" width="7" height="4" rx="1"/><rect x="23" y="14" width="7" height="4" rx="1"/>
      <rect x="14" y="2" width="4" height="7" rx="1" transform="rotate(45 16 16)"/>
      <rect x="14" y="23" width="4" height="7" rx="1" transform="rotate(45 16 16)"/>
      <rect x="2" y="14" width="7" height="4" rx="1" transform="rotate(45 16 16)"/>
      <rect x="23" y="14" width="7" height="4" rx="1" transform="rotate(45 16 16)"/>
      <circle cx="16" cy="16" r="9"/></g>
      <circle cx="16" cy="16" r="3.5" fill="{light}"/>''',
    # a clock face
    "time": '''<circle cx="16" cy="16" r="12" fill="{light}" stroke="{main}" stroke-width="3"/>
      <path d="M16 8 V16 H22" stroke="{dark}" stroke-width="2.2" fill="none" stroke-linecap="round"/>''',
    # a calendar leaf
    "date": '''<rect x="4" y="6" width="24" height="22" rx="2" fill="{light}" stroke="{dark}" stroke-width="1.5"/>
      <rect x="4" y="6" width="24" height="7" fill="{red}"/>
      <path d="M10 3 V9 M22 3 V9" stroke="{dark}" stroke-width="2" stroke-linecap="round"/>
      <path d="M9 18 H13 M15 18 H19 M21 18 H24 M9 23 H13 M15 23 H19" stroke="{main}" stroke-width="2.5"/>''',
    # a paper plane
    "send": '''<path d="M3 15 L29 4 L22 28 L15 19 Z" fill="{main}" stroke="{dark}" stroke-width="1.5" stroke-linejoin="round"/>
      <path d="M15 19 L29 4 L13 27 Z" fill="{dark}"/>''',
    # an eraser
    "clear": '''<path d="M4 20 L15 9 L27 21 L20 28 H12 Z" fill="{red}" stroke="{dark}" stroke-width="1.5" stroke-linejoin="round"/>
      <path d="M4 20 L10 14 L22 26 L20 28 H12 Z" fill="{light}" stroke="{dark}" stroke-width="1"/>
      <path d="M14 28 H29" stroke="{dark}" stroke-width="1.5"/>''',
    # coaster panel: a loudspeaker
    "beep": '''<path d="M4 12 H10 L18 5 V27 L10 20 H4 Z" fill="{main}" stroke="{dark}" stroke-width="1.5" stroke-linejoin="round"/>
      <path d="M22 11 Q25 16 22 21 M25 7 Q31 16 25 25" stroke="{accent}" stroke-width="2.2" fill="none" stroke-linecap="round"/>''',
    # a flash
    "flash": '''<path d="M18 2 L7 18 H15 L12 30 L25 12 H17 Z" fill="{accent}" stroke="{dark}" stroke-width="1.5" stroke-linejoin="round"/>''',
    # a coaster shaking
    "vibrate": '''<rect x="10" y="5" width="12" height="22" rx="3" fill="{main}" stroke="{dark}" stroke-width="1.5"/>
      <path d="M6 10 L4 13 L6 16 L4 19 L6 22 M26 10 L28 13 L26 16 L28 19 L26 22" stroke="{accent}" stroke-width="2" fill="none"/>''',
    # a padlock
    "antitheft": '''<path d="M10 14 V10 A6 6 0 0 1 22 10 V14" stroke="{dark}" stroke-width="3" fill="none"/>
      <rect x="6" y="14" width="20" height="15" rx="2" fill="{accent}" stroke="{dark}" stroke-width="1.5"/>
      <circle cx="16" cy="21" r="2.5" fill="{dark}"/>''',
    # a target
    "locate": '''<circle cx="16" cy="16" r="11" fill="none" stroke="{main}" stroke-width="3"/>
      <circle cx="16" cy="16" r="4" fill="{red}"/>
      <path d="M16 1 V8 M16 24 V31 M1 16 H8 M24 16 H31" stroke="{dark}" stroke-width="2"/>''',
}

# 16 x 16 pictures of the lists: a pager, a group, the rotary mark.
LIST = {
    "list-pager": '''<rect x="4" y="1" width="8" height="14" rx="2" fill="#1f6fd1" stroke="#0b3d7a"/>
      <rect x="5.5" y="3" width="5" height="4" fill="#e8f1fc"/>''',
    "list-group": '''<rect x="1" y="4" width="6" height="10" rx="2" fill="#2e9d4f" stroke="#1b5e2f"/>
      <rect x="9" y="4" width="6" height="10" rx="2" fill="#2e9d4f" stroke="#1b5e2f"/>
      <rect x="5" y="2" width="6" height="12" rx="2" fill="#3cbf63" stroke="#1b5e2f"/>''',
    "list-rotary": '''<path d="M13 8 A5 5 0 1 1 8 3" stroke="#1f6fd1" stroke-width="2" fill="none"/>
      <path d="M8 0 L12 3 L8 6 Z" fill="#1f6fd1"/>''',
}


def render(name, body, size, colours, suffix):
    svg = f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">' \
          f'{body.format(**colours)}</svg>'
    path = os.path.join(OUT, f"{name}{suffix}")
    with open(path + ".svg", "w") as f:
        f.write(svg + "\n")
    subprocess.run(["convert", "-background", "none", "-density", "96", path + ".svg",
                    "-resize", f"{size}x{size}", path + ".png"], check=True)
    os.remove(path + ".svg")


os.makedirs(OUT, exist_ok=True)
for name, body in ICONS.items():
    render(name, body, 32, HOT, "-hot")
    render(name, body, 32, NORMAL, "")
for name, body in LIST.items():
    render(name, body, 16, {}, "")
