"""The online services of the real program against the test's own HTTPS service (real TLS, a test CA
trusted only inside the test): what it asks, what it caches, what it shows, and that closing does
not wait for the next refresh."""
import hashlib
import json
import subprocess
import time

from https_service import answer, stall
from lumenfold import EXE, STARTED_LINE, TRAY_SKYLIGHT, Session, check, choose_from_tray_menu, main, wait_until
from lumenfold_env import TestFailure
from test_toolbar import EXPANDED, qr_code_on_screen, toolbar_at

PNG = subprocess.run(["convert", "-size", "40x10", "xc:red", "png:-"], capture_output=True, check=True).stdout
# The publisher's banner goes first and shows its red picture; the last one's picture is missing.
MANIFEST = {"country": "DE", "refreshIntervalSeconds": 600, "kept": {"z": 1, "a": [True]}, "items": [
    {"enabled": True, "kind": "banner", "imageID": "img-a", "targetURL": "https://x.example/a", "title": "A"},
    {"enabled": True, "kind": "banner", "imageID": "img-b", "targetURL": "https://lumenfold.app/p"},
    {"enabled": True, "kind": "banner", "imageID": "img-c", "targetURL": "https://x.example/c"},
    {"enabled": False, "imageID": "not valid!"}]}
IMAGE_MISSING = "广告图片暂未加载，稍后重试 / Banner image unavailable; retrying"
OFFLINE = "离线验收 / Offline acceptance: 网络服务未启动 / Network services not started"
# Offline there is no referral code, so the share page carries none.
SHARE_PAGE = "https://lumenfold.app/share?title=Lumenfold&url=https%3A%2F%2Flumenfold.app&preview=compact-v2"
CREDITS_FAILED = "积分暂未更新 / Credits unavailable: HTTP 401"
BANNERS_FAILED = "广告加载失败 / Banner unavailable: "


def referral_code(credential):
    return "LF-" + hashlib.sha256((":" + credential).encode()).hexdigest()[:24].upper()


def credits_for_the_caller(handler):
    """Answers with seven credits for whichever installation's credential authorises the request."""
    credential = handler.headers.get("Authorization", "").removeprefix("Bearer ")
    answer({"code": referral_code(credential), "credits": 7, "other": "not cached"})(handler)


def requests_to(service, path):
    return [r for r in service.requests if r["path"] == path]


def status_text(s):
    """The status text as a user copies it: a click on it opens it in a box, read and closed here.
    Nothing while there is no status (or the click found none). With one banner laid out and a
    status below it, the content is taller than the toolbar, so a scroll bar takes 17 of its 344 px
    and the status text begins 649 px down the client area, which ends at 674. The wait is for that
    picture (the cards then end 17 px further left): before the worker's first answers the toolbar
    may still be laid out at its full width, where the spot clicked is the credits card, which opens
    the share dialog."""
    wait_until(lambda: min(s.pixel(EXPANDED[2] - 8, EXPANDED[1] + 337)) > 150
               and s.pixel(EXPANDED[0] + 321, EXPANDED[1] + 630) != (9, 40, 62), 10, what="the scroll bar")
    # A little aside each time: the toolbar steps aside after five seconds without movement.
    s.clicks = getattr(s, "clicks", 0) + 1
    s.click(EXPANDED[0] + 160 + s.clicks % 2 * 6, EXPANDED[1] + 662)
    try:
        box = wait_until(lambda: s.shown("#32770"), 3, what="the status box")[0]
    except TestFailure:
        return None
    texts = [c["title"] for c in s.probe("children", box["hwnd"]) if c["class"].lower() == "static"]
    s.probe("send", box["hwnd"], 0x0111, 1, 0)  # OK
    wait_until(lambda: not s.shown("#32770"), 10, what="the box to close")
    return texts[-1] if texts else ""


def refresh_caches_and_shows_the_referral_code():
    with Session("online") as s:
        service = s.serve_https(port=443)
        service.routes.update({"/public/manifest": answer(MANIFEST), "/public/images/img-a": answer(PNG, 200, "image/png"),
                               "/public/images/img-b": answer(PNG, 200, "image/png"),
                               "/api/v1/affiliate": credits_for_the_caller})
        s.data_folder.mkdir(parents=True, exist_ok=True)
        (s.data_folder / "banner-gone.image").write_bytes(PNG)  # of a banner no longer in the manifest
        process = s.start([EXE])
        s.wait_log(STARTED_LINE, timeout=60, prefix=True)
        s.move_mouse(EXPANDED[0] + 100, EXPANDED[1] + 600)  # within five seconds, or the toolbar steps aside
        credits_file = s.data_folder / "credits.json"
        wait_until(credits_file.exists, 30, what="credits.json")
        post = requests_to(service, "/api/v1/affiliate")[0]
        credential = post["headers"]["Authorization"].removeprefix("Bearer ")
        check(len(credential) == 64 and set(credential) <= set("0123456789abcdef"), f"bearer {credential!r}")
        check(post["method"] == "POST" and post["body"] == b"{}", f"credits request {post}")
        code = referral_code(credential)
        check(credits_file.read_text() == '{"code":"' + code + '","credits":7}', credits_file.read_text())

        banners_file = s.data_folder / "banners.json"
        wait_until(banners_file.exists, 10, what="banners.json")
        check(banners_file.read_text() == json.dumps(MANIFEST, separators=(",", ":"), sort_keys=True),
              f"banners.json is {banners_file.read_text()}")
        check((s.data_folder / "banner-img-a.image").read_bytes() == PNG, "the image is cached as it came")
        wait_until(lambda: not (s.data_folder / "banner-gone.image").exists(), 10, what="the unnamed image to go")
        check(not (s.data_folder / "banner-img-c.image").exists(), "a failed image download leaves no file")
        check(len(requests_to(service, "/public/images/img-c")) == 1, "the missing image is asked for once")
        s.wait_pixel(EXPANDED[0] + 163, EXPANDED[1] + 477, (255, 0, 0), tolerance=40,
                     what="the publisher's banner picture first")
        text = wait_until(lambda: status_text(s), 20, what="the status text")
        check(text.startswith(IMAGE_MISSING + "\n\n"), f"the status says {text!r}")

        # The referral code reaches the screen in the share page's QR code.
        toolbar_at(s, EXPANDED)
        wanted = ("https://lumenfold.app/share?title=Lumenfold&url=https%3A%2F%2Flumenfold.app&preview=compact-v2"
                  f"&ref={code}")
        wait_until(lambda: qr_code_on_screen(s).strip() == wanted, 10, what="the QR code with the referral code",
                   detail=lambda: f"zbarimg read {qr_code_on_screen(s)!r}")
        # The worker now waits a minute for its next cycle: closing must not wait for it.
        started = time.monotonic()
        s.quit_running_copy(process)
        check(time.monotonic() - started < 10, f"closing took {time.monotonic() - started:.1f} s")


def failures_show_in_the_status_text_and_keep_the_cache():
    with Session("online-failing") as s:
        service = s.serve_https(port=443)
        service.routes.update({"/public/manifest": answer(b"{\"items\": [", 200),
                               "/api/v1/affiliate": answer({"error": "who?"}, 401)})
        cached = json.dumps({"items": [{"enabled": True, "kind": "banner", "imageID": "old",
                                        "targetURL": "https://x.example/old"}]}, separators=(",", ":"))
        s.data_folder.mkdir(parents=True, exist_ok=True)
        (s.data_folder / "banners.json").write_text(cached)
        process = s.start([EXE])
        s.wait_log(STARTED_LINE, timeout=60, prefix=True)
        s.move_mouse(EXPANDED[0] + 100, EXPANDED[1] + 600)  # within five seconds, or the toolbar steps aside
        wait_until(lambda: requests_to(service, "/api/v1/affiliate"), 30, what="the credits request")
        text = wait_until(lambda: (t := status_text(s)) and BANNERS_FAILED in t and t, 20, what="both failures")
        check(text.startswith(CREDITS_FAILED + "\n" + BANNERS_FAILED), f"the status says {text!r}")
        check((s.data_folder / "banners.json").read_text() == cached, "a failed refresh keeps the cached manifest")
        check(not (s.data_folder / "credits.json").exists(), "a refused credits answer writes no cache")
        s.quit_running_copy(process)


def offline_start_reaches_nothing_online():
    with Session("offline") as s:
        service = s.serve_https(port=443)
        service.routes.update({"/public/manifest": answer(MANIFEST), "/api/v1/affiliate": credits_for_the_caller})
        # A cached banner, were it read, would move the status text away from the click below.
        s.data_folder.mkdir(parents=True, exist_ok=True)
        (s.data_folder / "banners.json").write_text(json.dumps(MANIFEST))
        process = s.start([EXE, "--offline"])
        s.wait_log(STARTED_LINE, timeout=60, prefix=True)
        toolbar_at(s, EXPANDED)
        wait_until(lambda: qr_code_on_screen(s).strip() == SHARE_PAGE, 10, what="the share page's QR code",
                   detail=lambda: f"zbarimg read {qr_code_on_screen(s)!r}")
        # The status text is read back the way a user copies it: a click on it opens it in the box.
        s.click(1564 + 172, 203 + 594)
        box = wait_until(lambda: s.shown("#32770"), 20, what="the status box")[0]
        texts = [c["title"] for c in s.probe("children", box["hwnd"]) if c["class"].lower() == "static"]
        check(any(t.startswith(OFFLINE + "\n") for t in texts), f"the box says {texts}")
        s.probe("send", box["hwnd"], 0x0111, 1, 0)  # WM_COMMAND: OK, which copies the status text
        wait_until(lambda: s.probe("clipboard-get") == OFFLINE, 10, what="the status text on the clipboard")
        s.quit_running_copy(process)
        check(service.requests == [], f"offline, it asked {service.requests}")
        check(not (s.data_folder / "owner.dpapi").exists(), "offline, it made a referral identity")


def quitting_does_not_wait_for_a_request_in_flight():
    with Session("online-stalled") as s:
        service = s.serve_https(port=443)
        service.routes["/public/manifest"] = stall(60)
        s.write_settings(TRAY_SKYLIGHT)
        for start in (1, 2):
            process = s.start([EXE])
            wait_until(lambda: s.log_lines().count(STARTED_LINE + "1") == start, 60, what=f"start {start}")
            wait_until(lambda: len(requests_to(service, "/public/manifest")) == start, 30, what="the manifest request")
            check(s.overlay_visible(), "no overlay")
            # Long before the stalled request ends, and the next start finds no copy in its way.
            choose_from_tray_menu(s, "quit")
            check(s.wait_exit(process, timeout=30) == 0, f"exit code {process.returncode}")


main(refresh_caches_and_shows_the_referral_code, failures_show_in_the_status_text_and_keep_the_cache,
     offline_start_reaches_nothing_online, quitting_does_not_wait_for_a_request_in_flight)
