"""One copy per session: a later start hands over to it, or from another folder replaces it; --quit."""
import shutil

from lumenfold import EXE, HOST_CLASS, TOOLBAR_CLASS, Session, check, main, wait_until

QUIT_MESSAGE = 0x8016


def quit_alone_a_second_start_from_the_same_folder_reveals_from_another_replaces_and_a_stuck_copy():
    with Session("one-copy") as s:
        alone = s.run_program(["--quit"])
        check(alone["exit_code"] == 0 and alone["windows"] == [], f"--quit alone: {alone}")
        check(not s.data_folder.exists(), "--quit alone created the data folder")
        folder = s.prefix / "drive_c" / "Lumenfold portable copy"
        folder.mkdir()
        shutil.copy(EXE, folder / "Lumenfold.exe")
        s.write_settings([{"bounds": [100, 100, 500, 400]}])
        exe = r"C:\Lumenfold portable copy\Lumenfold.exe"
        first, host = s.start_running_copy(exe=exe)
        s.focus_colour_window()
        for spelling in (exe, s.probe("short-path", exe)):
            s.key("Escape")
            wait_until(lambda: not s.overlay_visible(), 10, what="the overlay to hide")
            result = s.run_program(exe=spelling)
            check(result["exit_code"] == 0 and result["windows"] == [], f"{spelling}: the second copy {result}")
            wait_until(lambda: s.overlay_visible(), 10, what=f"{spelling}: the second start to reveal the overlay")
            check(first.poll() is None, f"{spelling}: the running copy ended")
            hosts = s.windows(HOST_CLASS)
            check([h["pid"] for h in hosts] == [host["pid"]], f"{spelling}: host windows {hosts}")

        other = s.prefix / "drive_c" / "newer download" / "Lumenfold.exe"
        other.parent.mkdir()
        shutil.copy(EXE, other)
        second = s.start([other])
        check(s.wait_exit(first, 30) == 0, "the replaced copy did not end cleanly")
        wait_until(lambda: [h["pid"] != host["pid"] for h in s.windows(HOST_CLASS)] == [True], 20,
                   what="the new copy's host window, alone")
        check(second.poll() is None, "the new copy did not keep running")
        sent = s.probe("send", s.windows(HOST_CLASS)[0]["hwnd"], QUIT_MESSAGE, 0, 0)
        check(sent["alive"], "the host window was torn down before the quit request was answered")
        check(s.wait_exit(second) == 0, f"exit code {second.returncode}")
        check(s.windows(HOST_CLASS) == [], "a host window is left")

        s.hold("hold-mutex", r"Local\Lumenfold.Windows.SingleInstance", 60000)
        result = s.run_program()
        check(result["exit_code"] == 2, f"exit code {result['exit_code']}")
        # It looks for the running copy's window for a second, then gives up rather than wait for ever.
        check(1000 <= result["ms"] <= 20000, f"gave up after {result['ms']} ms")
        check(HOST_CLASS not in result["windows"], "a host window was created")


def copies_started_together_from_three_folders_leave_one_running():
    with Session("race") as s:
        folders = [EXE]
        for name in ("download one", "download two"):
            (s.prefix / "drive_c" / name).mkdir()
            folders.append(shutil.copy(EXE, s.prefix / "drive_c" / name))
        for round_ in range(3):
            copies = [s.start([folders[i % 3]]) for i in range(10)]
            wait_until(lambda: sum(p.poll() is not None for p in copies) >= 9, 240, what="all copies but one to leave")
            codes = sorted(p.returncode for p in copies if p.poll() is not None)
            running = [p for p in copies if p.poll() is None]
            check(len(running) == 1 and set(codes) <= {0, 2}, f"round {round_}: {len(running)} running, codes {codes}")
            wait_until(lambda: s.windows(TOOLBAR_CLASS), 30, what="the running copy's toolbar")
            check(len(s.windows(HOST_CLASS)) == 1, f"round {round_}: not exactly one host window")
            s.quit_running_copy(running[0])


main(quit_alone_a_second_start_from_the_same_folder_reveals_from_another_replaces_and_a_stuck_copy,
     copies_started_together_from_three_folders_leave_one_running)
