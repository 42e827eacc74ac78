"""What a screen reader learns of the real window, through AT-SPI as it would learn it.

Started by a11y_test.sh inside its X display and D-Bus session, with the program's path and the
scenarios to run: "tree" (the window, its fields and labels, the focus at start, typing, the
overflow hint coming and going as events) and "keeps_input" (keys that must not destroy an
over-long input). Keys go to the X server as a user's would; the clipboard is filled by xclip.
"""

import math
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

OVERFLOW = "\u00dcberlauf"
TIMEOUT = 10.0
LIMIT = 32767

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(condition, timeout=TIMEOUT):
    """Pumps events until condition() is true; returns its last value."""
    deadline = time.monotonic() + timeout
    while True:
        pump()
        value = condition()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(0.02)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "20", *names], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)


def paste(text):
    # xclip keeps serving the selection from a child of its own until another owner takes it.
    subprocess.run(["xclip", "-selection", "clipboard"], input=text.encode(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    keys("ctrl+a", "ctrl+v")


def text_of(field):
    return field.queryText().getText(0, -1)


def length_of(field):
    return field.queryText().characterCount


def has_state(accessible, state):
    return accessible.getState().contains(state)


def focused(field):
    return has_state(field, pyatspi.STATE_FOCUSED)


def related(accessible, relation):
    return [r.getTarget(i) for r in accessible.getRelationSet()
            if r.getRelationType() == relation for i in range(r.getNTargets())]


class Window:
    """The program, its window and the two fields as the accessibility tree shows them."""

    def __init__(self, program):
        self.events = []
        pyatspi.Registry.registerEventListener(
            self.events.append, "object:property-change:accessible-description")
        self.process = subprocess.Popen([program])
        self.window = wait_for(self._find_window)
        if not self.window:
            raise RuntimeError("no window named ZIF-Wandler on the accessibility bus")
        fields = [c for c in self.window
                  if c.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)]
        if len(fields) != 2:
            raise RuntimeError(f"{len(fields)} text fields in the window, expected 2")
        self.dez, self.hex = fields
        # Under a window manager the new window would get the input focus; there is none here.
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                        "^ZIF-Wandler$", "windowfocus", "--sync"],
                       check=True, stdout=subprocess.DEVNULL, timeout=TIMEOUT)

    def _find_window(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.get_process_id() != self.process.pid:
                continue
            for child in app:
                if child.name == "ZIF-Wandler":
                    return child
        return None

    def close(self):
        pyatspi.Registry.deregisterEventListener(
            self.events.append, "object:property-change:accessible-description")
        self.process.terminate()
        self.process.wait(timeout=TIMEOUT)

    def description_changed(self, field):
        """Waits for an event telling that field's description has changed."""
        return wait_for(lambda: any(e.source == field for e in self.events))

    def move_focus(self, key, to):
        keys(key)
        return wait_for(lambda: focused(to))


def tree(w):
    check(w.window.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW),
          f"the window's role is frame or window (is {w.window.getRoleName()})")
    for field, name in ((w.dez, "Dez"), (w.hex, "Hex")):
        check(field.name == name, f"field named {name!r} (is {field.name!r})")
        check(has_state(field, pyatspi.STATE_FOCUSABLE), f"{name} is focusable")
        labels = related(field, pyatspi.RELATION_LABELLED_BY)
        check(len(labels) == 1 and labels[0].name == name + ":"
              and labels[0].getRole() == pyatspi.ROLE_LABEL,
              f"{name} is labelled by the label {name + ':'!r}")
        check(all(related(label, pyatspi.RELATION_LABEL_FOR) == [field] for label in labels),
              f"the label {name + ':'!r} is a label for {name}")
    check(wait_for(lambda: focused(w.dez)), "Dez has the focus at start")

    type_text("255")
    check(wait_for(lambda: text_of(w.hex) == "FF"), "typing 255 into Dez gives FF in Hex")

    # Read once, so that a client keeping what it read would hold on to it without an event.
    check(all(f.description == "" for f in (w.dez, w.hex)), "no field has a description")
    paste("9" * 40000)
    check(wait_for(lambda: length_of(w.dez) == 40000), "Dez holds the 40000 pasted digits")
    check(w.description_changed(w.hex), "an event tells that the description of Hex changed")
    check(w.hex.description == OVERFLOW and text_of(w.hex) == "",
          f"Hex is empty and described as Überlauf (is {w.hex.description!r})")

    del w.events[:]
    keys("ctrl+a")
    type_text("7")
    check(wait_for(lambda: text_of(w.hex) == "7"), "typing 7 over them gives 7 in Hex")
    check(w.description_changed(w.hex), "an event tells that the description of Hex changed")
    check(all(OVERFLOW not in f.description for f in (w.dez, w.hex)),
          "no field says Überlauf once the overflow has ended")


# Each key below is followed by a move of the focus back: its handling shows that the release of
# the key before it has been handled too.
def keeps_input(w):
    check(wait_for(lambda: focused(w.dez)), "Dez has the focus at start")
    paste("9" * 40000)
    check(w.description_changed(w.hex) and w.hex.description == OVERFLOW,
          "an over-long decimal paste makes Hex say Überlauf")
    check(w.move_focus("Tab", w.hex) and w.move_focus("shift+Tab", w.dez),
          "Tab into Hex and back")
    check(length_of(w.dez) == 40000,
          f"Tab into the hinted Hex leaves the 40000 digits in Dez (it holds {length_of(w.dez)})")

    hex_digits = 27300
    result_digits = math.floor(hex_digits * math.log10(16)) + 1
    type_text("1")
    check(w.move_focus("Tab", w.hex), "Tab into Hex")
    paste("F" * hex_digits)
    check(wait_for(lambda: length_of(w.dez) == result_digits),
          f"{hex_digits} hex digits give {result_digits} decimal digits in Dez")
    check(w.move_focus("Tab", w.dez) and w.move_focus("shift+Tab", w.hex),
          "Tab into Dez and back")
    check(length_of(w.hex) == hex_digits,
          f"a key released in the over-long result leaves the {hex_digits} digits in Hex "
          f"(it holds {length_of(w.hex)})")
    check(OVERFLOW not in w.hex.description, "Hex does not say Überlauf")


SCENARIOS = {"tree": tree, "keeps_input": keeps_input}


def main(program, *names):
    for name in names or SCENARIOS:
        print(f"-- {name}", flush=True)
        window = Window(program)
        try:
            SCENARIOS[name](window)
        finally:
            window.close()
    if failures:
        print(f"a11y test: {len(failures)} check(s) failed", flush=True)
        return 1
    print("a11y test: every check passed", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
