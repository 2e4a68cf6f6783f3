"""One copy per logon session: later starts hand over to the running copy, or replace it when they
come from another folder; --quit stops it."""
import shutil
import time

from lumenfold import EXE, HOST_CLASS, PROBE, Session, check, main, wait_until


def second_start_from_same_path_hands_over_to_the_running_copy():
    with Session("same-path") as s:
        first, host = s.start_running_copy()
        result = s.run_program()
        check(result["exit_code"] == 0, f"second copy exit code {result['exit_code']}")
        check(result["windows"] == [], f"second copy created windows {result['windows']}")
        check(first.poll() is None, "the running copy ended")
        hosts = s.windows(HOST_CLASS)
        check([h["pid"] for h in hosts] == [host["pid"]], f"host windows {hosts}")


def second_start_from_another_path_takes_over():
    with Session("other-path") as s:
        first, host = s.start_running_copy()
        other = s.prefix / "drive_c" / "newer download" / "Lumenfold.exe"
        other.parent.mkdir()
        shutil.copy(EXE, other)
        second = s.start_program(exe=other)
        check(s.wait_exit(first, 30) == 0, "the replaced copy did not end cleanly")

        def new_host():
            hosts = s.windows(HOST_CLASS)
            return hosts if len(hosts) == 1 and hosts[0]["pid"] != host["pid"] else None
        wait_until(new_host, 20, what="the new copy's host window")
        check(second.poll() is None, "the new copy did not keep running")
        s.quit_running_copy(second)


def quit_stops_the_running_copy():
    with Session("quit-running") as s:
        first, _ = s.start_running_copy()
        s.quit_running_copy(first)
        check(s.windows(HOST_CLASS) == [], "a host window is left")


def quit_without_running_copy_creates_nothing():
    with Session("quit-alone") as s:
        result = s.run_program(["--quit"])
        check(result["exit_code"] == 0, f"exit code {result['exit_code']}")
        check(result["windows"] == [], f"windows were created: {result['windows']}")
        check(not s.data_folder.exists(), "the data folder was created")


def mutex_without_host_window_gives_up_after_about_a_second():
    with Session("stuck-copy") as s:
        import subprocess
        holder = subprocess.Popen(["wine", str(PROBE), "hold-mutex", r"Local\Lumenfold.Windows.SingleInstance",
                                   "60000"], env=s.env, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
        s.children.append(holder)
        check(holder.stdout.readline().strip() == b"held", "the probe could not create the mutex")
        result = s.run_program()
        check(result["exit_code"] == 2, f"exit code {result['exit_code']}")
        check(900 <= result["ms"] <= 3000, f"gave up after {result['ms']} ms")
        check(HOST_CLASS not in result["windows"], "a host window was created")


def two_copies_started_at_once_leave_one_running():
    with Session("race") as s:
        a = s.start_program()
        b = s.start_program()
        ended = wait_until(lambda: [p for p in (a, b) if p.poll() is not None], 30, what="one copy to leave")
        check(len(ended) == 1, "both copies left")
        check(ended[0].returncode in (0, 2), f"exit code {ended[0].returncode}")
        time.sleep(0.5)  # give a wrongly second host window the chance to show up
        check(len(s.windows(HOST_CLASS)) == 1, "not exactly one host window")


main(second_start_from_same_path_hands_over_to_the_running_copy,
     second_start_from_another_path_takes_over,
     quit_stops_the_running_copy,
     quit_without_running_copy_creates_nothing,
     mutex_without_host_window_gives_up_after_about_a_second,
     two_copies_started_at_once_leave_one_running)
