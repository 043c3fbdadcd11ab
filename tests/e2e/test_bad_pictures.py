"""A broken picture beside tovi.exe, started as a user would start the
program: one message box names the file, and the program ends in order.
Never a crash or a hang."""


def test_an_unusable_picture_ends_with_one_message_naming_the_file(tovi):
    (tovi.folder / "cap1.bmp").write_bytes(b"This is not a picture.\r\n")
    tovi.start()
    expected = f"{tovi.windows_folder}cap1.bmp はビットマップとして読み込めません"
    assert tovi.one_message()["texts"] == [expected], f"the message should read {expected!r}"
    tovi.answer_message()
    # The main form never came into being: the program says so in its exit code.
    assert tovi.wait_exit() == 1
