"""One copy per session: a later start hands over to it, or from another folder replaces it; --quit."""
import shutil

from lumenfold import EXE, HOST_CLASS, STARTED_LINE, Session, check, main, wait_until

QUIT_MESSAGE = 0x8016


def second_start_from_same_folder_reveals_the_running_copy():
    with Session("same-path") as s:
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
            check(result["exit_code"] == 0, f"{spelling}: second copy exit code {result['exit_code']}")
            check(result["windows"] == [], f"{spelling}: second copy created windows {result['windows']}")
            wait_until(lambda: s.overlay_visible(), 10, what=f"{spelling}: the second start to reveal the overlay")
            check(first.poll() is None, f"{spelling}: the running copy ended")
            hosts = s.windows(HOST_CLASS)
            check([h["pid"] for h in hosts] == [host["pid"]], f"{spelling}: host windows {hosts}")
        s.quit_running_copy(first)


def second_start_from_another_path_takes_over():
    with Session("other-path") as s:
        first, host = s.start_running_copy()
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


def stuck_copy_and_quit_without_a_copy():
    with Session("stuck-copy") as s:
        alone = s.run_program(["--quit"])
        check(alone["exit_code"] == 0 and alone["windows"] == [], f"--quit alone: {alone}")
        check(not s.data_folder.exists(), "--quit alone created the data folder")

        s.hold("hold-mutex", r"Local\Lumenfold.Windows.SingleInstance", 60000)
        result = s.run_program()
        check(result["exit_code"] == 2, f"exit code {result['exit_code']}")
        # It looks for the running copy's window for a second, then gives up rather than wait for ever.
        check(1000 <= result["ms"] <= 20000, f"gave up after {result['ms']} ms")
        check(HOST_CLASS not in result["windows"], "a host window was created")


def two_copies_started_at_once_leave_one_running():
    with Session("race") as s:
        for round_ in range(3):
            a, b = s.start([EXE]), s.start([EXE])
            ended = wait_until(lambda: [p for p in (a, b) if p.poll() is not None], 60, what="one copy to leave")
            check(len(ended) == 1, f"round {round_}: both copies left")
            check(ended[0].returncode in (0, 2), f"round {round_}: exit code {ended[0].returncode}")
            s.wait_log(STARTED_LINE, timeout=30, prefix=True)
            check(len(s.windows(HOST_CLASS)) == 1, f"round {round_}: not exactly one host window")
            s.quit_running_copy(b if ended[0] is a else a)
            s.activity_log.unlink()


main(second_start_from_same_folder_reveals_the_running_copy,
     second_start_from_another_path_takes_over,
     stuck_copy_and_quit_without_a_copy,
     two_copies_started_at_once_leave_one_running)
