"""The old-version review from the tray: list, copy, Cancel, and recycling while listed copies run or move."""
import shutil

from lumenfold import (BUILD, CANCEL, INFO_TITLE, TRAY_SKYLIGHT, Session, centre, check, choose_from_tray_menu,
                       main, wait_until)

TITLE = "Lumenfold · 清理旧版本 / Clean up old versions"
TDM_CLICK_BUTTON = 0x0466
SCOPE = ("\n检查桌面和下载目录及两层子目录。\nChecked Desktop, Downloads and two subfolder levels.\n"
         "保留当前版、运行中的程序、已安装版本、安装包及用户数据。\n"
         "Current/running/installed copies, installers and user data are preserved.\n")


def open_review(s):
    choose_from_tray_menu(s, "clean up")
    dialog = wait_until(lambda: [w for w in s.shown("#32770") if w["title"] == TITLE], 20, what="the dialog")[0]
    check(not s.overlay_visible(), "the dialog opened over the overlay")
    return dialog, s.probe("children", dialog["hwnd"])


def review_copies_cancels_then_recycles_but_not_running_or_moved_copies():
    with Session("cleanup") as s:
        user = s.data_folder.parents[2]
        older, started = user / "Desktop" / "Lumenfold-2.9.exe", user / "Downloads" / "old" / "Lumenfold.exe"
        swapped, running = user / "Desktop" / "swapped" / "Lumenfold.exe", user / "Desktop" / "Lumenfold-portable.exe"
        started.parent.mkdir()
        swapped.parent.mkdir()
        (s.home / ".local" / "share").mkdir(parents=True)  # Wine makes only the trash's own folders
        # A symbolic link (a reparse point to Wine) is never followed: the list would show the copy it leads to.
        elsewhere = user / "Documents" / "elsewhere"
        elsewhere.mkdir(parents=True)
        (user / "Desktop" / "linked").symlink_to(elsewhere, target_is_directory=True)
        for path in (older, started, swapped, running, elsewhere / "Lumenfold.exe"):
            shutil.copy(BUILD / "tests" / "windows" / "copy_2_9.exe", path)
        windows = {p: f"C:\\users\\{user.name}\\" + "\\".join(p.relative_to(user).parts)
                   for p in (older, started, swapped, running)}
        content = (f"当前版本 / Current version: 3.0.0{SCOPE}\n2.9.0 — {windows[older]}\n"
                   f"\n2.9.0 — {windows[swapped]}\n\n2.9.0 — {windows[started]}\n")
        s.start([s.probe("short-path", windows[running])])  # running, though by another spelling: never listed
        wait_until(lambda: s.windows("Lumenfold.Tests.OtherCopy"), 30, what="the running copy")
        process, _, _ = s.start_overlay(TRAY_SKYLIGHT)

        dialog, children = open_review(s)
        check(content in [c["title"] for c in children], f"the dialog says {[c['title'] for c in children]}")
        s.click(*centre(next(c for c in children if c["title"] == "复制清单 / Copy list")))
        wait_until(lambda: s.probe("clipboard-get") == content, 10, what="the list on the clipboard")
        check([w["hwnd"] for w in s.shown("#32770")] == [dialog["hwnd"]], "the copy button closed the dialog")
        s.probe("send", dialog["hwnd"], TDM_CLICK_BUTTON, 2, 0)  # Cancel
        wait_until(lambda: not s.shown("#32770"), 10, what="the dialog to close")

        dialog, children = open_review(s)
        check(content in [c["title"] for c in children], "Cancel changed the list")
        s.start([windows[started]])
        wait_until(lambda: len(s.windows("Lumenfold.Tests.OtherCopy")) == 2, 30, what="the started copy")
        # Its folder now links to another copy of the same version, which must stay.
        swapped.parent.rename(swapped.parent.with_name("moved"))
        swapped.parent.symlink_to(elsewhere, target_is_directory=True)
        s.probe("send", dialog["hwnd"], TDM_CLICK_BUTTON, 1, 0)
        report = wait_until(lambda: [w for w in s.shown("#32770") if w["title"] == INFO_TITLE], 20,
                            what="the report")[0]
        texts = s.box_texts(report)
        check(f"已移入回收站 / Recycled: {windows[older]}\n跳过 / Skipped: {windows[swapped]}\n"
              f"跳过 / Skipped: {windows[started]}\n\n\n"
              "点击确定复制完整信息。 / OK copies this information." in texts, f"the report says {texts}")
        check(not older.exists() and started.exists() and swapped.exists(), "the wrong files left")
        trash = s.home / ".local" / "share" / "Trash" / "files" / older.name
        check(trash.read_bytes() == (BUILD / "tests" / "windows" / "copy_2_9.exe").read_bytes(), "not in the trash")
        s.answer_box(report, CANCEL)
        s.quit_running_copy(process)


main(review_copies_cancels_then_recycles_but_not_running_or_moved_copies)
