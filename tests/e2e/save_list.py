"""Save & Quit's list as a screen reader reads it, against the file the save then writes; run by
accessibility.sh save_list.py, in a folder whose VOZ.INI has the sound off ($QUORVANE_WORK).

Two settings are changed, the marks beside them and Save & Quit's description are read, Save &
Quit is pressed, and every line of the description must be what the file now holds.
"""

import os
import re
import sys
import time

import pyatspi

from accessibility import fail, find, find_app, has, keys, press, showing, wait_for, walk

LISTED = re.compile(r"^\[([^\]]+)\] ([^:]+): (.*) \u2192 (.*)$")


def file_values(path):
    """Each setting of the file by section and key, as the first line of it holds it."""
    values = {}
    section = None
    with open(path, "rb") as f:
        for raw in f.read().decode("cp1252").split("\r\n"):
            if raw.startswith("["):
                section = raw[1:raw.index("]")]
            elif "=" in raw and section and not raw.startswith((";", "#", " ")):
                key, value = raw.split("=", 1)
                values.setdefault((section, key), value)
    return values


def main():
    work = os.environ["QUORVANE_WORK"]
    app = find_app()
    press(find(app, "Sound Settings", "push button"))
    sound = find(app, "Sound", "check box")
    wait_for("the sound panel did not show", lambda: showing(sound))
    save = find(app, "Save & Quit", "push button")
    if save.description != "Saving leaves VOZ.INI as it is.":
        fail("before any change, Save & Quit is described as %r" % save.description)

    # Sound on (VOZ.INI has it off) and stereo off, from the keyboard.
    for name in ("Sound", "Stereo"):
        find(app, name, "check box").queryComponent().grabFocus()
        time.sleep(0.2)
        keys("space")
    wait_for("the Sound box did not check", lambda: has(sound, pyatspi.STATE_CHECKED))
    note = "Changed: VOZ.INI held n (Disable)."
    wait_for("the Sound box is described as %r" % sound.description,
             lambda: sound.description.startswith(note + "\n\nsound"))
    marks = [n for n in walk(app) if showing(n) and n.name.startswith("Changed: VOZ.INI held")]
    if sorted(m.name for m in marks) != sorted([note, "Changed: VOZ.INI held y (Enable)."]):
        fail("the marks on show are %s" % [m.name for m in marks])

    listed = save.description.split("\n")
    expected = ["Saving changes VOZ.INI:", "[sound] sound: n \u2192 y",
                "[sound] stereo: y \u2192 n"]
    if listed != expected:
        fail("Save & Quit is described as %r, not %r" % (listed, expected))
    press(save)
    end = time.time() + 10
    while time.time() < end and os.path.exists("/proc/%s" % os.environ["QUORVANE_PID"]):
        time.sleep(0.1)
    values = file_values(os.path.join(work, "VOZ.INI"))
    for line in listed[1:]:
        match = LISTED.match(line)
        if not match:
            fail("the line %r lists no setting" % line)
        section, key, _, new = match.groups()
        held = values.get((section, key))
        if held != ("" if new == "(empty)" else new):
            fail("the list says %r, and VOZ.INI holds %s=%r" % (line, key, held))
    print("Save & Quit's list is what the file holds")


if __name__ == "__main__":
    sys.exit(main())
