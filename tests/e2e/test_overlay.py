"""The dimming overlay as a user sees it, and the settings file behind it."""
import json
import subprocess

from lumenfold import (BRIGHT, ERROR_BOX, EXE, OK, OVERLAY_CLASS, SCREEN, EnvironmentFailure, Session,
                      check, in_hole, main, tray_icons, wait_until)

SETTINGS_MESSAGE = ("无法读取原有设置；为保护数据，此次启动已停止。 / Cannot read saved settings; startup stopped to "
                    "preserve your data.")

# As the program writes it: indented by two, keys in ascending order, no final line break.
DEFAULT_SETTINGS = json.dumps({"backgroundBrightness": 0, "skylights": [
    {"bounds": [480, 270, 1440, 810], "brightness": 80, "ellipse": False, "moveEnabled": False, "shape": 0}],
    "textScale": 100, "version": 1}, indent=2)


def fresh_start_a_stored_layout_dimming_outside_its_holes_and_unreadable_settings_stopping_the_start():
    with Session("fresh", compositor=True) as s:
        process, _, overlay = s.start_overlay()
        check(overlay["rect"] == [0, 0, 1920, 1080], f"overlay at {overlay['rect']}")
        check(overlay["exstyle"] & 0x08080088 == 0x08080088, f"extended style {overlay['exstyle']:#x}")
        check(overlay["visible"] and overlay["alpha"] == 255, f"overlay alpha {overlay['alpha']}")
        check(in_hole(overlay, 960, 540) and in_hole(overlay, 481 + 12, 271), "no hole in the middle")
        check(not in_hole(overlay, 479, 540) and not in_hole(overlay, 480, 270), "hole too large")
        check((text := s.settings_file.read_text(encoding="utf-8")) == DEFAULT_SETTINGS, f"settings file:\n{text}")
        s.wait_log("startup monitors/layout regions=1")
        s.quit_running_copy(process)
        s.first_start_drawn_as_by_x64()

        s.write_settings(backgroundBrightness=40, skylights=[
            {"bounds": [100, 100, 500, 400], "shape": 2}, {"bounds": [600, 100, 1000, 400], "shape": 1},
            {"bounds": [1100, 100, 1500, 400], "shape": 0}, {"bounds": [100, 500, 500, 900], "shape": 3}])
        process, _, overlay = s.start_overlay(shade=(100, 80, 40), backdrop=SCREEN)
        check(overlay["alpha"] == 153, f"alpha {overlay['alpha']}")
        bright, dim = BRIGHT, (100, 80, 40)  # 40 % brightness lets 102 of 255 through
        for (x, y), colour, what in [
                ((50, 50), dim, "background"),
                ((300, 250), bright, "rectangle centre"), ((101, 398), bright, "rectangle corner"),
                ((800, 250), bright, "ellipse centre"), ((603, 397), dim, "ellipse bounding corner"),
                ((1300, 250), bright, "rounded centre"), ((1101, 398), dim, "rounded corner"),
                ((1101, 250), bright, "rounded straight edge"), ((1500, 250), dim, "right of rounded"),
                ((300, 700), bright, "circle centre"), ((103, 897), dim, "circle bounding corner")]:
            s.wait_pixel(x, y, colour, what=what)
        s.quit_running_copy(process)

        content = b'{"version": 1, "skylights": [}'
        s.settings_file.write_bytes(content)
        process = s.start([EXE], relay=ERROR_BOX)
        box = s.wait_error_box(SETTINGS_MESSAGE + "\n\n")
        check(s.windows(OVERLAY_CLASS) == [], "the overlay was created")
        s.answer_box(box, OK)  # which copies the message
        check(s.wait_exit(process) == 1, f"exit code {process.returncode}")
        check(s.probe("clipboard-get") == SETTINGS_MESSAGE, "clipboard")
        check(s.settings_file.read_bytes() == content, "the file was changed")


def a_hole_follows_the_active_window_and_a_full_screen_window_clears_its_monitor_until_it_closes():
    with Session("follow") as s:
        for rect in ((100, 500, 500, 800), (1200, 500, 1600, 800), SCREEN):  # the last borderless, the whole monitor
            s.hold("colour-window", *BRIGHT, *rect)
        full, a, b = sorted(s.windows("Lumenfold.Probe.Colour"), key=lambda w: w["rect"][0])
        s.probe("window", full["hwnd"], "front")  # a full-screen program in front when Lumenfold starts
        s.start_overlay([{"bounds": [1500, 50, 1900, 300], "shape": 2}], shade=BRIGHT, followActiveWindow=True)

        def monitor_left(cleared):  # clear, its skylight, the toolbar and the logo gone; or all back
            return all(in_hole(s.windows(OVERLAY_CLASS)[0], x, y) == cleared for x, y in (
                (1000, 900), (1700, 600), (0, 1079))) and all(bool(s.shown(f"Lumenfold.Windows.{c}")) != cleared
                                                              for c in ("SkylightInput", "Toolbar", "PersistentLogo"))
        wait_until(lambda: tray_icons(s), 10, what="the start to end with the tray icon")
        check(monitor_left(True), "the monitor not left alone from the start")  # the idle rule hides later

        def followed(rect):  # clear to each edge's middle (a rounded region stops a pixel short), dark outside
            (l, t, r, b), overlay = rect, s.windows(OVERLAY_CLASS)[0]
            inside = [(l, (t + b) // 2), (r - 2, (t + b) // 2), ((l + r) // 2, t), ((l + r) // 2, b - 2)]
            outside = [(l - 1, (t + b) // 2), (r, (t + b) // 2), ((l + r) // 2, t - 1), ((l + r) // 2, b)]
            return all(in_hole(overlay, *p) for p in inside) and not any(in_hole(overlay, *p) for p in outside)
        for window, action, rect in ((a, ["front"], a["rect"]), (a, [50, 50, 450, 350], [50, 50, 450, 350]),
                                     (a, [60, 40, 700, 450], [60, 40, 700, 450]), (b, ["front"], b["rect"])):
            s.probe("window", window["hwnd"], *action, "notify")
            wait_until(lambda: followed(rect), 5, what=f"the hole on {rect} after {action}",
                       detail=lambda: f"region {s.windows(OVERLAY_CLASS)[0]['region']}")
        s.probe("window", b["hwnd"], "min", "notify")
        wait_until(lambda: not in_hole(s.windows(OVERLAY_CLASS)[0], 1400, 650), 5, what="the hole gone on minimising")

        for window, cleared in ((full, True), (a, False)):
            if not cleared:  # closing it hands the foreground on: Windows tells the hooks of that
                s.probe("send", full["hwnd"], 0x10, 0, 0)  # WM_CLOSE
            s.probe("window", window["hwnd"], "front", "notify")
            wait_until(lambda: monitor_left(cleared), 5, what=f"the monitor {'clear' if cleared else 'dimmed'} again")


def after_sleep_lock_or_sign_in_the_skylights_refit_unsaved_and_the_stored_place_returns_with_the_monitor():
    with Session("refit", two_monitors=True) as s:
        stored = s.write_settings([{"bounds": [-900, 100, -500, 400], "shape": 2}])  # on the left monitor
        hwnd = s.start_overlay()[2]["hwnd"]
        for on in (False, True):
            try:
                mode = "--mode 1024x768_60 --left-of DUMMY0" if on else "--off"
                subprocess.run(["xrandr", "--output", "DUMMY1", *mode.split()], env=s.env, check=True, timeout=30)
                wait_until(lambda: s.probe("monitors") == 1 + on, 20, what="Wine to see the monitors")
            except subprocess.TimeoutExpired as failure:  # Wine 8, measured: new processes stall after xrandr at times
                raise EnvironmentFailure(f"a Wine process stalled after xrandr: {failure}") from failure
            # Wine raises none: unlock, console and remote connect, two resumes, DPI, work area; the display change.
            desktop, hole = ([-1024, 0, 1920, 1080], (-700, 250)) if on else ([0, 0, 1920, 1080], (200, 250))
            for message in [(0x7E, 32, 1080 << 16 | 1920)] if on else [(0x2B1, 8, 0), (0x2B1, 1, 0), (0x2B1, 3, 0), (
                    0x218, 0x12, 0), (0x218, 7, 0), (0x2E0, 96 << 16 | 96, 0), (0x1A, 0x2F, 0)]:
                s.probe("window", hwnd, 0, 0, 100, 100)  # only a refit places it again
                s.probe("send", hwnd, *message)
                wait_until(lambda: (o := s.windows(OVERLAY_CLASS)[0])["rect"] == desktop and in_hole(o, *hole), 5,
                           what=f"the refit after {message}")
            check(s.settings_file.read_bytes() == stored, "the refit was saved")


main(fresh_start_a_stored_layout_dimming_outside_its_holes_and_unreadable_settings_stopping_the_start,
     a_hole_follows_the_active_window_and_a_full_screen_window_clears_its_monitor_until_it_closes,
     after_sleep_lock_or_sign_in_the_skylights_refit_unsaved_and_the_stored_place_returns_with_the_monitor)
