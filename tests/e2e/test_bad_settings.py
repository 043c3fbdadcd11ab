"""A tovi.ini that is odd or broken: the program starts with what it can
read, shows its eyes, and saving at close rewrites only its own three
values, every other byte of the file as it was."""
import pytest

import harness

BIG = 1 << 20
NO_PUPIL = "no pupil"  # a type with no picture: the eyes show none


def saved(initial, *changes):
    """initial with each (old, new) line content replaced once, in order."""
    for old, new in changes:
        assert initial.count(old) >= 1, f"{old!r} is not in the case"
        initial = initial.replace(old, new, 1)
    return initial


GARBAGE = (b"\x00\x01binary\xff\xfe junk\r\n"
           b"=a value without a key\r\n"
           b"[not closed\r\n"
           b"\x80\x81=\x82\r\n"
           b"[Eye]\r\n"
           b"Type=two\r\n"
           b"Blink=yes\r\n"
           b"BlinkInterval=12x\r\n"
           b"\r\n"
           b"a line without an equals sign\r\n")
HIGHEST = b"[Eye]\r\nType=2147483647\r\nBlink=2\r\nBlinkInterval = 2147483647\r\n"
HEX = b"[Eye]\r\nType=0x3\r\nBlink=0x0\r\nBlinkInterval=0X12c\r\n"
HUGE = (b"[Eye]\r\nType=99999999999999999999\r\nBlink=0x123456789\r\n"
        b"BlinkInterval=-99999999999999999999\r\n")
MEGABYTE_LINES = (b"[Big]\r\nValue=" + b"x" * BIG + b"\r\n; " + b"y" * BIG + b"\r\n"
                  b"[Eye]\r\nType=" + b"7" * BIG + b"\r\nBlink=0\r\n")
NO_LAST_LINE_END = b"[Eye]\r\nType=2\r\nBlink=0"
OTHERS = (b"\xef\xbb\xbf; \xe8\xa8\xad\xe5\xae\x9a \x83\x67\x83\x94\x83\x42\n"  # UTF-8 and Shift-JIS text
          b"[Window]\nLeft=10\r"  # a lone carriage return ends a line too
          b"[eye]\r\n"
          b"; Type=9 is a comment\r\n"
          b"  TYPE\t= 4 \r\n"
          b"blink=0\n"
          b"Type=5\r\n"  # a second key of a name is never read
          b"\r\n"
          b"[Other]\r\nBlinkInterval=1\r\n"
          b"[Eye]\r\nBlinkInterval=2\r\n")  # nor a second section
NO_EYE = "; トヴィの設定\r\n[Window]\r\nLeft = 10\r\n".encode()


@pytest.mark.parametrize("initial, expected, pupil_type", [
    pytest.param(GARBAGE,
                 saved(GARBAGE, (b"Type=two", b"Type=0"), (b"Blink=yes", b"Blink=1"),
                       (b"BlinkInterval=12x", b"BlinkInterval=5000")),
                 None, id="garbage"),
    pytest.param(HIGHEST, saved(HIGHEST, (b"Blink=2", b"Blink=1"),
                                (b"BlinkInterval = 2147483647", b"BlinkInterval=2147483647")),
                 NO_PUPIL, id="highest-values"),
    pytest.param(HEX, saved(HEX, (b"Type=0x3", b"Type=3"), (b"Blink=0x0", b"Blink=0"),
                            (b"BlinkInterval=0X12c", b"BlinkInterval=300")),
                 3, id="hex"),
    pytest.param(HUGE, saved(HUGE, (b"Type=99999999999999999999", b"Type=0"), (b"Blink=0x123456789", b"Blink=1"),
                             (b"BlinkInterval=-99999999999999999999", b"BlinkInterval=5000")),
                 None, id="huge-numbers"),
    pytest.param(MEGABYTE_LINES,
                 saved(MEGABYTE_LINES, (b"Type=" + b"7" * BIG, b"Type=0"),
                       (b"Blink=0\r\n", b"Blink=0\r\nBlinkInterval=5000\r\n")),
                 0, id="megabyte-lines"),
    pytest.param(NO_LAST_LINE_END, NO_LAST_LINE_END + b"\r\nBlinkInterval=5000\r\n", 2, id="no-last-line-end"),
    pytest.param(OTHERS, saved(OTHERS, (b"  TYPE\t= 4 ", b"Type=4"), (b"blink=0", b"Blink=0"),
                               (b"Type=5\r\n", b"Type=5\r\nBlinkInterval=5000\r\n")),
                 4, id="other-sections-and-comments"),
    pytest.param(NO_EYE, NO_EYE + harness.settings(), None, id="no-eye-section"),
])
def test_the_program_starts_and_saving_keeps_every_other_line(tovi, initial, expected, pupil_type):
    """pupil_type: the pupil the values read show, None where the eyes may blink all the time."""
    tovi.ini.write_bytes(initial)
    taskbar = harness.wait_taskbar()
    point = harness.gaze_centre(taskbar)[0], taskbar[1] - 300
    harness.x_move(*point)
    tovi.start()
    theta = harness.gaze_angle(taskbar, point)
    if pupil_type is None:  # the eyes may blink: only their outline shows in every frame
        harness.wait_two_eyes(tovi, taskbar)
    else:
        harness.wait_two_eyes(tovi, taskbar, harness.compose_eye(pupil_type, theta) if pupil_type != NO_PUPIL
                              else harness.compose(harness.picture("base"), None, theta))
    assert not tovi.message_boxes(), f"a message box: {tovi.message_boxes()}"
    tovi.close_and_wait()
    result = tovi.ini.read_bytes()
    at = next((i for i, (a, b) in enumerate(zip(result, expected)) if a != b), min(len(result), len(expected)))
    assert result == expected, (f"tovi.ini differs from byte {at} on: {result[at:at + 60]!r}, expected "
                                f"{expected[at:at + 60]!r} ({len(result)} bytes, expected {len(expected)})")
    assert not (tovi.folder / "tovi.ini.tmp").exists(), "the save left its temporary file"
