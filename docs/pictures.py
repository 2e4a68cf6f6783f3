"""Takes the README's pictures from the real program under a virtual display: docs/*.png.

Run by tools/pictures.sh. A made-up document lies under the overlay (and a notepad in front, for the
followed window), and the program's online services talk to a local HTTPS service that offers one
banner and a few credits.
"""
import subprocess
import sys
import time
from pathlib import Path

from https_service import answer
from lumenfold import EXE, STARTED_LINE, TOOLBAR_CLASS, Session, wait_until
from lumenfold_env import windows_path

DOCS = Path(__file__).resolve().parent
CREDENTIAL, CODE = "0123456789abcdef" * 4, "LF-96D779EB101B1CEFC25BB0DC"
SKYLIGHTS = [
    {"bounds": [100, 110, 1000, 260], "shape": 0},                   # rounded, over the paragraph
    {"bounds": [700, 330, 1160, 770], "shape": 1},                   # elliptical, over the chart
    {"bounds": [160, 400, 520, 760], "shape": 3, "brightness": 70},  # a circle, a little dimmed
]


def magick(*args):
    return subprocess.run(["convert", *args, "png:-"], capture_output=True, check=True).stdout


def backdrop():
    """A document and a chart, drawn by ImageMagick: what a user would keep bright."""
    text = ["Revenue grew in every region this quarter, led by the north.",
            "Costs stayed flat; the new plant opens in spring.",
            "Next steps: hire two engineers, and review prices in May."]
    draw = [f"text 120,{160 + 40 * i} '{line}'" for i, line in enumerate(text)]
    return magick("-size", "1920x1080", "gradient:#f4efe6-#d8e4f0", "-fill", "#2b4c7e",
                  "-draw", "rectangle 0,0 1920,56", "-fill", "white", "-font", "DejaVu-Sans-Bold", "-pointsize", "26",
                  "-draw", "text 30,38 'Quarterly report - draft 3'", "-fill", "#333333", "-font", "DejaVu-Sans",
                  "-pointsize", "22", *sum((["-draw", d] for d in draw), []),
                  "-fill", "#e07b39", "-draw", "rectangle 800,470 880,700", "-fill", "#3a8fd0",
                  "-draw", "rectangle 890,400 970,700", "-fill", "#6bb56b", "-draw", "rectangle 980,560 1060,700",
                  "-fill", "#c94f7c", "-draw", "circle 340,580 340,450")


def banner():
    return magick("-size", "600x200", "gradient:#23395d-#4f7cac", "-fill", "white", "-font", "DejaVu-Sans-Bold",
                  "-pointsize", "40", "-gravity", "center", "-draw", "text 0,-20 'Lumenfold'", "-font", "DejaVu-Sans",
                  "-pointsize", "24", "-draw", "text 0,34 'A calmer screen, all day'")


def shot(session, name, crop=None):
    argv = ["import", "-window", "root"] + (["-crop", crop] if crop else []) + [str(DOCS / name)]
    subprocess.run(argv, env=session.env, check=True, timeout=30)
    print(DOCS / name, flush=True)


def main():
    with Session("pictures", compositor=True) as s:
        (s.root / "backdrop.png").write_bytes(backdrop())
        # An X window of its own under Wine's: the overlay dims it as it would any program.
        s._spawn(["display", "-geometry", "+0+0", "-borderwidth", "0", s.root / "backdrop.png"], env=s.env)
        s.wait_pixel(960, 20, (43, 76, 126), tolerance=3, timeout=30, what="the document's title bar")
        service = s.serve_https(port=443)
        service.routes.update({
            "/public/manifest": answer({"country": "DE", "refreshIntervalSeconds": 600, "items": [
                {"enabled": True, "kind": "banner", "imageID": "calm", "targetURL": "https://lumenfold.app/"}]}),
            "/public/images/calm": answer(banner(), 200, "image/png"),
            "/api/v1/affiliate": answer({"code": CODE, "credits": 120})})
        s.write_settings(SKYLIGHTS, backgroundBrightness=25)
        (s.data_folder / "owner.dpapi").write_bytes(bytes.fromhex(s.probe("protect", CREDENTIAL)))
        process = s.start([EXE])
        s.wait_log(STARTED_LINE, timeout=60, prefix=True)
        wait_until(lambda: (s.data_folder / "banner-calm.image").exists(), 30, what="the banner's picture")
        for x in range(600, 1000, 100):  # a moving pointer keeps the skylights' bars and the toolbar out
            s.move_mouse(x, 950)
        toolbar = wait_until(lambda: [w for w in s.shown(TOOLBAR_CLASS) if w["rect"][3] - w["rect"][1] > 600], 20,
                             what="the toolbar expanded")[0]
        time.sleep(1.5)  # the banner's picture is drawn on the toolbar's next poll
        s.move_mouse(1500, 650)
        time.sleep(0.5)
        shot(s, "skylights.png")
        left, top, right, bottom = toolbar["rect"]
        shot(s, "toolbar.png", f"{right - left}x{bottom - top}+{left}+{top}")
        s.click(left + 300, top + 172)  # its Share button
        share = wait_until(lambda: s.shown("Lumenfold.Windows.Share"), 10, what="the share dialog")[0]
        time.sleep(1)
        left, top, right, bottom = share["rect"]
        shot(s, "share.png", f"{right - left}x{bottom - top}+{left}+{top}")
        s.run_program(["--quit"])
        process.wait(30)

        # Following the active window: a notepad in front keeps a rounded hole of its own.
        (s.root / "notes.txt").write_text("Call the plant about the spring opening.\r\nDraft the hiring note.\r\n"
                                          "Check the May price review with finance.\r\n")
        s.start(["notepad", windows_path(s.root / "notes.txt")])
        notepad = wait_until(lambda: s.shown("Notepad"), 30, what="the notepad")[0]
        s.probe("window", notepad["hwnd"], 960, 300, 1440, 660)
        s.probe("window", notepad["hwnd"], "front")
        s.write_settings([{"bounds": [100, 900, 400, 1040], "shape": 0}], backgroundBrightness=25,
                         followActiveWindow=True)  # its one skylight out of the picture
        process = s.start([EXE])
        s.wait_log(STARTED_LINE, timeout=60, prefix=True)
        s.move_mouse(1700, 1000)
        time.sleep(1)
        shot(s, "follow.png", "960x600+500+100")
        s.run_program(["--quit"])
        process.wait(30)


if __name__ == "__main__":
    sys.exit(main())
