#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: the edge cases of each part, in each target's input format."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SJIS = b"\x03"            # double-byte, the usual Shift-JIS lead ranges
NONE = b"\x00"            # no double-byte support


def write(target, name, data):
    directory = os.path.join(HERE, "corpus", target)
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, name), "wb") as out:
        out.write(data)


SPLIT_LINES = [
    b'prog a"b c"d', b'prog a "" b', b'prog ""x y', b'prog a""b', b'prog "a""b"', b'prog "abc',
    b'prog \\"x\\" y', b'"C:\\Program Files\\p.exe" text=hi caption="a b"', b'prog "', b'prog """',
    b'prog "" ""', b'prog " "', b'prog"x y"', b"prog  \t x", b"prog \x7fa\x80b\x01c", b"",
    b"C:\\a\\\x95\\ C:prog.exe dir/prog.exe C:\\dir\\ x\\\x81\\\x81\\y",
]


def argument_splitting():
    for i, line in enumerate(SPLIT_LINES):
        write("argument-splitting", "line-%02d" % i, NONE + b"\0\0\0\0" + line)
        write("argument-splitting", "line-%02d-sjis" % i, SJIS + b"\0\0\0\0" + line)
    # Lead bytes from the input: a single range 0x81..0x81 (the high bit is always set).
    write("argument-splitting", "one-lead", b"\x01\x81\x81\x00\x00" + b"prog A\x81\\ \x81\x81\\")


COMMA_TEXTS = [
    b"lib.dll,3", b"a, b", b"a ,b", b"a b", b"my lib.dll,3", b"a,,b", b",a", b"a,", b",", b"", b"  \t ",
    b'"a, b",c', b'"say ""hi"""', b'""', b'"ab"cd', b'"unclosed', b'"a""', b"\x81,x,y", b'x\x81"y,"z"',
]


def comma_list():
    for i, text in enumerate(COMMA_TEXTS):
        write("comma-list", "text-%02d" % i, NONE + b"\0" * 6 + text)
        write("comma-list", "text-%02d-sjis" % i, SJIS + b"\0" * 6 + text)
    # A quote and a blank among the lead bytes, with old lines to clear first.
    write("comma-list", "odd-leads", b"\x31\x22\x22\x20\x20\x00\x00" + b' "a"" b",c')
    # Found by fuzzing: a quote that is itself a lead byte still opens, doubles and closes.
    write("comma-list", "quote-is-lead", bytes.fromhex("692222402222e3") + b'\x10""""""""""$b')


INT_TEXTS = [
    b"12", b"   12", b"12 ", b"\t12", b"+5", b"-0", b"0", b"000", b"007", b"2147483647", b"2147483648",
    b"-2147483648", b"-2147483649", b"$FFFFFFFF", b"$80000000", b"$100000000", b"$000000010", b"0x10",
    b"0X10", b"x10", b"X10", b"$10", b"$1f", b"-$10", b"-0x10", b"+0x10", b"$", b"0x", b"x", b"-", b"+",
    b"$1G", b"1e3", b"1.0", b"12abc", b"", b"   ", b"00000000000000000002147483647", b"1\x002",
]


def int_or_default():
    for i, text in enumerate(INT_TEXTS):
        write("int-or-default", "text-%02d" % i, b"\x80\x00\x00\x2a" + text)


def ops(*steps):
    return b"".join(steps)


def text(data):
    return bytes([len(data)]) + data


def name(data):
    return b"\xff" + text(data)  # a pick past the usual names: the name follows as a text


APPEND, REPLACE, REMOVE, CLEAR, LINE_AT, FIND, VALUE, STORE, COPY = range(9)


def option_list():
    write("option-list", "lookups", b"\x00" + ops(
        bytes([APPEND]), text(b"text=A"), bytes([APPEND]), text(b"TEXT=B"),
        bytes([FIND, 0]), bytes([VALUE, 1]), bytes([APPEND]), text(b"=text"),
        bytes([APPEND]), text(b"text =A"), bytes([FIND]), name(b"text "), bytes([COPY])))
    write("option-list", "store", b"\x00" + ops(
        bytes([APPEND]), text(b"Caption="), bytes([APPEND]), text(b"mode=8"),
        bytes([STORE, 2, 0]), text(b"T"), bytes([STORE, 2, 1]), bytes([STORE, 2, 1]), bytes([VALUE, 2])))
    write("option-list", "bad-indexes", b"\x00" + ops(
        bytes([LINE_AT, 0]), bytes([APPEND]), text(b"x"), bytes([LINE_AT, 0]), bytes([LINE_AT, 1]),
        bytes([REPLACE, 2]), text(b"y"), bytes([REMOVE, 5]), bytes([LINE_AT, 3])))
    growth = b"".join(bytes([APPEND]) + text(b"a=%d" % i) for i in range(90))
    write("option-list", "growth", b"\x00" + growth + bytes([REMOVE, 3, CLEAR, APPEND]) + text(b"b"))
    write("option-list", "double-byte", b"\x01" + ops(
        bytes([APPEND]), text(b"\x81=x=1"), bytes([FIND]), name(b"\x81=x"), bytes([VALUE]), name(b"\x81=x")))
    write("option-list", "soft-hyphen", b"\x02" + ops(
        bytes([APPEND]), text(b"te\xadxt=A"), bytes([FIND, 0]), bytes([VALUE, 5]), bytes([STORE, 5, 0]), text(b"B")))


def header(flags=0, channels=0, fail_write=0, box=1, fail_allocation=0, title=0):
    return bytes([flags, channels, fail_write, box, fail_allocation, title])


RUNS = [
    ("typical", header(box=4), b'prog text="Disk is full" caption=Backup icon=16 button=5'),
    ("no-arguments", header(), b"prog"),
    ("no-arguments-console", header(channels=1), b"prog"),
    ("caption-only", header(), b"prog caption=Hi"),
    ("empty-text", header(), b"prog text="),
    ("bad-after", header(), b"prog text=Hi oops"),
    ("bad-first", header(), b"prog oops text=Hi"),
    ("first-wins", header(), b"prog TEXT=A text=B"),
    ("caption-fallback", header(title=1), b"prog text=Hi caption= caption=X"),
    ("empty-title", header(flags=2), b"prog text=Hi caption= caption=X"),
    ("long-title", header(title=2), b"prog text=Hi"),
    ("double-byte-title", header(flags=1, title=3), b"prog text=Hi"),
    ("service", header(channels=128), b"prog text=Hi mode=4"),
    ("hide", header(), b"prog text=Hi mode=1"),
    ("icon-name", header(), b"prog text=Hi mode=8 icon=lib.dll,APPICON"),
    ("icon-number", header(), b"prog text=Hi mode=24 icon=lib.dll,3"),
    ("icon-bad-number", header(), b"prog text=Hi mode=24 icon=lib.dll,abc"),
    ("icon-blank", header(), b'prog text=Hi mode=24 icon="C:\\Program Files\\lib.dll,3"'),
    ("icon-one-item", header(), b"prog text=Hi mode=8 icon=lib.dll"),
    ("icon-none", header(), b"prog text=Hi mode=8 icon="),
    ("box-failed", header(box=0), b"prog text=Hi"),
    ("box-failed-console-write", header(channels=1, fail_write=1, box=0), b"prog text=Hi mode=1"),
    ("stdout-unusable", header(flags=4), b"prog"),
    ("stdout-unknown-type", header(channels=3), b"prog caption=x"),
    ("stdin-unusable", header(flags=8), b"prog"),
    ("stdin-broken-pipe", header(channels=16 | 8), b"prog"),
    ("stdin-read-fails", header(channels=32 | 8), b"prog"),
    ("write-fails", header(fail_write=1), b"prog caption=x"),
    ("writes-all-fail", header(flags=32, channels=1, fail_write=1), b"prog text=Hi oops"),
    ("out-of-memory", header(fail_allocation=3), b"prog text=Hi caption=x"),
    ("long-text", header(), b"prog text=" + b"t" * 1100 + b" caption=" + b"c" * 1100),
    ("double-byte-cut", header(flags=1), b"prog text=x" + b"\x81\x40" * 520),
    ("region-free", header(flags=64), b"prog text=Hi mode=8 icon=x.dll"),
    # Found by fuzzing: a box may answer with 9 or 8 as well, which is then the exit code.
    ("box-answers-nine", header(box=9), b'"t=og text=Hi'),
]


def whole_run():
    for name_, head, line in RUNS:
        write("whole-run", name_, head + line)


def glyph_wrap():
    texts = [
        (7, 10, b"one two three"), (4, 10, b"a\tb\r\nc\rd\n\n"), (1, 10, "日日日e\u0301".encode()),
        (3, 10, b"\xc0\x80\xed\xa0\x80\xf4\x90\x80\x80\xc2\x9b\xe0\x9f"), (2, 10, b"\n    x  \n  y"),
        (0, 10, b"xy"), (5, 1, b"a\nb\nc"), (5, 0, b"a"), (5, 10, b""),
        (6, 10, "「日本語。」well-known 1-2\u00a0x\u200by".encode()),
        (3, 10, "a\U0001F468\u200d\U0001F469\U0001F1EB\U0001F1F7\U0001F1EB\U0001F44D\U0001F3FD".encode()),
    ]
    for i, (width, limit, text) in enumerate(texts):
        write("glyph-wrap", "text-%02d" % i, bytes([width, limit]) + text)


def terminal_keys():
    for i, keys in enumerate([b"\r \t\x03yY\x7f\x00", b"\x1b[1;5C\x1b[Z\x1bOA\x1bOM\x1b[15~\x1b[A",
                              b"\x1b\x1b\x1bx\x1b[", b"\x1b[" + b"1;" * 40 + b"C", b"\x1b[1\x01\x1bO",
                              b"\xc3\xa9\x1b"]):
        write("terminal-keys", "keys-%02d" % i, keys)


def draw(style, choices, rows, columns, caption, text):
    return bytes([style, choices]) + rows.to_bytes(2, "big") + columns.to_bytes(2, "big") + bytes([len(caption)]) + caption + text


ICON, ALTERNATE, ASCII, AGAIN = 1, 8, 16, 32  # icon 1..5 in the choices' low bits


def terminal_draw():
    boxes = [
        ("typical", draw(0x13, ICON, 23, 79, b"Backup", b"Disk is full.\nRetry?")),
        ("alternate-ascii", draw(0x06, 4 | ALTERNATE | ASCII, 23, 79, b"Caption", b"Short")),
        ("one-cell", draw(0x02, ICON | ALTERNATE, 0, 0, b"C", b"One cell")),
        ("tiny", draw(0x03, 3 | AGAIN, 2, 11, b"Tiny", b"Tiny screen")),
        ("controls", draw(0x01, 0, 23, 39, b"\x1b]0;x\x07\x9b", b"\x1b[2J\x9b\xc2\x9b\x07\tx\r\n\x7f\x1b")),
        ("cut", draw(0x04, 2, 4, 29, b"", b"a\nb\nc\nd\ne\nf\ng")),
        ("wide-caption", draw(0x05, ALTERNATE, 9, 29, "日本語のキャプションはとても長い".encode(), "e\u0301日本".encode())),
        ("malformed-caption", draw(0x00, ASCII, 9, 40, b"\xff\xc3(\t", b"\xe2\x80")),
    ]
    for name_, data in boxes:
        write("terminal-draw", name_, data)


def window(scale, line, width, height, choices, labels, caption, text):
    return (bytes([scale, line]) + width.to_bytes(2, "big") + height.to_bytes(2, "big") + bytes([choices] + labels) +
            caption.to_bytes(2, "big") + text)


def window_layout():
    words, lines = b"word " * 200, b"line\n" * 200
    layouts = [
        ("typical", window(36, 15, 1216, 736, 4 | 2, [24, 36, 32], 120, b"Disk is full.\tRetry?")),
        ("paragraph", window(36, 15, 1216, 736, 4, [24, 36, 32], 0, words)),
        ("cut", window(255, 100, 1216, 736, 1, [24, 36, 32], 0, lines)),
        ("tiny-screen", window(255, 159, 0, 0, 4 | 2, [255, 255, 255], 4999, b"x")),
        ("long-caption", window(0, 0, 7936, 7936, 0, [0, 0, 0], 4999, "日本".encode())),
        # 640 x 480 at 192 DPI, mirrored and right-aligned, three wide labels
        ("mirrored-small-screen", window(73, 31, 576, 416, 4 | 8 | 16 | 2, [126, 126, 126], 0, "שלום עולם".encode())),
        # one button squeezed on a screen narrower than the icon and its margins
        ("squeezed-buttons", bytes.fromhex("ff9f00000006ffffff138778")),
    ]
    for name_, data in layouts:
        write("window-layout", name_, data)


# Indexes into the target's table of codesets.
UTF8, C, ISO8859_15, TSCII, CN_EXT, ISO2022_JP, EUC_JP, UTF7, UCS4, UNKNOWN = 1, 0, 5, 6, 7, 9, 16, 25, 27, 38


def locale_to_utf8():
    texts = [
        ("utf8-malformed", UTF8, 64, b"caf\xc3\xa9 \xff\xc0\x80"), ("c-passes", C, 3, b"\xe6\x97\xa5\xe6"),
        ("latin9", ISO8859_15, 2, b"\xa4 caf\xe9"), ("euc-jp", EUC_JP, 64, b"\xc6\xfc\xff\xc6"),
        ("iso-2022-jp", ISO2022_JP, 64, b"\x1b$B$3\x1b(B x \x1b$B"), ("utf-7", UTF7, 64, b"+AGE- +ZeVnLKeq-+"),
        ("ucs-4", UCS4, 64, b"\x00\x00\x00A\x00\x00"), ("unknown-set", UNKNOWN, 5, b"ab\xe9c"),
        # Found by fuzzing: one TSCII byte can stand for three characters, more than the room allows.
        ("tscii-overflow", TSCII, 64, bytes.fromhex("82a08282")),
        # Found by fuzzing: a shift-out the converter takes and then refuses, at the end of the text.
        ("iso-2022-cn-ext-shift-out", CN_EXT, 64, b"AA\x0e"),
    ]
    for name_, codeset, room, text in texts:
        write("locale-to-utf8", name_, bytes([codeset, room]) + text)


CARDINAL, STRING, UTF8_STRING, COMPOUND_TEXT, ATOM = range(5)
F0, F8, F16, F32, F_ODD = 0, 1, 2, 3, 0xF5  # the format choices; the last gives format 6
LOCALE_UTF8, LOCALE_LATIN1, LOCALE_EUC_JP = 0, 1, 2


def prop(kind, fmt, count, room, locale, host, data):
    return bytes([kind, fmt]) + count.to_bytes(2, "big") + bytes([room, locale, host]) + data


def window_properties():
    pid = (1234).to_bytes(8, "little")
    props = [
        ("pid", prop(CARDINAL, F32, 1, 8, 0, 0, pid)), ("pid-two", prop(CARDINAL, F32, 2, 8, 0, 0, pid * 2)),
        ("pid-too-big", prop(CARDINAL, F32, 1, 8, 0, 0, (1 << 23).to_bytes(8, "little"))),
        ("pid-short", prop(CARDINAL, F16, 1, 8, 0, 0, b"\x01\x02")),
        ("host", prop(STRING, F8, 6, 8, 0, 6, b"myhost")), ("host-prefix", prop(STRING, F8, 6, 8, 0, 4, b"myhost")),
        ("title-utf8", prop(UTF8_STRING, F8, 16, 10, LOCALE_UTF8, 0, "Terminal \u2014 bash".encode())),
        ("title-latin1", prop(STRING, F8, 5, 4, LOCALE_LATIN1, 0, b"caf\xe9!")),
        ("title-euc", prop(UTF8_STRING, F8, 6, 64, LOCALE_EUC_JP, 0, "日本".encode())),
        ("title-compound", prop(COMPOUND_TEXT, F8, 5, 64, LOCALE_UTF8, 0, b"a\x1b-Ab")),
        ("title-room-0", prop(STRING, F8, 3, 0, LOCALE_UTF8, 0, b"abc")),
        ("odd-format", prop(UTF8_STRING, F_ODD, 3, 64, LOCALE_UTF8, 0, b"abc")),
        # _GTK_WORKAREAS_Dn for two monitors, and _NET_WORKAREA for four desktops (the fourth too big)
        ("work-areas", prop(CARDINAL, F32, 8, 8, 0, 1, b"".join(n.to_bytes(8, "little") for n in
                                                                 (0, 0, 1280, 800, 1380, 0, 1180, 700)))),
        ("desktop-work-areas", prop(CARDINAL, F32, 16, 8, 0, 3, b"".join(n.to_bytes(8, "little") for n in
                                                                           (0, 30, 2560, 770) * 3 + (0, 0, 1 << 40, 5)))),
        ("no-property", prop(STRING, F0, 7, 64, LOCALE_UTF8, 0, b"")), ("atom", prop(ATOM, F32, 1, 64, 0, 0, pid)),
    ]
    for name_, data in props:
        write("window-properties", name_, data)


LABELS = ["&Ja".encode(), "はい(&Y)".encode(), b"R&&D", b"&&&", b"&", b"a&", b"&a&b", "&é".encode(), b"O\tK",
          b"two\nlines", b"\xff&x", b"", b"x" * 63, b"&" + b"x" * 62, "é".encode() * 40, b"\x1b[2J&c"]


def button_labels():
    for i, label in enumerate(LABELS):
        write("button-labels", "label-%02d" % i, bytes([i % 7]) + label)


def xsettings_property(settings, big=False, serial=7, count=None):
    """An XSETTINGS property: (name, value) pairs, an int value an integer, bytes a string, a tuple a colour."""
    order = ">" if big else "<"

    def pad(data):
        return data + b"\0" * (-len(data) % 4)

    out = bytes([1 if big else 0, 0, 0, 0]) + struct.pack(order + "II", serial, len(settings) if count is None else count)
    for name, value in settings:
        kind = 0 if isinstance(value, int) else 2 if isinstance(value, tuple) else 1
        out += bytes([kind, 0]) + struct.pack(order + "H", len(name)) + pad(name) + struct.pack(order + "I", 3)
        if kind == 0:
            out += struct.pack(order + "i", value)
        elif kind == 1:
            out += struct.pack(order + "I", len(value)) + pad(value)
        else:
            out += struct.pack(order + "4H", *value)
    return out


def xsettings():
    desktop = [(b"Net/ThemeName", b"Adwaita-dark"), (b"Xft/DPI", 98304), (b"Xft/Antialias", 0),
               (b"Xft/Hinting", 1), (b"Xft/HintStyle", b"hintfull"), (b"Xft/RGBA", b"rgb"),
               (b"Xft/lcdfilter", b"lcddefault"), (b"Gtk/FontName", b"Cantarell Bold 11"),
               (b"Gtk/CursorThemeSize", 24), (b"Gtk/ColorScheme", (1, 2, 3, 4)),
               (b"Gtk/ApplicationPreferDarkTheme", 1)]
    whole = xsettings_property(desktop)
    props = [
        ("desktop", whole), ("desktop-msb", xsettings_property(desktop, big=True)),
        ("cut-short", whole[:len(whole) // 2]), ("header-only", whole[:12]), ("too-short", whole[:11]),
        ("count-too-high", xsettings_property(desktop[:2], count=0xFFFFFFFF)),
        ("unset-values", xsettings_property([(b"Xft/DPI", -1), (b"Xft/Antialias", -1), (b"Xft/Hinting", 2)])),
        ("string-too-long", xsettings_property([(b"Gtk/FontName", b"Sans 10")])[:-8] + b"\xff\xff\xff\x7fSans"),
        ("name-too-long", bytes(whole[:12]) + b"\x01\x00\xff\xff" + b"Net/"),
        ("unknown-type", xsettings_property([(b"Net/ThemeName", b"Dark:dark")]).replace(b"\x01\x00\x0d", b"\x09\x00\x0d")),
        ("bad-order", b"\x02" + whole[1:]),
        ("light-after-dark", xsettings_property([(b"Net/ThemeName", b"Adwaita-dark"), (b"Net/ThemeName", b"Adwaita")])),
    ]
    for name_, data in props:
        write("xsettings", "property-" + name_, b"\x00\x00" + data)
    for i, text in enumerate([b"Cantarell 11", b"DejaVu Sans Bold Italic 9.5", b"Noto Sans, Sans 10", b"Sans 1000",
                              b"  Ubuntu   ", b"12", b"Bold", b"Fira\x01Sans 10", b"Sans 10px", b"A" * 90 + b" 10"]):
        write("xsettings", "font-name-%02d" % i, b"\x01" + bytes([63]) + text)
    for setting, value in enumerate([b"off", b"yes", b"hintslight", b"vbgr", b"lcdlegacy", b"3", b"7", b"", b"on\0f"]):
        write("xsettings", "resource-%02d" % setting, b"\x02" + bytes([setting]) + value)


if __name__ == "__main__":
    argument_splitting()
    comma_list()
    int_or_default()
    option_list()
    whole_run()
    glyph_wrap()
    terminal_keys()
    terminal_draw()
    window_layout()
    locale_to_utf8()
    window_properties()
    button_labels()
    xsettings()
