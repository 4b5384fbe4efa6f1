#!/usr/bin/env python3
"""Writes the seed streams of fuzz_property_stream: the eighteen stored
properties of typical controls, as the control writes them, and a few streams
the decoder must refuse. Run from the repository root after changing it."""
import pathlib
import struct

OUT = pathlib.Path(__file__).parent / "fuzz_property_stream"

STRING, SINGLE, BOOL, INT16 = 1, 2, 3, 4


def entry(key, tag, value):
    out = struct.pack("<H", len(key)) + key.encode("utf-16-le") + bytes([tag])
    if tag == STRING:
        out += struct.pack("<I", len(value.encode("utf-16-le")) // 2) + value.encode("utf-16-le")
    elif tag == SINGLE:
        out += struct.pack("<f", value)
    elif tag == BOOL:
        out += bytes([1 if value else 0])
    else:
        out += struct.pack("<h", value)
    return out


def stream(entries, version=1, flags=0, extra_length=0):
    body = b"".join(entry(*e) for e in entries)
    total = 16 + len(body) + extra_length
    return b"PZPS" + struct.pack("<HHII", version, flags, total, len(entries)) + body


def control(**values):
    """The eighteen keys in writing order, with the defaults of a fresh control."""
    props = [("BackColor", STRING, ""), ("ForeColor", STRING, ""), ("FontSize", SINGLE, 9.0),
             ("Control", STRING, ""), ("Text", STRING, ""), ("ImageURL", STRING, ""),
             ("Command", STRING, "")]
    props += [(f"Command{i}", STRING, "") for i in range(1, 10)]
    props += [("AutoSize", BOOL, True), ("Border", BOOL, True)]
    out = []
    for key, tag, value in props:
        given = values.get(key, value)
        # A (tag, value) pair stores the value under another type.
        out.append((key,) + given if isinstance(given, tuple) else (key, tag, given))
    return out


SEEDS = {
    "fresh": stream(control()),
    "empty": stream([]),
    "icon": stream(control(Control="Icon", Command="C:\\Tools\\app.exe /s")),
    "image": stream(control(Control="Image", ImageURL="http://127.0.0.1:8080/logo.gif",
                            Border=False)),
    "button": stream(control(Control="Button", Text="Open Notepad", BackColor="#FF8800",
                             ForeColor="navy", FontSize=12.5, AutoSize=False,
                             Command="notepad.exe", Command9="C:\\Windows\\notepad.exe")),
    "text-link": stream(control(Control="Text", Text="Read me", ForeColor="2147483663",
                                Command="\"C:\\Program Files\\App\\app.exe\" /s")),
    "fontsize-int16": stream(control(FontSize=(INT16, 9))),
    "fontsize-zero": stream(control(FontSize=0.0)),
    "unicode": stream(control(Control="SmallIcon", Text="\u65e5\u672c\u8a9e \u00e9",
                              Command="C:\\D\u00e9j\u00e0\\\u30c4\u30fc\u30eb.exe")),
    "bool-as-text": stream([("AutoSize", STRING, "True"), ("Border", INT16, 0),
                            ("FontSize", STRING, "&HFF")]),
    # Refused: wrong version, a length beyond the stream, cut short.
    "bad-version": stream(control(), version=2),
    "length-beyond": stream(control(), extra_length=4),
    "truncated": stream(control())[:-3],
}

if __name__ == "__main__":
    OUT.mkdir(exist_ok=True)
    for name, data in SEEDS.items():
        (OUT / name).write_bytes(data)
