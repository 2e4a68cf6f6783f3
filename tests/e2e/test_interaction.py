"""Drawing skylights with the real mouse, Esc and Ctrl+K, the tray icon and its menu."""
import time

from lumenfold import HOST_CLASS, OVERLAY_CLASS, Session, check, in_hole, main, wait_until

TRAY_CLASS = "__winex11_standalone_tray"
COLOUR_TITLE = "Lumenfold probe colour"


def start_with(session, skylights):
    session.write_settings(skylights)
    process, host = session.start_running_copy()
    overlay = session.wait_window(OVERLAY_CLASS)
    # The window exists before X shows it; input sent earlier would reach whatever lies beneath.
    session.wait_pixel(1900, 1070, (0, 0, 0), tolerance=0, timeout=15)
    return process, host, overlay


def pressed(session):
    return session.log_lines()[-1:] == ["background preview begin 50 percent"]


def overlay_visible(session):
    return session.windows(OVERLAY_CLASS)[0]["visible"]


def focus_colour_window(session):
    """Hot keys fire only while a Wine window has the X focus: a window of another program."""
    session.hold("colour-window", 40, 40, 40, 1700, 900, 1900, 1060)
    session.focus_x_window(COLOUR_TITLE)


def tray_icons(session):
    tray = session.windows(TRAY_CLASS)
    return [c for c in session.probe("children", tray[0]["hwnd"]) if c["visible"]] if tray else []


def tray_icon_centre(session):
    icon = session.window_info(wait_until(lambda: tray_icons(session), 10, what="the tray icon")[0]["hwnd"])
    left, top, right, bottom = icon["rect"]
    return (left + right) // 2, (top + bottom) // 2


def open_menus(session):
    return [w for w in session.windows("#32768") if w["visible"]]


def drag_creates_a_skylight_and_a_click_does_not():
    with Session("draw") as s:
        process, _, _ = start_with(s, [{"bounds": [1300, 700, 1700, 1000], "shape": 2}])
        s.drag((500, 400), (550, 410), pressed=lambda: pressed(s),
               done=lambda: "skylight created regions=2" in s.log_lines())
        saved = s.settings()["skylights"]
        check(len(saved) == 2 and saved[1]["bounds"] == [500, 400, 700, 500], f"saved {saved}")
        check(saved[1]["brightness"] == 100 and saved[1]["moveEnabled"] is True, f"saved {saved[1]}")
        overlay = s.window_info(s.windows(OVERLAY_CLASS)[0]["hwnd"])
        check(in_hole(overlay, 600, 450) and not in_hole(overlay, 499, 450), "the new hole is misplaced")

        before = s.settings_file.read_bytes()
        s.click(100, 100, done=lambda: "background preview end" in s.log_lines())
        check(s.log_lines()[-2] == "background preview begin 50 percent", f"log {s.log_lines()[-3:]}")
        check(s.settings_file.read_bytes() == before, "a click changed the settings")
        s.quit_running_copy(process)


def escape_hides_and_saves_and_ctrl_k_reveals():
    with Session("keys") as s:
        process, _, _ = start_with(s, [{"bounds": [100, 100, 500, 400]}])
        focus_colour_window(s)
        s.settings_file.unlink()
        s.key("Escape")
        wait_until(lambda: not overlay_visible(s), 10, what="the overlay to hide")
        s.wait_log("overlay hidden")
        check(s.settings_file.exists(), "hiding did not save")
        s.key("ctrl+k")
        wait_until(lambda: overlay_visible(s), 10, what="Ctrl+K to reveal the overlay")
        s.quit_running_copy(process)


def tray_right_click_opens_the_menu_once_and_left_click_reveals():
    with Session("tray") as s:
        # A clear skylight over the tray, which sits under the overlay at the top left.
        process, _, _ = start_with(s, [{"bounds": [0, 0, 400, 300], "shape": 2}])
        x, y = tray_icon_centre(s)
        s.click(x, y, 3)
        menu = wait_until(lambda: open_menus(s), 10, what="the tray menu")
        check(len(menu) == 1, f"{len(menu)} menus open")
        left, top, right, bottom = menu[0]["rect"]
        item = (bottom - top - 6 - 9) // 12  # twelve items and a separator between borders
        s.click((left + right) // 2, bottom - 3 - item - item // 2)  # "Hide overlay (Esc)"
        s.wait_log("overlay hidden")
        check(not overlay_visible(s), "the overlay is still shown")
        time.sleep(1)  # a menu that wrongly opens again does so right after the command
        check(not open_menus(s), "the menu opened again after its command")

        s.click(x, y, 1)
        wait_until(lambda: overlay_visible(s), 10, what="a left click to reveal the overlay")
        check(not open_menus(s), "a left click opened the menu")
        s.quit_running_copy(process)


def taskbar_created_brings_a_lost_icon_back():
    with Session("shell-restart") as s:
        process, host, _ = start_with(s, [{"bounds": [100, 100, 500, 400]}])
        wait_until(lambda: tray_icons(s), 10, what="the tray icon")
        s.probe("tray-delete", host["hwnd"], 1)
        wait_until(lambda: not tray_icons(s), 10, what="the icon to go")
        s.probe("broadcast-taskbar-created")
        wait_until(lambda: tray_icons(s), 10, what="the icon to come back")
        s.quit_running_copy(process)
        check(not tray_icons(s), "the icon outlived the program")


def second_start_reveals_the_hidden_overlay():
    with Session("second-start") as s:
        process, _, _ = start_with(s, [{"bounds": [100, 100, 500, 400]}])
        focus_colour_window(s)
        s.key("Escape")
        wait_until(lambda: not overlay_visible(s), 10, what="the overlay to hide")
        result = s.run_program()
        check(result["exit_code"] == 0, f"second copy exit code {result['exit_code']}")
        wait_until(lambda: overlay_visible(s), 10, what="the second start to reveal the overlay")
        check(len(s.windows(HOST_CLASS)) == 1, "not exactly one host window")
        s.quit_running_copy(process)


def a_full_list_takes_no_more_skylights_and_still_starts():
    with Session("limit") as s:
        skylights = [{"bounds": [i % 40 * 45, i // 40 * 40, i % 40 * 45 + 30, i // 40 * 40 + 30], "shape": 2}
                     for i in range(1000)]
        process, _, _ = start_with(s, skylights)
        s.drag((1500, 1040), (1700, 1060), pressed=lambda: pressed(s),
               done=lambda: "background preview end" in s.log_lines())
        check(s.log_lines()[-2] == "skylight limit reached", f"log {s.log_lines()[-3:]}")
        s.quit_running_copy(process)
        check(len(s.settings()["skylights"]) == 1000, "the list grew past the limit")
        process, _ = s.start_running_copy()
        s.wait_window(OVERLAY_CLASS)
        s.quit_running_copy(process)


main(drag_creates_a_skylight_and_a_click_does_not,
     escape_hides_and_saves_and_ctrl_k_reveals,
     tray_right_click_opens_the_menu_once_and_left_click_reveals,
     taskbar_created_brings_a_lost_icon_back,
     second_start_reveals_the_hidden_overlay,
     a_full_list_takes_no_more_skylights_and_still_starts)
