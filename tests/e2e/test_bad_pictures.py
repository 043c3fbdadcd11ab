"""Pictures beside tovi.exe that are odd or broken, each set started as a
user would start the program. A set the program can use makes two eyes that
look as the pictures compose them, inside their 16 x 16 icons; any other
ends with one message box naming the file, and the program ends in order
once it is answered. Never a crash, a hang or Wine's crash reporter."""
import pytest

import harness
from fault_driving import (Pixels, answer_message, bmp_file, close_and_see_the_eyes_go, compose, gaze_point,
                           icons_in_tray, padded_bmp, program_pictures, wait_for_one_message, wait_for_two_eyes,
                           windows_folder)
from harness import EYE_SIZE, wait_until

# Still eyes: a blink would change the pictures while they are compared.
STILL = b"[Eye]\r\nType=0\r\nBlink=0\r\nBlinkInterval=5000\r\n"
MAGENTA, WHITE, INK = (255, 0, 255), (255, 255, 255), (10, 8, 8)


def rewrite_all(folder, **format):
    """Writes every picture of the program again in one format."""
    for name in program_pictures():
        (folder / f"{name}.bmp").write_bytes(bmp_file(Pixels.of(name), **format))


# --- Sets the program uses ---------------------------------------------------
# Each arranges the folder and returns the base and the pupil of the eye it should show.

def huge_base(folder):
    # The eye in the top-left corner of a 4096 x 4096 picture that is key colour everywhere else.
    base = Pixels.of("base")
    (folder / "base.bmp").write_bytes(padded_bmp(base, 4096, 4096))
    return base, Pixels.of("eye1")


def one_bit(folder):
    # Two colours each: a white disc, and a square pupil.
    disc = Pixels.from_text({".": MAGENTA, "W": WHITE}, [
        "................",
        "......WWWW......",
        "....WWWWWWWW....",
        "...WWWWWWWWWW...",
        "..WWWWWWWWWWWW..",
        "..WWWWWWWWWWWW..",
        ".WWWWWWWWWWWWWW.",
        ".WWWWWWWWWWWWWW.",
        ".WWWWWWWWWWWWWW.",
        ".WWWWWWWWWWWWWW.",
        "..WWWWWWWWWWWW..",
        "..WWWWWWWWWWWW..",
        "...WWWWWWWWWW...",
        "....WWWWWWWW....",
        "......WWWW......",
        "................"])
    pupil = Pixels.from_text({".": MAGENTA, "p": INK}, [
        ".......",
        ".ppppp.",
        ".ppppp.",
        ".ppppp.",
        ".ppppp.",
        ".ppppp.",
        "......."])
    (folder / "base.bmp").write_bytes(bmp_file(disc, bits=1))
    (folder / "eye1.bmp").write_bytes(bmp_file(pupil, bits=1))
    return disc, pupil


def four_bit_rle(folder):
    rewrite_all(folder, bits=4, rle=True)
    return Pixels.of("base"), Pixels.of("eye1")


def eight_bit_rle(folder):
    rewrite_all(folder, bits=8, rle=True)
    return Pixels.of("base"), Pixels.of("eye1")


def thirty_two_bits(folder):
    # The fourth byte of each pixel varies, as alpha would: it is no part of the colour.
    rewrite_all(folder, bits=32, alpha=lambda x, y: (x * 37 + y * 91) % 256)
    return Pixels.of("base"), Pixels.of("eye1")


def pupil_larger_than_the_eye(folder):
    # 24 x 24 rings of two colours, its centre (3, 3) as every pupil's.
    ring = [(200, 30, 30), (30, 30, 200)]
    rows = [[ring[max(abs(x - 3), abs(y - 3)) % 2] for x in range(24)] for y in range(24)]
    rows[23][0] = MAGENTA
    pupil = Pixels(rows)
    (folder / "eye1.bmp").write_bytes(bmp_file(pupil))
    return Pixels.of("base"), pupil


def odd_sized_caps(folder):
    """Eyelid frames smaller and larger than the eye in place of cap1 and
    cap3; returns every frame by number."""
    lid = (238, 190, 152)
    small = Pixels([[lid] * 8 for _ in range(5)] + [[MAGENTA] + [lid] * 7])
    large = Pixels([[lid] * 30 for _ in range(23)] + [[MAGENTA] + [lid] * 29])
    (folder / "cap1.bmp").write_bytes(bmp_file(small))
    (folder / "cap3.bmp").write_bytes(bmp_file(large))
    caps = {n: Pixels.of(f"cap{n}") for n in range(1, harness.cap_count() + 1)}
    caps.update({1: small, 3: large})
    return caps


def gap_in_series(folder):
    # A series ends at its first missing number: what stands beyond a gap is
    # never read, so broken files there do no harm, and pupil type 3 (eye4) has no picture.
    (folder / "cap3.bmp").unlink()
    (folder / "cap4.bmp").write_bytes(b"not a picture")
    (folder / "eye3.bmp").unlink()
    (folder / "eye4.bmp").write_bytes(b"not a picture")
    (folder / "tovi.ini").write_bytes(STILL.replace(b"Type=0", b"Type=3"))
    return Pixels.of("base"), None


@pytest.mark.parametrize("arrange", [
    pytest.param(huge_base, id="4096x4096-base"),
    pytest.param(one_bit, id="1-bit"),
    pytest.param(four_bit_rle, id="4-bit-rle"),
    pytest.param(eight_bit_rle, id="8-bit-rle"),
    pytest.param(thirty_two_bits, id="32-bit"),
    pytest.param(pupil_larger_than_the_eye, id="pupil-larger-than-the-eye"),
    pytest.param(gap_in_series, id="gap-in-series"),
])
def test_usable_pictures_make_two_eyes_as_composed(tovi, arrange):
    tovi.ini.write_bytes(STILL)
    base, pupil = arrange(tovi.folder)
    taskbar = wait_until(harness.taskbar_rect, "Wine's task bar")
    point = gaze_point(taskbar)
    harness.x_move(*point)
    tovi.start()
    expected = compose(base, pupil, harness.gaze_angle(taskbar, point))
    wait_for_two_eyes(tovi, taskbar, expected)
    assert not tovi.message_boxes(), f"a message box: {tovi.message_boxes()}"
    assert close_and_see_the_eyes_go(tovi, taskbar, expected) == 0


def test_eyelids_of_other_sizes_blink_within_the_icon(tovi):
    tovi.ini.write_bytes(b"[Eye]\r\nType=0\r\nBlink=1\r\nBlinkInterval=300\r\n")
    caps = odd_sized_caps(tovi.folder)
    base, pupil = Pixels.of("base"), Pixels.of("eye1")
    taskbar = wait_until(harness.taskbar_rect, "Wine's task bar")
    point = gaze_point(taskbar)
    harness.x_move(*point)
    tovi.start()
    theta = harness.gaze_angle(taskbar, point)
    open_eye = compose(base, pupil, theta)
    eyes = wait_for_two_eyes(tovi, taskbar, open_eye)
    # The task bar paints an icon in steps (background, then the mask in
    # black, then the picture); a fast watch sees them in between.
    looks = [("open", open_eye)] + [(n, compose(base, pupil, theta, cap)) for n, cap in caps.items()]
    looks += [("drawing", [[None] * EYE_SIZE] * EYE_SIZE),
              ("drawing", [[None if p is None else (0, 0, 0) for p in row] for row in open_eye])]
    (left, top), (right, _) = eyes
    with harness.ScreenWatch((left, top, right + EYE_SIZE, top + EYE_SIZE), 2000) as watch:
        watch.wait_started()
        frames = watch.finish()
    background = harness.background_colour(harness.desktop_screenshot(), taskbar)
    shown = set()
    for frame in frames:
        for corner in eyes:
            icon = frame.icon(corner)
            look = next((name for name, want in looks if not harness.icon_differences(icon, want, background)), None)
            assert look is not None, f"the eye at {corner} showed, at {frame.t} ms, a picture no frame makes:\n" + \
                "\n".join(harness.icon_text(icon, background))
            shown.add(look)
    # Blinks every 300 ms for 2 s: a sample can miss a frame of one blink, hardly the same one in all.
    assert shown >= {"open", *caps}, f"the eyes showed only {sorted(map(str, shown))}"
    assert tovi.close(), "no main window to close"
    assert tovi.wait_exit() == 0


def test_a_one_pixel_base_makes_two_transparent_icons(tovi):
    # The base's one pixel is its key colour: the icons are there and show nothing.
    tovi.ini.write_bytes(STILL)
    (tovi.folder / "base.bmp").write_bytes(bmp_file(Pixels([[MAGENTA]])))
    tovi.start()
    tovi.wait_main_window()
    taskbar = wait_until(harness.taskbar_rect, "Wine's task bar")
    assert icons_in_tray(taskbar) == 2, "the notification area does not hold two icons"
    # The right half of the task bar, where the icons are, shows its background only
    # (once the other program's icons have gone).
    right_half = (harness.gaze_centre(taskbar)[0], taskbar[1], taskbar[2], taskbar[3])
    wait_until(lambda: len(harness.desktop_screenshot().crop(right_half).getcolors()) == 1,
               "nothing but the task bar's background where the transparent icons are", details=tovi.describe)
    assert tovi.running() and not tovi.message_boxes()
    assert tovi.close(), "no main window to close"
    assert tovi.wait_exit() == 0


# --- Sets the program cannot use ---------------------------------------------------

def delete(path):
    path.unlink()


def empty(path):
    path.write_bytes(b"")


def text_file(path):
    path.write_bytes(b"This is not a picture.\r\n")


def truncated(path):
    # Headers whole, half the pixels gone.
    data = bmp_file(Pixels.of(path.stem))
    path.write_bytes(data[:len(data) - (len(data) - 54) // 2])


def zero_by_zero(path):
    path.write_bytes(bmp_file(Pixels([]), size=(0, 0)))


MISSING, UNREADABLE = "が見つかりません", "はビットマップとして読み込めません"


@pytest.mark.parametrize("file_name, spoil, problem", [
    pytest.param("base.bmp", delete, MISSING, id="missing-base"),
    pytest.param("base.bmp", empty, UNREADABLE, id="empty-base"),
    pytest.param("base.bmp", truncated, UNREADABLE, id="truncated-base"),
    pytest.param("cap1.bmp", text_file, UNREADABLE, id="text-file-as-cap1"),
    pytest.param("base.bmp", zero_by_zero, UNREADABLE, id="0x0-base"),
    pytest.param("eye2.bmp", truncated, UNREADABLE, id="truncated-eye2"),
])
def test_unusable_pictures_end_with_one_message_naming_the_file(tovi, file_name, spoil, problem):
    spoil(tovi.folder / file_name)
    tovi.start()
    box = wait_for_one_message(tovi)
    assert box["title"] == "Tovi"
    expected = f"{windows_folder(tovi)}{file_name} {problem}"
    assert box["texts"] == [expected], f"the message should read {expected!r}"
    answer_message(tovi, box)
    # The main form never came into being: the program says so in its exit code.
    assert tovi.wait_exit() == 1
