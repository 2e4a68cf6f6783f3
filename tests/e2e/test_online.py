"""The online services against the test's own HTTPS service: what is asked, cached and shown; quitting."""
import json
import subprocess

from https_service import answer, stall
from lumenfold import (EXE, OK, STARTED_LINE, TRAY_SKYLIGHT, Session, centre, check, choose_from_tray_menu, main,
                       wait_until)
from test_toolbar import EXPANDED, LOGO_CLASS, TOOLBAR_CLASS, awake, qr_code_on_screen

PNG = subprocess.run(["convert", "-size", "40x10", "xc:red", "png:-"], capture_output=True, check=True).stdout
# The publisher's banner goes first and shows its red picture; the last one's picture is missing.
MANIFEST = {"country": "DE", "refreshIntervalSeconds": 60, "kept": {"z": 1, "a": [True]}, "items": [
    {"enabled": True, "kind": "banner", "imageID": "img-a", "targetURL": "https://x.example/a", "title": "A"},
    {"enabled": True, "kind": "banner", "imageID": "img-b", "targetURL": "https://lumenfold.app/p"},
    {"enabled": True, "kind": "banner", "imageID": "img-c", "targetURL": "https://x.example/c"},
    {"enabled": False, "imageID": "not valid!"}]}
IMAGE_MISSING = "广告图片暂未加载，稍后重试 / Banner image unavailable; retrying"
OFFLINE = "离线验收 / Offline acceptance: 网络服务未启动 / Network services not started"
# The share page the toolbar's QR code leads to, before its referral code.
SHARE_PAGE = "https://lumenfold.app/share?title=Lumenfold&url=https%3A%2F%2Flumenfold.app&preview=compact-v2"
CREDITS_FAILED = "积分暂未更新 / Credits unavailable: HTTP 307"
BANNERS_FAILED = "广告加载失败 / Banner unavailable: "
# An owner credential and its referral code, worked out once by hand.
CREDENTIAL, CODE = "0123456789abcdef" * 4, "LF-96D779EB101B1CEFC25BB0DC"
CREDITS = answer({"code": CODE, "credits": 7, "other": "not cached"})


def requests_to(service, path):
    return [r for r in service.requests if r["path"] == path]


def start_online(s, routes, files, args=()):  # returns (service, process)
    service = s.serve_https(port=443)
    service.routes.update(routes)
    s.data_folder.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (s.data_folder / name).write_bytes(data)
    process = s.start([EXE, *args])
    s.wait_log(STARTED_LINE, timeout=60, prefix=True)
    return service, process


def toolbar_back(s, ready=lambda rect: True, what="the toolbar expanded"):
    """Brings back and expands a toolbar that stepped aside; returns where it is once `ready(rect)`."""
    s.move_mouse(1000, 600)
    logo = centre(wait_until(lambda: s.shown(LOGO_CLASS), 5, what="the logo")[0])
    return awake(s, logo, lambda: (r := s.windows(TOOLBAR_CLASS)[0]["rect"])[3] - r[1] == 674 and ready(r) and r, what)


def status_text(s):
    """As a user copies it, from the box a click opens, once the scroll bar that shifts the status is there."""
    left, top, _, _ = toolbar_back(s, lambda r: min(s.pixel(r[2] - 8, r[1] + 337)) > 150 and
                                   s.pixel(r[0] + 321, r[1] + 630) != (9, 40, 62), "the scroll bar")
    s.click(left + 160, top + 662)
    box = wait_until(lambda: s.shown("#32770"), 10, what="the status box")[0]
    texts = s.box_texts(box)
    s.answer_box(box, OK)
    return texts[-1] if texts else ""


def refresh_caches_and_shows_the_referral_code():
    with Session("online") as s:
        service, process = start_online(s, {
            "/public/manifest": answer(MANIFEST), "/public/images/img-a": answer(PNG, 200, "image/png"),
            "/public/images/img-b": answer(PNG, 200, "image/png"), "/api/v1/affiliate": CREDITS},
            {"owner.dpapi": bytes.fromhex(s.probe("protect", CREDENTIAL)),
             "banner-gone.image": PNG})  # of a banner no longer in the manifest
        s.move_mouse(EXPANDED[0] + 100, EXPANDED[1] + 600)  # within five seconds, or the toolbar steps aside
        credits_file = s.data_folder / "credits.json"
        wait_until(credits_file.exists, 30, what="credits.json")
        post = requests_to(service, "/api/v1/affiliate")[0]
        check(post["method"] == "POST" and post["body"] == b"{}" and post["headers"]["Authorization"] ==
              "Bearer " + CREDENTIAL, f"credits request {post}")
        check(credits_file.read_text() == '{"code":"' + CODE + '","credits":7}', credits_file.read_text())

        banners_file = s.data_folder / "banners.json"
        wait_until(banners_file.exists, 10, what="banners.json")
        check(banners_file.read_text() == json.dumps(MANIFEST, separators=(",", ":"), sort_keys=True),
              f"banners.json is {banners_file.read_text()}")
        check((s.data_folder / "banner-img-a.image").read_bytes() == PNG, "the image is cached as it came")
        wait_until(lambda: not (s.data_folder / "banner-gone.image").exists(), 10, what="the unnamed image to go")
        check(not (s.data_folder / "banner-img-c.image").exists(), "a failed image download leaves no file")
        check(len(requests_to(service, "/public/images/img-c")) == 1, "the missing image is asked for once")
        toolbar_back(s, lambda r: (red := s.pixel(r[0] + 163, r[1] + 477))[0] >= 215 and max(red[1:]) <= 40,
                     "the publisher's banner picture first")
        text = status_text(s)
        check(text.startswith(IMAGE_MISSING + "\n\n"), f"the status says {text!r}")

        left, top, _, _ = toolbar_back(s, lambda r: qr_code_on_screen(s).strip() == SHARE_PAGE + "&ref=" + CODE,
                                       what="the QR code's referral code")
        s.click(left + 163, top + 477)
        wait_until(s.opened_links, 10, what="the banner's link")
        # The next cycle, after the manifest's minute, asks again for all but the cached images.
        manifests = wait_until(lambda: requests_to(service, "/public/manifest")[1:] and
                               requests_to(service, "/public/manifest"), 90, what="the next cycle's manifest")
        check(manifests[1]["time"] - manifests[0]["time"] >= 59, "the manifest was asked again too soon")
        wait_until(lambda: len(requests_to(service, "/public/images/img-c")) == 2, 30, what="the image asked again")
        check([len(requests_to(service, f"/public/images/img-{i}")) for i in "ab"] == [1, 1], "a cached image again")
        check(s.opened_links() == ["https://lumenfold.app/p"], f"opened {s.opened_links()}")
        s.quit_running_copy(process)


def failures_show_in_the_status_text_and_keep_the_cache():
    with Session("online-failing") as s:
        cached = json.dumps({"items": [{"enabled": True, "kind": "banner", "imageID": "old",
                                        "targetURL": "https://x.example/old"}]}, separators=(",", ":"))
        # The parse error quotes the stray byte; the redirect's host must never see the credential.
        moved = answer(b"", 307, Location="https://service.test/moved")
        service, process = start_online(s, {"/public/manifest": answer(b"{\"items\": [\xff", 200),
                                            "/api/v1/affiliate": moved}, {"banners.json": cached.encode()})
        s.move_mouse(EXPANDED[0] + 100, EXPANDED[1] + 600)  # within five seconds, or the toolbar steps aside
        # Once the worker asks again, a minute later, its first cycle's failures are on screen.
        wait_until(lambda: requests_to(service, "/api/v1/affiliate")[1:], 90, what="the next credits request")
        text = status_text(s)
        check(text.startswith(CREDITS_FAILED + "\n" + BANNERS_FAILED), f"the status says {text!r}")
        check((s.data_folder / "banners.json").read_text() == cached, "a failed refresh keeps the cached manifest")
        check(not (s.data_folder / "credits.json").exists(), "a refused credits answer writes no cache")
        check(requests_to(service, "/moved") == [], f"the redirect was followed: {service.requests}")
        s.quit_running_copy(process)


def offline_start_reaches_nothing_online():
    with Session("offline") as s:
        # A cached banner, were it read, would move the status text away from the click below.
        service, process = start_online(s, {"/public/manifest": answer(MANIFEST), "/api/v1/affiliate": CREDITS},
                                        {"banners.json": json.dumps(MANIFEST).encode()}, ["--offline"])
        left, top, _, _ = toolbar_back(s)
        s.click(left + 172, top + 594)
        box = wait_until(lambda: s.shown("#32770"), 20, what="the status box")[0]
        texts = s.box_texts(box)
        check(any(t.startswith(OFFLINE + "\n") for t in texts), f"the box says {texts}")
        s.answer_box(box, OK)  # which copies it
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
            # Long before the stall ends, and the next start finds no copy in its way.
            choose_from_tray_menu(s, "quit")
            check(s.wait_exit(process, timeout=30) == 0, f"exit code {process.returncode}")


main(refresh_caches_and_shows_the_referral_code, failures_show_in_the_status_text_and_keep_the_cache,
     offline_start_reaches_nothing_online, quitting_does_not_wait_for_a_request_in_flight)
