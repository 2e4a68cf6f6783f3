"""--quit with no copy running leaves at once with exit code 0 and never creates a window."""
from lumenfold import Session, check, main


def test():
    with Session("quit-alone") as s:
        result = s.run_program(["--quit"])
        check(result["exit_code"] == 0, f"exit code {result['exit_code']}")
        check(result["windows"] == [], f"windows were created: {result['windows']}")
        check(not s.data_folder.exists(), "the data folder was created")


main(test)
