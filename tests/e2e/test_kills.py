"""Killed (SIGKILL from Linux) at any moment of a save, every file stays whole and the next start works.

The long run: LUMENFOLD_PROGRAM_KILLS=2000 PYTHONPATH=tests/harness python3 tests/e2e/test_kills.py
"""
import os
import random
import signal
import time

from lumenfold import BRIGHT, BUILD, SCREEN, Session, check, main, wait_until

SEED = int(os.environ.get("LUMENFOLD_KILL_SEED", "1909"))
SAVER_KILLS = int(os.environ.get("LUMENFOLD_SAVER_KILLS", "200"))
PROGRAM_KILLS = int(os.environ.get("LUMENFOLD_PROGRAM_KILLS", "10"))
SAVER = BUILD / "tests" / "windows" / "lfsaver.exe"
ROUNDS = 100_000  # each run of the saver numbers its rounds from a hundred thousand of its own on
SPOTS, SOLELY = ([400, 300, 1000, 700], [500, 400, 1100, 800]), ((420, 320), (1080, 780))  # a point in each alone
SAVED = "skylight drag saved"
print(f"seed {SEED}", flush=True)


def kill(process, rng, longest):
    time.sleep(rng.uniform(0, longest))
    os.kill(process.pid, signal.SIGKILL)
    process.wait()


def saver_killed_at_random_moments_leaves_whole_files():
    rng, found = random.Random(SEED), [-1, -1, -1]  # the rounds of settings, banners and credits
    with Session("saver-kills") as s:
        out, err = s.root / "saver.txt", s.root / "saver.err"
        for run in range(SAVER_KILLS + 1):
            saver = s._spawn(["wine", SAVER, (run + 1) * ROUNDS], env=s.env, stdout=out.open("wb"),
                             stderr=err.open("wb"))
            wait_until(lambda: "\n" in out.read_text() or saver.poll() is not None, 60, what="the saver's start")
            check((text := out.read_text()).startswith("found "),
                  f"start {run}: exit {saver.poll()}, {text}, its errors end {err.read_text(errors='replace')[-600:]}")
            now = [int(n) for n in text.split()[1:4]]
            check(all(n == old or run * ROUNDS <= n < (run + 1) * ROUNDS for n, old in zip(now, found)),
                  f"start {run} found rounds {now}, before the kill {found}")
            found = now
            kill(saver, rng, 0.2)
            check(saver.returncode == -signal.SIGKILL, f"the saver ended by itself: {out.read_text()}")


def program_killed_right_after_a_drag_starts_again_with_either_state():
    rng = random.Random(SEED)
    with Session("program-kills", compositor=True) as s:
        s.hold("colour-window", *BRIGHT, *SCREEN)
        s.write_settings([{"bounds": SPOTS[0], "shape": 2}])
        for run in range(PROGRAM_KILLS + 1):
            process, _, _ = s.start_overlay()
            at = SPOTS.index(s.settings()["skylights"][0]["bounds"])
            s.wait_pixel(*SOLELY[at], BRIGHT, what="the saved skylight")
            s.wait_pixel(*SOLELY[1 - at], (0, 0, 0), what="no skylight where it was not saved")
            s.move_mouse(960, 1000)  # a drag from where the pointer rests would wait for its first move
            saves, step = s.log_lines().count(SAVED), 100 - 200 * at
            left, top, right, _ = SPOTS[at]
            s.drag(((left + right) // 2, top), ((left + right) // 2 + step, top + step))  # by the top edge
            if run == PROGRAM_KILLS:
                wait_until(lambda: s.log_lines().count(SAVED) > saves, 10, what="the last save")
            else:
                kill(process, rng, 0.05)
            bounds = [k["bounds"] for k in s.settings()["skylights"]]
            check(bounds == [SPOTS[1 - at]] or bounds == [SPOTS[at]] and s.log_lines().count(SAVED) == saves,
                  f"kill {run}: the file holds {bounds}, the log ends {s.log_lines()[-3:]}")
        s.quit_running_copy(process)


main(saver_killed_at_random_moments_leaves_whole_files,
     program_killed_right_after_a_drag_starts_again_with_either_state)
