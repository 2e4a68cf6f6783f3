"""The share dialog with the real program and the real mouse: the toolbar's QR card opens it on the
share page's QR code; back on the list, Gmail's Share button puts the mail body on the clipboard,
opens the draft that carries it and puts the dialog away."""
from urllib.parse import unquote

from lumenfold import EXE, STARTED_LINE, Session, centre, check, main, wait_until
from test_toolbar import EXPANDED, QR, qr_code_on_screen, toolbar_at

SHARE_CLASS = "Lumenfold.Windows.Share"
# Offline there is no referral code.
SHARE_PAGE = "https://lumenfold.app/share?title=Lumenfold&url=https%3A%2F%2Flumenfold.app&preview=compact-v2"
GMAIL_DRAFT = "https://mail.google.com/mail/u/0/?view=cm&fs=1&su=Lumenfold&body="


def control(s, dialog, title, top=None):
    """The dialog's visible control with this text (and top edge)."""
    return wait_until(lambda: next((c for c in s.probe("children", dialog["hwnd"]) if c["visible"] and
                                    c["title"] == title and top in (None, c["rect"][1])), None),
                      5, what=f"the control '{title}'")


def qr_page_then_a_gmail_draft():
    with Session("sharing") as s:
        process = s.start([EXE, "--offline"])
        s.wait_log(STARTED_LINE, timeout=60, prefix=True)
        toolbar_at(s, EXPANDED)
        s.click(QR[0] + QR[2] // 2, QR[1] + QR[3] // 2)
        dialog = wait_until(lambda: s.shown(SHARE_CLASS), 10, what="the share dialog")[0]
        left, top, right, bottom = dialog["rect"]
        wait_until(lambda: qr_code_on_screen(s, (left, top, right - left, bottom - top)).strip() == SHARE_PAGE, 10,
                   what="the share page's QR code in the dialog")

        s.click(*centre(control(s, dialog, "返回 / Back")))
        gmail = control(s, dialog, "分享到 Gmail / Share to Gmail")
        s.click(*centre(gmail))
        s.click(*centre(control(s, dialog, "分享 / Share", top=gmail["rect"][1])))
        wait_until(lambda: not s.shown(SHARE_CLASS), 10, what="the dialog to go")
        draft = wait_until(s.opened_links, 10, what="the draft to open")
        check(len(draft) == 1 and draft[0].startswith(GMAIL_DRAFT), f"opened {draft}")
        body = s.probe("clipboard-get")
        check(body and unquote(draft[0].removeprefix(GMAIL_DRAFT)) == body, f"the clipboard holds {body!r}")
        s.quit_running_copy(process)


main(qr_page_then_a_gmail_draft)
