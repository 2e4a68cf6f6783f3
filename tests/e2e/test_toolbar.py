"""The side toolbar and its logo with the real mouse: slider, collapse, hover, stepping aside, QR card."""
import subprocess

from lumenfold import SCREEN, TOOLBAR_CLASS, Session, main, wait_until

LOGO_CLASS = "Lumenfold.Windows.PersistentLogo"
# On a 1920 x 1080 screen at 96 dpi: 344 x 674 at the right edge, 12 px in, centred; the logo over
# its slot at (260, 36); collapsed, an 80 x 90 strip whose slot (12, 8) lies under the unmoved logo.
EXPANDED = [1564, 203, 1908, 877]
STRIP = [1812, 231, 1892, 321]
LOGO = (1824 + 34, 239 + 38)
COLLAPSE_BUTTON = (1564 + 34, 203 + 172)
SLIDER_Y = 203 + 251
# Left, top, width, height: the QR card and some black around it, wherever a scroll bar puts it.
QR = (1564 + 88, 203 + 263, 165, 185)


def awake(s, at, condition, what):
    """Waits for condition(), moving the pointer beside `at` after each look: however slow the looks, it never rests."""
    def look():
        value = condition()
        s.nudges = getattr(s, "nudges", 0) + 1  # a move back to where the last one started could go unseen
        s.move_mouse(at[0] + 1 + s.nudges % 2, at[1])
        return value
    return wait_until(look, 20, what=what)


def toolbar_at(s, rect, at):
    return awake(s, at, lambda: s.windows(TOOLBAR_CLASS)[0]["rect"] == rect, f"the toolbar at {rect}")


def qr_code_on_screen(session, area=QR):
    left, top, width, height = area
    shot = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{left}+{top}", "png:-"],
                          env=session.env, capture_output=True, check=True, timeout=30).stdout
    read = subprocess.run(["zbarimg", "--raw", "-q", "-"], input=shot, capture_output=True, timeout=30)
    return read.stdout.decode()


def slider_collapse_logo_and_idle():
    with Session("toolbar", compositor=True) as s:
        process, _, _ = s.start_overlay([{"bounds": [100, 100, 500, 400], "shape": 2}], shade=(100, 80, 40),
                                        backdrop=SCREEN, backgroundBrightness=40)
        toolbar_at(s, EXPANDED, LOGO)  # had it rested through a slow start, arriving on the logo expands it
        # The thumb of 40 % lies 108 of the track's 272 pixels of travel along, from x 26.
        s.drag((1564 + 26 + 108 + 10, SLIDER_Y), (1300, SLIDER_Y))
        awake(s, (1300, SLIDER_Y), lambda: s.settings()["backgroundBrightness"] == 0 and max(s.pixel(1000, 1000)) <= 2,
              "brightness 0 saved and the darkest background")

        s.click(*COLLAPSE_BUTTON)
        toolbar_at(s, STRIP, COLLAPSE_BUTTON)
        s.move_mouse(*LOGO)  # arriving on the logo expands the strip
        toolbar_at(s, EXPANDED, LOGO)
        # On it, a click collapses and the next expands. Each moves: xdotool's --sync waits for a motion.
        s.click(LOGO[0] + 4, LOGO[1])
        toolbar_at(s, STRIP, (LOGO[0] + 4, LOGO[1]))
        s.click(*LOGO)
        toolbar_at(s, EXPANDED, LOGO)

        # Five still seconds.
        wait_until(lambda: not any(w["visible"] for w in s.windows(TOOLBAR_CLASS) + s.windows(LOGO_CLASS)), 12,
                   what="toolbar and logo to step aside")
        s.move_mouse(1000, 600)
        awake(s, (1000, 600), lambda: (c := {w["class"]: w for w in s.windows()})[LOGO_CLASS]["visible"] and
              c[TOOLBAR_CLASS]["visible"] and c[TOOLBAR_CLASS]["rect"] == STRIP, "the logo and the strip to come back")

        # Arriving on the logo expands it again; its header band moves it, and the logo goes along.
        s.move_mouse(*LOGO)
        toolbar_at(s, EXPANDED, LOGO)
        s.drag((EXPANDED[0] + 100, EXPANDED[1] + 60), header := (EXPANDED[0] - 200, EXPANDED[1] + 60))
        toolbar_at(s, [EXPANDED[0] - 300, EXPANDED[1], EXPANDED[2] - 300, EXPANDED[3]], header)
        awake(s, header, lambda: s.windows(LOGO_CLASS)[0]["rect"] == [1524, 239, 1592, 315], "the logo to follow")
        s.click(QR[0] - 300 + QR[2] // 2, QR[1] + QR[3] // 2)
        wait_until(lambda: s.shown("Lumenfold.Windows.Share"), 10, what="the QR card to open the share dialog")
        s.quit_running_copy(process)


if __name__ == "__main__":
    main(slider_collapse_logo_and_idle)
