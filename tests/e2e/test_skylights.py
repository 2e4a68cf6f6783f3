"""A skylight's grips, slider, close and moon buttons with the real mouse; its controls step aside."""
from lumenfold import BRIGHT, CANCEL, SCREEN, Session, check, main, wait_until

CONTROLS_CLASS = "Lumenfold.Windows.SkylightControls"
INPUT_CLASS = "Lumenfold.Windows.SkylightInput"


def skylights(session):
    return session.settings()["skylights"]


def grips_move_and_resize_a_failed_save_keeps_its_box_and_the_close_buttons_close():
    with Session("grips", compositor=True) as s:
        process, _, _ = s.start_overlay([{"bounds": [400, 300, 1000, 700], "shape": 2},
                                         {"bounds": [1300, 100, 1800, 250], "shape": 2}], backdrop=SCREEN)
        s.drag((700, 300), (800, 400))  # the top edge moves
        s.wait_log("skylight drag saved")
        check(skylights(s)[0]["bounds"] == [500, 400, 1100, 800], f"moved to {skylights(s)[0]['bounds']}")
        s.wait_pixel(1050, 750, BRIGHT)

        # Letting go outside the close button keeps the skylight: the resize after it still finds it.
        s.drag((1078, 400), (1078, 600), steps=2)
        s.drag((1100, 800), (1200, 850))  # the corner handle resizes right and bottom
        wait_until(lambda: [k["bounds"] for k in skylights(s)] == [[500, 400, 1200, 850], [1300, 100, 1800, 250]],
                   10, what="the resized skylight saved", detail=lambda: skylights(s))
        s.wait_pixel(1150, 830, BRIGHT)

        s.move_mouse(800, 1000)  # which brings back controls that stepped aside meanwhile
        wait_until(lambda: len(s.shown(CONTROLS_CLASS)) == 2, 5, what="both skylights' controls")
        (s.data_folder / "settings.json.tmp").mkdir()  # every save fails until it goes
        s.drag((500 + 254, 874 + 32), (500 + 100, 874 + 32))  # the first skylight's slider
        box = wait_until(lambda: s.shown("#32770"), 20, what="the save-failure box")[0]
        s.click(1800 - 22, 100)  # the second skylight's close button, while the box is open
        wait_until(lambda: len(s.shown(INPUT_CLASS)) == 1, 10, what="the second skylight to close")
        check(process.poll() is None and [w["hwnd"] for w in s.shown("#32770")] == [box["hwnd"]],
              "the program ended, or not the one box is still open")
        s.answer_box(box, CANCEL)
        check(s.shown(INPUT_CLASS)[0]["rect"] == [500, 400, 1200, 850], "the remaining skylight moved")
        (s.data_folder / "settings.json.tmp").rmdir()
        s.click(1178, 400)
        wait_until(lambda: skylights(s) == [], 10, what="the closed skylight saved")
        s.wait_pixel(800, 600, (0, 0, 0))
        s.quit_running_copy(process)


def moon_blacks_out_until_a_shake_the_slider_sets_the_brightness_and_the_controls_rest():
    with Session("moon", compositor=True) as s:
        process, _, _ = s.start_overlay([{"bounds": [400, 300, 1000, 700], "shape": 2, "brightness": 40}],
                                        backdrop=SCREEN)
        wait_until(lambda: not s.shown(CONTROLS_CLASS), 12, what="the controls to step aside")
        s.move_mouse(310, 900)
        wait_until(lambda: len(s.shown(CONTROLS_CLASS)) == 1, 5, what="the controls to come back")
        s.click(400 + 600 - 33, 724 + 31)  # the moon button at the bar's right end
        s.wait_log("blackout all displays")
        s.wait_pixel(700, 500, (0, 0, 0))
        # Resting, the pointer becomes the faint one of the skylight's brightness: 40 % of 255.
        wait_until(lambda: s.pointer_alpha() == 102, 10, what="the dimmed pointer")
        for x in (600, 700, 600, 700):
            s.xdotool("mousemove", x, 900)
        s.wait_pixel(700, 500, (100, 80, 40), tolerance=3)  # the skylight again, at its 40 %

        # The bar lies 24 px under the skylight; its slider track runs from x 14 to 532 at y 17 to 47.
        s.move_mouse(400 + 254, 900)  # which brings back the bar should it have stepped aside meanwhile
        wait_until(lambda: s.shown(CONTROLS_CLASS), 5, what="the bar")
        s.drag((400 + 254, 724 + 32), (400, 724 + 32))
        wait_until(lambda: skylights(s)[0]["brightness"] == 0, 10, what="brightness 0 saved")
        s.wait_pixel(700, 500, (0, 0, 0))  # the skylight's own window is now opaque black
        s.quit_running_copy(process)


def a_thousand_stored_start_drag_close_one_and_quit():
    with Session("thousand") as s:
        stored = [{"bounds": [20 + i % 40 * 47, 20 + i // 40 * 28, 40 + i % 40 * 47, 40 + i // 40 * 28], "shape": 2}
                  for i in range(999)] + [{"bounds": [400, 800, 1000, 1000], "shape": 2}]
        process, _, _ = s.start_overlay(stored)
        s.move_mouse(700, 900)  # near enough for the last one to take its parts from one left longest ago
        wait_until(lambda: [400, 713, 1000, 776] in [w["rect"] for w in s.shown(CONTROLS_CLASS)], 30, what="its bar")
        s.drag((700, 800), (800, 750))
        s.wait_log("skylight drag saved")
        s.click(1100 - 22, 750)
        wait_until(lambda: len(skylights(s)) == 999, 30, what="the closed skylight saved")
        s.quit_running_copy(process)


main(grips_move_and_resize_a_failed_save_keeps_its_box_and_the_close_buttons_close,
     moon_blacks_out_until_a_shake_the_slider_sets_the_brightness_and_the_controls_rest,
     a_thousand_stored_start_drag_close_one_and_quit)
