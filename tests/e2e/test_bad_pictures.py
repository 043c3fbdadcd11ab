"""A missing or broken picture beside tovi.exe, started as a user would
start the program: one message box names the file and what is wrong with
it, and the program ends in order. Never a crash or a hang."""
import pytest


@pytest.mark.parametrize("file_name, spoil, problem", [
    pytest.param("base.bmp", lambda path: path.unlink(), "が見つかりません", id="missing-base"),
    pytest.param("cap1.bmp", lambda path: path.write_bytes(b"This is not a picture.\r\n"),
                 "はビットマップとして読み込めません", id="text-file-as-cap1"),
])
def test_an_unusable_picture_ends_with_one_message_naming_the_file(tovi, file_name, spoil, problem):
    spoil(tovi.folder / file_name)
    tovi.start()
    expected = f"{tovi.windows_folder}{file_name} {problem}"
    assert tovi.one_message()["texts"] == [expected], f"the message should read {expected!r}"
    tovi.answer_message()
    # The main form never came into being: the program says so in its exit code.
    assert tovi.wait_exit() == 1
