"""The side toolbar and its logo with the real mouse: slider, collapse, hover, stepping aside, QR card."""
import subprocess

from lumenfold import SCREEN, TOOLBAR_CLASS, Session, check, main, wait_until

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


def toolbar_at(session, rect):
    return wait_until(lambda: session.windows(TOOLBAR_CLASS)[0]["rect"] == rect, 10, what=f"the toolbar at {rect}",
                      detail=lambda: f"it is at {session.windows(TOOLBAR_CLASS)[0]['rect']}")


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
        toolbar_at(s, EXPANDED)
        # The thumb of 40 % lies 108 of the track's 272 pixels of travel along, from x 26.
        s.drag((1564 + 26 + 108 + 10, SLIDER_Y), (1300, SLIDER_Y))
        wait_until(lambda: s.settings()["backgroundBrightness"] == 0, 10, what="brightness 0 saved")
        s.wait_pixel(1000, 1000, (0, 0, 0), what="the darkest background")

        s.click(*COLLAPSE_BUTTON)
        toolbar_at(s, STRIP)
        s.move_mouse(*LOGO)  # arriving on the logo expands the strip
        toolbar_at(s, EXPANDED)
        # On it, a click collapses and the next expands. Each moves: xdotool's --sync waits for a motion.
        s.click(LOGO[0] + 4, LOGO[1])
        toolbar_at(s, STRIP)
        s.click(*LOGO)
        toolbar_at(s, EXPANDED)

        # Five still seconds.
        wait_until(lambda: not any(w["visible"] for w in s.windows(TOOLBAR_CLASS) + s.windows(LOGO_CLASS)), 12,
                   what="toolbar and logo to step aside")
        s.move_mouse(1000, 600)
        wait_until(lambda: s.windows(LOGO_CLASS)[0]["visible"], 5, what="the logo to come back")
        check(s.windows(TOOLBAR_CLASS)[0]["visible"] and s.windows(TOOLBAR_CLASS)[0]["rect"] == STRIP,
              f"the toolbar came back as {s.windows(TOOLBAR_CLASS)[0]}")

        # Arriving on the logo expands it again; its header band moves it, and the logo goes along.
        s.move_mouse(*LOGO)
        toolbar_at(s, EXPANDED)
        logo = s.windows(LOGO_CLASS)[0]["rect"]
        s.drag((EXPANDED[0] + 100, EXPANDED[1] + 60), (EXPANDED[0] - 200, EXPANDED[1] + 60))
        toolbar_at(s, [EXPANDED[0] - 300, EXPANDED[1], EXPANDED[2] - 300, EXPANDED[3]])
        wait_until(lambda: s.windows(LOGO_CLASS)[0]["rect"] == [logo[0] - 300, logo[1], logo[2] - 300, logo[3]], 5,
                   what="the logo to follow", detail=lambda: f"it is at {s.windows(LOGO_CLASS)[0]['rect']}")
        s.click(QR[0] - 300 + QR[2] // 2, QR[1] + QR[3] // 2)
        wait_until(lambda: s.shown("Lumenfold.Windows.Share"), 10, what="the QR card to open the share dialog")
        s.quit_running_copy(process)


if __name__ == "__main__":
    main(slider_collapse_logo_and_idle)
