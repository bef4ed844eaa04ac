"""The editor as a screen reader sees it through AT-SPI; run by accessibility.sh.

Each check prints what it found when it fails; the script exits 1 after the first failure.
"""

import os
import re
import subprocess
import sys
import time

import pyatspi

APP = "Quorvane Configuration"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def find_app(timeout=15):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP:
                return app
        time.sleep(0.2)
    fail("no accessible application named %r" % APP)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def has(node, state):
    return node.getState().contains(state)


def showing(node):
    return has(node, pyatspi.STATE_SHOWING)


def describe(node):
    return "%s %r" % (node.getRoleName(), node.name)


def find(app, name, role=None, shown=None):
    """The one object of that name (and role); fails unless there is exactly one."""
    found = [n for n in walk(app) if n.name == name and (role is None or n.getRoleName() == role)
             and (shown is None or showing(n) == shown)]
    if len(found) != 1:
        fail("%d objects named %r (%s), expected one" % (len(found), name, role or "any role"))
    return found[0]


def wait_for(what, test, timeout=5):
    end = time.time() + timeout
    while time.time() < end:
        result = test()
        if result:
            return result
        time.sleep(0.1)
    fail(what)


def focused(app):
    return [n for n in walk(app) if has(n, pyatspi.STATE_FOCUSED)]


def expect_focus(app, name, role):
    def test():
        now = focused(app)
        return len(now) == 1 and now[0].name == name and now[0].getRoleName() == role
    end = time.time() + 5
    while time.time() < end:
        if test():
            return
        time.sleep(0.1)
    fail("the focus is on %s, not on %s %r" % ([describe(n) for n in focused(app)], role, name))


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail("%s offers no Press action, only %s" % (describe(node), names))
    action.doAction(names.index("Press"))


def keys(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "60"] + list(names),
                   check=True)


def main():
    app = find_app()
    wait_for("the window has no push buttons yet",
             lambda: any(n.getRoleName() == "push button" for n in walk(app)))

    # The images are push buttons named by their tooltips; Save & Quit waits for a panel.
    for name in ["Control Panel", "Video Settings", "Sound Settings", "Gamepad Settings",
                 "Keyboard Settings", "CD ROM Settings", "About", "Close without saving"]:
        if not showing(find(app, name, "push button")):
            fail("the push button %r is not showing" % name)
    if showing(find(app, "Save & Quit", "push button")):
        fail("Save & Quit shows before any panel was chosen")

    # Only the intro page is offered: no setting control of a hidden page is showing.
    settings = [n for n in walk(app) if showing(n) and n.getRoleName() in
                ("check box", "radio button", "combo box", "text", "entry")]
    if settings:
        fail("hidden pages offer %s" % [describe(n) for n in settings])

    # The keyboard starts on the first image; Enter opens a panel and the focus stays there.
    expect_focus(app, "Control Panel", "push button")
    keys("Tab", "Tab")
    expect_focus(app, "Sound Settings", "push button")
    keys("Return")
    sound = find(app, "Sound", "check box")
    wait_for("Enter on Sound Settings did not show the sound panel", lambda: showing(sound))
    expect_focus(app, "Sound Settings", "push button")
    # Gamepad, Keyboard, CD ROM, Save & Quit (shown now), About, the close image, then the page.
    keys(*["Tab"] * 7)
    expect_focus(app, "Sound", "check box")
    # VOZ.INI has the sound off. Shift+F10 opens the menu of the box, whose first entry restores
    # the default, and the menu key opens it too, whose second entry restores the value read.
    # (Qt does not offer its menus in the accessible tree, only their focus events.)
    if has(sound, pyatspi.STATE_CHECKED):
        fail("the Sound check box reports checked for sound=n")
    keys("shift+F10", "Down", "Return")
    wait_for("the first entry of the Shift+F10 menu did not restore the default",
             lambda: has(sound, pyatspi.STATE_CHECKED))
    keys("Menu", "Down", "Down", "Return")
    wait_for("the second entry of the menu key's menu did not restore the value read",
             lambda: not has(sound, pyatspi.STATE_CHECKED))
    expect_focus(app, "Sound", "check box")
    keys("space")
    wait_for("Space did not check the Sound box", lambda: has(sound, pyatspi.STATE_CHECKED))
    keys("shift+Tab")
    expect_focus(app, "Close without saving", "push button")

    # A check box is named by the label over it and reports its state; the help is its
    # description.
    if not has(sound, pyatspi.STATE_CHECKED):
        fail("the Sound check box does not report that it is checked")
    if "[sound] sound=" not in sound.description:
        fail("the Sound check box is described as %r" % sound.description)
    delay = find(app, "Delay (2 - 30)", "text")
    if "adjust sound buffer delay (2 - 30)" not in delay.description:
        fail("the delay box is described as %r" % delay.description)
    frequency = [n for n in walk(app) if n.getRoleName() == "combo box" and showing(n)
                 and any(r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                         and r.getTarget(0).name == "Frequency" for r in n.getRelationSet())]
    if len(frequency) != 1:
        fail("no combo box is labelled by Frequency")
    sign = [n for n in walk(app) if showing(n) and n.name.startswith("Outside 2 - 30")]
    if len(sign) != 1:
        fail("the delay of 50 shows %d warning signs naming 2 - 30" % len(sign))

    # Option buttons report their state inside a group named by its label.
    press(find(app, "Video Settings", "push button"))
    fullscreen = find(app, "Fullscreen", "radio button")
    wait_for("the video panel did not show", lambda: showing(fullscreen))
    if not has(fullscreen, pyatspi.STATE_CHECKED):
        fail("the Fullscreen option does not report that it is chosen")
    if has(find(app, "Windowed", "radio button"), pyatspi.STATE_CHECKED):
        fail("the Windowed option reports that it is chosen")
    group = fullscreen.parent
    if group.name != "Windowed mode" or group.getRoleName() in ("label", "filler"):
        fail("the window mode options are in %s, not in a group named Windowed mode"
             % describe(group))

    # A page flip is a push button; the page it covers is no longer offered.
    press(find(app, "More >>>", "push button"))
    tv_mode = find(app, "TV mode", "check box")
    wait_for("More >>> did not show the TV mode page", lambda: showing(tv_mode))
    if showing(find(app, "Video sync", "check box")):
        fail("the video page under the TV mode page is still offered")
    if not showing(find(app, "<<< Back", "push button")):
        fail("<<< Back is not offered")

    check_every_page(app)
    press(find(app, "Close without saving", "push button"))
    print("accessible tree as expected")


SETTING_ROLES = ("check box", "radio button", "text", "combo box")
# What a control of its own says, which never names the setting.
CAPTIONS = ("", "Enable", "Disable", "Locked", "Unlock")
PLACE_IN_FILE = re.compile(r"\n\[[^\]\n]+\] [^\s=]+=\n")


def labels_of(node):
    return [r.getTarget(i).name for r in node.getRelationSet()
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(r.getNTargets())]


def check_setting(node):
    """One setting control on show: named after its labels and described by its help."""
    role = node.getRoleName()
    in_combo = node.parent is not None and node.parent.getRoleName() == "combo box"
    if role == "radio button":
        # Read by its own caption, inside a group that the label names.
        if node.parent.getRoleName() != "panel" or node.parent.name in CAPTIONS:
            fail("the option %r is in %s, not in a named group" % (node.name,
                                                                    describe(node.parent)))
    elif role == "combo box":
        # Qt names a combo box by its text on Linux; screen readers read its label.
        if not labels_of(node):
            fail("the combo box %r has no label" % node.name)
        field = [c for c in node if c is not None and c.getRoleName() == "text"]
        if field and field[0].name != " ".join(labels_of(node)):
            fail("the edit field of the combo box labelled %s is named %r"
                 % (labels_of(node), field[0].name))
    elif node.name in CAPTIONS:
        fail("%s has no name but its own caption" % describe(node))
    elif not in_combo and not all(label in node.name for label in labels_of(node)):
        # A box under a heading is named by both ("Fullscreen S. Resolutions 256:"), although
        # the heading's label can point at one of them only.
        fail("%s is labelled by %s" % (describe(node), labels_of(node)))
    if not PLACE_IN_FILE.search(node.description):
        fail("%s is described as %r, without its place in VOZ.INI" % (describe(node),
                                                                    node.description))


def check_page(app, page):
    shown = [n for n in walk(app) if showing(n) and n.getRoleName() in SETTING_ROLES]
    if len(shown) < 4:
        fail("the %s page offers only %s" % (page, [describe(n) for n in shown]))
    for node in shown:
        check_setting(node)


def check_not_found(app):
    """The first system card is not there: one sign, named by where it was looked for."""
    signs = [n for n in walk(app) if showing(n) and n.name.startswith("Not found: ")]
    if len(signs) != 1:
        fail("the paths page shows %d \"Not found\" signs, not one" % len(signs))
    where = signs[0].name.split("\n")[0]
    if where != "Not found: " + os.path.join(os.environ["QUORVANE_WORK"], "nowhere.pce"):
        fail("the sign of System card 1 reads %r" % signs[0].name)


def check_every_page(app):
    """Every page of every panel: each setting named by its labels and described by its help."""
    flips = {"Control Panel": "Next >>>", "Video Settings": "More >>>"}
    for image in ["Control Panel", "Video Settings", "Sound Settings", "Gamepad Settings",
                  "Keyboard Settings", "CD ROM Settings"]:
        press(find(app, image, "push button"))
        time.sleep(0.3)
        check_page(app, image)
        if image in flips:
            press(find(app, flips[image], "push button"))
            time.sleep(0.3)
            check_page(app, flips[image])
            if image == "Control Panel":
                for box in ["System card 1", "Config path", "Saved game path"]:
                    if not showing(find(app, "Browse for " + box, "push button")):
                        fail("no browse button for %s is offered" % box)
                check_not_found(app)

    # Tab reaches an option group at its chosen option, as a screen reader then reads it.
    press(find(app, "Video Settings", "push button"))
    find(app, "Close without saving", "push button").queryComponent().grabFocus()
    expect_focus(app, "Close without saving", "push button")
    keys("Tab")
    expect_focus(app, "Fullscreen", "radio button")


if __name__ == "__main__":
    main()
