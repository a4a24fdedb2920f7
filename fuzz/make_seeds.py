#!/usr/bin/python3
"""Writes the seed corpus of the fuzz targets into the folder given as argv[1].

Seeds come from independent writers (the ffmpeg command and mutagen) and from
hand-built byte layouts that reach the corners of each parser.
"""
import os
import random
import struct
import subprocess
import sys
import tempfile

from mutagen.id3 import APIC, COMM, ID3, TALB, TCON, TIT2, TPE1, TRCK, TYER
from mutagen.oggvorbis import OggVorbis

OUT = sys.argv[1]


def put(target, name, data):
    folder = os.path.join(OUT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def tone(path):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=0.5",
                    path], check=True)


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3_frame(fid, body, version=3):
    size = syncsafe(len(body)) if version == 4 else struct.pack(">I", len(body))
    return fid + size + b"\0\0" + body


def id3_tag(frames, version=3, padding=0):
    body = frames + b"\0" * padding
    return b"ID3" + bytes([version, 0, 0]) + syncsafe(len(body)) + body


def id3_seeds(work):
    mp3 = os.path.join(work, "tone.mp3")
    for version, encoding in ((3, 1), (4, 3), (3, 0)):
        tone(mp3)
        tag = ID3()
        tag.add(TIT2(encoding=encoding, text="Tïtle"))
        tag.add(TPE1(encoding=encoding, text="Ärtist"))
        tag.add(TALB(encoding=encoding, text="Album"))
        tag.add(TCON(encoding=encoding, text="(13)"))
        tag.add(TRCK(encoding=encoding, text="1/9"))
        tag.add(COMM(encoding=encoding, lang="eng", desc="d", text="comment"))
        tag.add(APIC(encoding=encoding, mime="image/png", type=3, desc="", data=bytes(300)))
        if version == 3:
            tag.add(TYER(encoding=encoding, text="1999"))
        tag.save(mp3, v2_version=version)
        with open(mp3, "rb") as f:
            put("fuzz_id3v2", "mutagen-v2%d-enc%d.mp3" % (version, encoding), f.read(2048))
    put("fuzz_id3v2", "hand-latin1.mp3", id3_tag(
        id3_frame(b"TIT2", b"\0word\0\0") + id3_frame(b"TIT2", b"\0second")
        + id3_frame(b"COMM", b"\0eng\0text") + id3_frame(b"TPE1", b"\0" + b"a" * 299), 3, 40) + b"\xff\xfb")
    put("fuzz_id3v2", "hand-utf16be.mp3", id3_tag(
        id3_frame(b"TALB", b"\x02" + "Æon".encode("utf-16-be"), 4)
        + id3_frame(b"TIT2", b"\x01\xfe\xff" + "Big".encode("utf-16-be"), 4), 4, 10))
    put("fuzz_id3v2", "zero-frames.mp3", id3_tag(b"", 3, 64))
    # ID3v2.2, unsynchronised tags and comments of player data, as the tag
    # samples of the tests hold them (mutagen and hand-laid bytes)
    samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "tags", "samples")
    for name in sorted(os.listdir(samples)):
        if name.endswith(".mp3"):
            with open(os.path.join(samples, name), "rb") as f:
                put("fuzz_id3v2", "sample-" + name, f.read(4096))
    v22 = b"TT2\0\0\x06\0Title" + b"COM\0\0\x0d\0engiTunX\0text" + b"\0" * 12
    put("fuzz_id3v2", "hand-v22.mp3", b"ID3\2\0\0" + syncsafe(len(v22)) + v22)
    stored = b"\0\xff\0\xff\0\xe0A"  # "\0 FF FF E0 A" with two zero bytes put in
    v24 = b"TIT2" + syncsafe(4 + len(stored)) + b"\0\x03" + syncsafe(5) + stored + id3_frame(b"TPE1", b"\0x", 4)
    put("fuzz_id3v2", "hand-v24-unsync.mp3", id3_tag(v24, 4, 8))
    v23 = b"TIT2\0\0\0\x06\0\0" + b"\x01\xff\xfe\xff\0\0\0" + b"\0" * 11  # UTF-16 "ÿ", unsynchronised
    put("fuzz_id3v2", "hand-v23-unsync.mp3", b"ID3\3\0\x80" + syncsafe(len(v23)) + v23)


ASF_HEADER = bytes.fromhex("D129E2D6DA35D111903400A0C90349BE")
ASF_DESCRIPTION = bytes.fromhex("D529E2D6DA35D111903400A0C90349BE")


def wma_entry(kind, name, value):
    return (bytes([kind]) + b"\0" * 4 + struct.pack("<HH", len(name), len(value))
            + name.encode("utf-16-le") + value.encode("utf-16-le"))


def wma_object(guid, body):
    return guid + struct.pack("<q", 24 + len(body)) + body


def wma_file(objects):
    return ASF_HEADER + struct.pack("<q", len(objects)) + objects


def wma_seeds(work):
    entries = [wma_entry(1, "", "Author"), wma_entry(2, "", "Title"), wma_entry(3, "", "(c)"),
               wma_entry(4, "", "Description"), wma_entry(100, "WM/Year", "2001"),
               wma_entry(101, "wm/track", "7"), wma_entry(102, "WM/AlbumTitle", "Album")]
    description = wma_object(ASF_DESCRIPTION, struct.pack("<H", len(entries)) + b"".join(entries))
    other = wma_object(bytes(range(16)), b"\x55" * 32)
    put("fuzz_wma_header", "description.wma", wma_file(other + description))
    put("fuzz_wma_header", "long-value.wma", wma_file(wma_object(
        ASF_DESCRIPTION, struct.pack("<H", 2) + wma_entry(4, "", "v" * 600) + wma_entry(2, "", "after"))))
    put("fuzz_wma_header", "zero-size.wma", wma_file(description + bytes(range(16)) + struct.pack("<q", 0)))
    wma = os.path.join(work, "tone.wma")
    tone(wma)
    with open(wma, "rb") as f:
        put("fuzz_wma_header", "ffmpeg-head.wma", f.read(1024))


def escaped(text):
    # FuzzedDataProvider ends a random-length string at a backslash followed by
    # another character.
    return text.replace(b"\\", b"\\\\") + b"\\n"


def comment_seeds():
    comments = [b"TITLE=First", b"title=Second", b"ARTIST=", b"no equals", b"ti~tle=x",
                b"album=Caf\xc3\xa9", b"COMMENT=  spaced  ", b"description=other", b"\xff\xfe=bad"]
    put("fuzz_vorbis_comments", "mixed", b"".join(escaped(c) for c in comments))
    put("fuzz_vorbis_comments", "long", escaped(b"genre=" + b"g" * 400) + escaped(b"=") + escaped(b""))


def ogg_seeds(work):
    ogg = os.path.join(work, "tone.ogg")
    tone(ogg)
    tags = OggVorbis(ogg)
    tags["TITLE"] = ["Élégie"]
    tags["artist"] = ["Björk"]
    tags["comment"] = ["x" * 300]
    tags.save()
    with open(ogg, "rb") as f:
        data = f.read()
    # The target's last byte chooses raw bytes (0) or packets to paginate (1).
    put("fuzz_ogg_headers", "mutagen.ogg", data[:8192] + b"\0")
    put("fuzz_ogg_headers", "cut-in-headers.ogg", data[:200] + b"\0")
    junk = bytes(random.Random(1).getrandbits(8) for _ in range(300))
    put("fuzz_ogg_headers", "junk-then-ogg.ogg", junk + data[:6000] + b"\0")
    packets = vorbis_header_packets(data)
    put("fuzz_ogg_headers", "header-packets", b"".join(escaped(p) for p in packets) + b"\0\1\0" + b"\1\2\3\4\1")


def vorbis_header_packets(data):
    """The first three packets of an Ogg stream, joined across pages."""
    packets, current, at = [], b"", 0
    while at + 27 <= len(data) and len(packets) < 3:
        segments = data[at + 26]
        lacing = data[at + 27:at + 27 + segments]
        body = at + 27 + segments
        for size in lacing:
            current += data[body:body + size]
            body += size
            if size < 255:
                packets.append(current)
                current = b""
        at = body
    return packets[:3]


def name_seeds():
    titles = [b"Live: Part 1/2", b"../../etc/x", b"..", b" . . ", b"line\none\ttab", b"\xc3\xa9" * 250,
              b"\xf0\x9d\x84\x9e" * 100, b".intro.wma", b"Mr. Jones", b"AC/DC\0/music/AC.mp3",
              b"..\0/music/...", b"\0/music/take.flac", b"\xff\xfe bad utf-8 \x80"]
    for number, title in enumerate(titles):
        put("fuzz_piece_names", "title-%02d" % number, title)


def settings_seeds():
    put("fuzz_settings_file", "plain.ini",
        b"[Main]\nDir=/home/u/Music/\nSkinFlag=1\n[Function]\nChoice=2\n[wma]\nformat=9\n")
    put("fuzz_settings_file", "odd.ini",
        b"\xef\xbb\xbf[main]\r\ndir = x\r\n[MAIN]\nDir=second\n[wma\nformat=$1F\n=\n[]\nkey\n")
    put("fuzz_settings_file", "long-line.ini", b"[Main]\nDir=" + b"d" * 70000 + b"\n[wma]\nformat=0x2E\n")


def list_seeds():
    samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "samples")
    for name in sorted(os.listdir(samples)):
        if name.endswith(".korvex"):
            with open(os.path.join(samples, name), "rb") as f:
                put("fuzz_list_file", name, f.read())
    put("fuzz_list_file", "whole.korvex", b"""{"format": "Korvex job list", "version": 1,
 "settings": {"mode": "unify", "piece_seconds": 30, "piece_count": 4, "fade_in": true, "fade_in_seconds": 3,
              "fade_out": false, "fade_out_seconds": 5, "edge_ms": 20, "output_folder": "/o/", "format": "flac"},
 "entries": [{"file": "../up/a.ogg", "segments": [{"begin_ms": 0, "end_ms": 1500, "title": "x\u00e9"},
                                                  {"begin_ms": 9, "end_ms": 2}],
              "tags": {"title": "t", "artist": "a", "year": "1", "album": "b", "comment": "c", "genre": "g"}},
             {"file": "/abs/b.wma", "segments": [{"begin_ms": 0, "end_ms": 0}]}]}""")
def cue_seeds():
    samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "samples")
    for name in sorted(os.listdir(samples)):
        if name.endswith(".cue"):
            with open(os.path.join(samples, name), "rb") as sheet:
                put("fuzz_cue_sheet", name, sheet.read())
    put("fuzz_cue_sheet", "plain.cue",
        b'REM DATE 2001\nTITLE "A"\nFILE "a.flac" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n'
        b'  TRACK 02 AUDIO\n    INDEX 00 01:02:70\n    INDEX 01 01:03:74\n')


def main():
    with tempfile.TemporaryDirectory() as work:
        id3_seeds(work)
        wma_seeds(work)
        comment_seeds()
        ogg_seeds(work)
    name_seeds()
    settings_seeds()
    list_seeds()
    cue_seeds()


if __name__ == "__main__":
    main()
