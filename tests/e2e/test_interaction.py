"""Drawing skylights with the real mouse, the hot keys, the tray icon, its menu and tip, a quit whose save fails."""
from lumenfold import (BRIGHT, CANCEL, ERROR_BOX, HOST_CLASS, OVERLAY_CLASS, PRESS_LINE, SCREEN, TRAY_SKYLIGHT, Session,
                       centre, check, choose_from_tray_menu, main, tray_icons, wait_until)

QUIT_FAILED_MESSAGE = "保存失败，尚未退出。 / Save failed; Lumenfold remains open."
DARK = (0, 0, 0)
AFFINITY = "user32.SetWindowDisplayAffinity"
FAMILY = {"Overlay", "SkylightInput", "SkylightControls", "SkylightClose", "SkylightResize"}


def tray_tip(s, text):  # Wine's tray shows it on hovering, and a tooltip window's text is the tip shown
    s.move_mouse(*centre(tray_icons(s)[0]))
    wait_until(lambda: [t for t in s.shown("tooltips_class32") if t["title"] == text], 10, what=f"the tip {text}")


def drag_creates_a_skylight_a_click_does_not_and_keys_and_a_restarted_shell():
    with Session("draw", compositor=True) as s:
        process, host, _ = s.start_overlay([{"bounds": [1300, 700, 1700, 1000], "shape": 2}], backdrop=SCREEN,
                                           relay=AFFINITY, revealHotKey=" shift + CTRL+d")
        wait_until(lambda: tray_icons(s), 10, what="the tray icon, added once the keys are registered")
        s.hold("hold-hotkey", 2, 0x4B, 120000)  # Ctrl+K is left to other programs
        s.wait_pixel(600, 450, DARK, tolerance=0)
        s.background_gesture((500, 400), (550, 410))
        s.wait_log("skylight created regions=2")
        saved = s.settings()["skylights"]
        check(len(saved) == 2 and saved[1]["bounds"] == [500, 400, 700, 500] and saved[1]["brightness"] == 100
              and saved[1]["moveEnabled"] is True, f"saved {saved}")
        for x, y, colour in ((600, 450, BRIGHT), (501, 450, BRIGHT), (499, 450, DARK)):
            s.wait_pixel(x, y, colour)

        before = s.settings_file.read_bytes()
        s.background_gesture((100, 100))
        s.wait_log("background preview end")
        check(s.log_lines()[-2] == PRESS_LINE, f"log {s.log_lines()[-3:]}")
        check(s.settings_file.read_bytes() == before, "a click changed the settings")

        s.move_mouse(300, 700)
        wait_until(lambda: s.pointer_alpha() == 255, 5, what="the pointer shown as it moves")
        wait_until(lambda: s.pointer_alpha() == 0, 15, what="the idle pointer to hide")

        s.focus_colour_window()
        s.settings_file.unlink()
        s.key("Escape")
        wait_until(lambda: not s.overlay_visible(), 10, what="the overlay to hide")
        wait_until(s.settings_file.exists, 10, what="hiding to save")
        tray_tip(s, "Lumenfold — Ctrl+Shift+D")
        s.key("ctrl+shift+d")
        wait_until(lambda: s.overlay_visible(), 10, what="the chosen key to reveal the overlay")
        s.key("ctrl", "Escape")
        wait_until(lambda: not s.overlay_visible(), 10, what="the overlay to hide again")
        keys = ["Up", "Down", "Down"] + ["Up"] * 11 + ["Down"]  # from a hidden overlay, to both ends
        for key, expected in zip(keys, (10, 0, 0, *range(10, 101, 10), 100, 90)):  # paced: Wine may keep modifiers down
            s.xdotool("keydown", "ctrl+alt", "sleep", 0.1, "key", key, "sleep", 0.1, "keyup", "ctrl+alt")
            wait_until(lambda: s.settings()["backgroundBrightness"] == expected, 10, what=f"brightness {expected}")
        check(s.overlay_visible() and s.windows(OVERLAY_CLASS)[0]["alpha"] == 25, "not revealed at 90 % brightness")
        # Wine says Windows 7 here: where WDA_EXCLUDEFROMCAPTURE would black the windows out, nobody asks.
        check(not s.relay_calls(AFFINITY) and "capture exclusion unavailable" in s.log_lines(), "asked on Windows 7")

        # A restarted shell asks every top-level window to add its icon again.
        wait_until(lambda: tray_icons(s), 10, what="the tray icon")
        s.probe("tray-delete", host["hwnd"], 1)
        wait_until(lambda: not tray_icons(s), 10, what="the icon to go")
        s.probe("send", 0xFFFF, "TaskbarCreated", 0, 0)
        wait_until(lambda: tray_icons(s), 10, what="the icon to come back")
        # The logon session ends: asked first, it saves; told, it takes its icon away.
        s.settings_file.unlink()
        check(s.probe("send", host["hwnd"], 0x11, 0, 0)["answer"] == 1 and s.settings_file.exists(), "no save")
        s.probe("send", host["hwnd"], 0x16, 1, 0)
        wait_until(lambda: not tray_icons(s), 10, what="the icon to go at the session's end")
        s.quit_running_copy(process)


def tray_menu_hides_quits_while_saving_fails_sizes_and_quits():  # and names a taken key, hides from captures
    with Session("tray", compositor=True) as s:
        for modifiers, key in ((2, 0x4B), (0, 0x1B), (3, 0x26)):  # Ctrl+K, Esc, Ctrl+Alt+Up: another program's
            s.hold("hold-hotkey", modifiers, key, 120000)
        for name, value in (("CurrentVersion", "10.0"), ("CurrentBuildNumber", "19041")):  # Windows 10 2004
            s.wine(["reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion", "/v", name, "/d", value,
                    "/f"], check=True)
        process, _, _ = s.start_overlay(TRAY_SKYLIGHT, backdrop=(0, 320, 1920, 1080),  # clear of the tray
                                        relay=f"{ERROR_BOX};{AFFINITY}", unknownKey="dropped on save")

        def asked(wanted):  # Wine's stub refuses: said once in the log (and in no box: the one box comes below)
            check(s.log_lines().count("capture exclusion unavailable") == 1, f"the log ends {s.log_lines()[-4:]}")
            family = {w["hwnd"] for w in s.windows() if w["class"].split(".")[-1] in FAMILY}
            calls = {int(w, 16) for w, a in (c.split(",") for c in s.relay_calls(AFFINITY)) if int(a, 16) == wanted}
            check(len(family) == 9 and family <= calls, f"{len(family)} windows, {len(family - calls)} not asked")
        asked(0x11)
        for entry, key, default, chosen in (("no capture", "hideFromCapture", True, False), ("no capture",
                "hideFromCapture", True, True), ("follow", "followActiveWindow", False, True),
                ("step aside", "stepAsideForFullScreen", True, False)):
            choose_from_tray_menu(s, entry)
            wait_until(lambda: s.settings().get(key, default) == chosen, 10, what=f"{key} saved as {chosen}")
        asked(0)
        tray_tip(s, "Lumenfold — Ctrl+K 已被占用 / taken by another program")
        s.wait_log("brightness hot key taken Ctrl+Alt+Up")
        choose_from_tray_menu(s, "hide")
        s.wait_log("overlay hidden")
        wait_until(lambda: not s.overlay_visible(), 10, what="the overlay to hide")
        # A menu wrongly opened again after its command, or on a left click, is still open then.
        s.click(*centre(tray_icons(s)[0]))
        wait_until(lambda: s.overlay_visible(), 10, what="a left click to reveal the overlay")
        check(not s.shown("#32768") and not s.shown("#32770"), "a menu opened again, or a box about the keys taken")

        (temp := s.data_folder / "settings.json.tmp").mkdir()  # every save fails
        choose_from_tray_menu(s, "quit")
        box = s.wait_error_box(QUIT_FAILED_MESSAGE)
        # The box's face, not the black overlay, at its lower corners.
        for x, y in ((box["rect"][0] + 6, box["rect"][3] - 6), (box["rect"][2] - 6, box["rect"][3] - 6)):
            wait_until(lambda: sum(s.pixel(x, y)) > 300, 10, what=f"the box's face at ({x}, {y})")
        second = s.run_program(["--quit"])
        check(second["exit_code"] == 2, f"a second quit request exit code {second['exit_code']}")
        check(len(boxes := s.shown("#32770")) == 1, f"{len(boxes)} boxes open")
        check(process.poll() is None and s.windows(HOST_CLASS), "the program did not keep running")
        s.answer_box(box, CANCEL)
        temp.rmdir()

        # The toolbar comes back expanded at 1.5 times 344 x 674, at the right edge and centred.
        choose_from_tray_menu(s, "size 150")
        wait_until(lambda: s.windows("Lumenfold.Windows.Toolbar")[0]["rect"] == [1392, 34, 1908, 1045], 10,
                   what="the toolbar at 150 %", detail=lambda: s.windows("Lumenfold.Windows.Toolbar")[0]["rect"])

        choose_from_tray_menu(s, "quit")
        check(s.wait_exit(process) == 0, f"exit code {process.returncode}")
        saved = s.settings()
        check("unknownKey" not in saved and len(saved["skylights"]) == 1 and saved["textScale"] == 150,
              f"not saved on quitting: {saved}")
        check(not tray_icons(s), "the icon outlived the program")


main(drag_creates_a_skylight_a_click_does_not_and_keys_and_a_restarted_shell,
     tray_menu_hides_quits_while_saving_fails_sizes_and_quits)
