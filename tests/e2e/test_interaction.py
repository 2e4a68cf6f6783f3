"""Drawing skylights with the real mouse, Esc and Ctrl+K, the tray icon and its menu, a quit whose save fails."""
from lumenfold import (BRIGHT, CANCEL, ERROR_BOX, HOST_CLASS, PRESS_LINE, SCREEN, TRAY_SKYLIGHT, Session, centre,
                       check, choose_from_tray_menu, main, tray_icons, wait_until)

QUIT_FAILED_MESSAGE = "保存失败，尚未退出。 / Save failed; Lumenfold remains open."
DARK = (0, 0, 0)


def drag_creates_a_skylight_a_click_does_not_and_keys_and_a_restarted_shell():
    with Session("draw", compositor=True) as s:
        process, host, _ = s.start_overlay([{"bounds": [1300, 700, 1700, 1000], "shape": 2}], backdrop=SCREEN)
        s.wait_pixel(600, 450, DARK, tolerance=0)
        s.background_gesture((500, 400), (550, 410))
        s.wait_log("skylight created regions=2", timeout=30)  # emulated beside other tests: over 10 s
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
        s.key("ctrl+k")
        wait_until(lambda: s.overlay_visible(), 10, what="Ctrl+K to reveal the overlay")

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


def tray_menu_hides_quits_while_saving_fails_sizes_and_quits():
    with Session("tray", compositor=True) as s:
        for modifiers, key in ((2, 0x4B), (0, 0x1B)):  # Ctrl+K and Esc owned by another program
            s.hold("hold-hotkey", modifiers, key, 120000)
        process, _, _ = s.start_overlay(TRAY_SKYLIGHT, backdrop=(0, 320, 1920, 1080),  # clear of the tray
                                        relay=ERROR_BOX, unknownKey="dropped on save")
        choose_from_tray_menu(s, "hide")
        s.wait_log("overlay hidden")
        check(not s.overlay_visible(), "the overlay is still shown")
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
