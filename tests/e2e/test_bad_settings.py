"""A broken tovi.ini: the program starts with what it can read, shows its
eyes, and saving at close rewrites only its own three values, every other
byte of the file as it was."""
import harness

BIG = 1 << 20
BROKEN = (b"\x00\x01binary\xff\xfe junk\r\n"
          b"=a value without a key\r\n"
          b"[not closed\r\n"
          b"\x80\x81=\x82\r\n"
          b"[Big]\r\nValue=" + b"x" * BIG + b"\r\n"
          b"[Eye]\r\n"
          b"Type=two\r\n"
          b"Blink=yes\r\n"
          b"BlinkInterval=12x\r\n"
          b"\r\n"
          b"a line without an equals sign")
SAVED = BROKEN.replace(b"Type=two", b"Type=0").replace(b"Blink=yes", b"Blink=1").replace(
    b"BlinkInterval=12x", b"BlinkInterval=5000")


def test_the_program_starts_and_saving_keeps_every_other_line(tovi):
    tovi.ini.write_bytes(BROKEN)
    tovi.start()
    harness.wait_two_eyes(tovi, harness.wait_taskbar())
    assert not tovi.message_boxes(), f"a message box: {tovi.message_boxes()}"
    tovi.close_and_wait()
    result = tovi.ini.read_bytes()
    at = next((i for i, (a, b) in enumerate(zip(result, SAVED)) if a != b), min(len(result), len(SAVED)))
    assert result == SAVED, (f"tovi.ini differs from byte {at} on: {result[at:at + 60]!r}, expected "
                             f"{SAVED[at:at + 60]!r} ({len(result)} bytes, expected {len(SAVED)})")
    assert not (tovi.folder / "tovi.ini.tmp").exists(), "the save left its temporary file"
