#!/usr/bin/python3
"""Writes the tagged sample files of this folder.

The audio comes from the ffmpeg command, the tags from independent writers:
mutagen for ID3v2.3/2.4, Vorbis-style comments (Opus, FLAC, Speex) and MP4;
ID3v2.2 and unsynchronised tags, which mutagen does not write, are laid out
byte by byte here from the ID3v2 documents. Each file is 1.5 s long, so that
Korvex adds it like any other file.

    tests/tags/samples/make_samples.py [FOLDER]
"""
import os
import struct
import subprocess
import sys
import tempfile

from mutagen.flac import FLAC
from mutagen.id3 import COMM, ID3, TALB, TCON, TIT2, TPE1, TYER
from mutagen.mp4 import MP4
from mutagen.oggflac import OggFLAC
from mutagen.oggopus import OggOpus
from mutagen.oggspeex import OggSpeex

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else HERE

# Texts longer than the reader's 250 bytes whose cut falls inside a character.
LONG_UTF8 = "xx" + "日" * 100        # 3-byte characters after two ASCII letters
LONG_UTF16 = "ab" + "\U0001F600" * 100  # surrogate pairs after two letters


def tone(path, *codec):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1.5",
                    "-ac", "1", *codec, "-map_metadata", "-1", path], check=True)


def mp3_audio(work):
    path = os.path.join(work, "audio.mp3")
    tone(path, "-ar", "16000", "-c:a", "libmp3lame", "-b:a", "16k", "-write_xing", "0", "-id3v2_version", "0")
    with open(path, "rb") as f:
        return f.read()


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def unsynchronise(data):
    """A zero byte after every 0xFF that is followed by 0xE0 or more, or by 0."""
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] >= 0xE0 or data[i + 1] == 0):
            out.append(0)
    return bytes(out)


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


def text_body(encoding, text):
    if encoding == 0:
        return b"\0" + text.encode("latin-1")
    if encoding == 1:
        return b"\1" + utf16(text)
    return b"\3" + text.encode("utf-8")


def comment_body(encoding, lang, desc, text):
    end = b"\0\0" if encoding == 1 else b"\0"
    return bytes([encoding]) + lang + text_body(encoding, desc)[1:] + end + text_body(encoding, text)[1:]


def v22_frame(fid, body):
    return fid + struct.pack(">I", len(body))[1:] + body


def v23_frame(fid, body):
    return fid + struct.pack(">I", len(body)) + b"\0\0" + body


def v24_frame(fid, body, unsync=False):
    flags = 0
    if unsync:
        body = syncsafe(len(body)) + unsynchronise(body)  # data length indicator, then the stored bytes
        flags = 0x03
    return fid + syncsafe(len(body)) + bytes([0, flags]) + body


def tag(version, flags, frames, padding=32):
    body = frames + b"\0" * padding
    return b"ID3" + bytes([version, 0, flags]) + syncsafe(len(body)) + body


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def id3v22(audio):
    frames = (v22_frame(b"TT2", text_body(0, "Older Encoder Title"))
              + v22_frame(b"TP1", text_body(1, "Zoë Keating"))
              + v22_frame(b"TAL", text_body(0, "Into the Trees"))
              + v22_frame(b"TYE", text_body(0, "2010"))
              + v22_frame(b"TCO", text_body(0, "(32)Classical"))
              + v22_frame(b"PIC", b"\0PNG\3\0" + bytes(range(256)) * 2)
              + v22_frame(b"COM", comment_body(0, b"eng", "", "cello loops")))
    write("id3v22-bytes.mp3", tag(2, 0, frames) + audio)


def id3v23_unsync(audio):
    # UTF-16 "ÿ" is FF 00 and Latin-1 "ÿ" before the terminator is FF 00: both
    # gain an inserted zero byte, and frame sizes count the bytes without them.
    frames = (v23_frame(b"TIT2", text_body(1, "Ÿÿ Unsynchronised ÿ"))
              + v23_frame(b"TPE1", text_body(0, "ÿ Band ÿ") + b"\0")
              + v23_frame(b"APIC", b"\0image/jpeg\0\3\0" + b"\xff\xd8\xff\xe0" * 64)
              + v23_frame(b"TALB", text_body(1, "After the ÿ picture"))
              + v23_frame(b"TCON", text_body(0, "Rock"))
              + v23_frame(b"COMM", comment_body(1, b"eng", "", "ÿ comment")))
    body = unsynchronise(frames) + b"\0" * 32
    write("id3v23-unsync-bytes.mp3", b"ID3\3\0\x80" + syncsafe(len(body)) + body + audio)


def id3v24_unsync(audio):
    frames = (v24_frame(b"TIT2", text_body(1, "Frame ÿ Unsync"), unsync=True)
              + v24_frame(b"TPE1", text_body(3, "Plain Artist"))
              + v24_frame(b"APIC", b"\0image/jpeg\0\3\0" + b"\xff\xd8\xff\xe0" * 64, unsync=True)
              + v24_frame(b"TALB", text_body(1, "ÿÿÿ Album"), unsync=True)
              + v24_frame(b"TCON", text_body(3, "Jazz"))
              + v24_frame(b"COMM", comment_body(1, b"eng", "", "ÿ noted"), unsync=True))
    write("id3v24-unsync-bytes.mp3", tag(4, 0, frames) + audio)


def mutagen_id3(audio, work):
    for version, encoding, name in ((3, 1, "id3v23-mutagen.mp3"), (4, 3, "id3v24-mutagen.mp3")):
        path = os.path.join(work, name)
        with open(path, "wb") as f:
            f.write(audio)
        t = ID3()
        t.add(COMM(encoding=encoding, lang="eng", desc="", text="Written by hand"))
        # player data a music library writes beside the user's comment
        t.add(COMM(encoding=encoding, lang="eng", desc="iTunNORM", text=" 0000044E 00000000 00009CA5"))
        t.add(COMM(encoding=encoding, lang="eng", desc="iTunSMPB", text=" 00000000 00000210 0000075C"))
        t.add(TIT2(encoding=encoding, text=LONG_UTF16 if version == 3 else LONG_UTF8))
        t.add(TPE1(encoding=encoding, text="Sigur Rós"))
        t.add(TALB(encoding=encoding, text="Ágætis byrjun"))
        t.add(TCON(encoding=encoding, text="Post-rock"))
        if version == 3:
            t.add(TYER(encoding=encoding, text="1999"))
        t.save(path, v2_version=version, v1=0)
        with open(path, "rb") as f:
            write(name, f.read())


def xiph(work, name, codec, cls, extension_codec):
    path = os.path.join(work, name)
    tone(path, *codec)
    f = cls(path)
    f["TITLE"] = ["Ωmega " + extension_codec]
    f["artist"] = ["Hildur Guðnadóttir"]
    f["Album"] = ["Chernobyl"]
    f["genre"] = ["Soundtrack"]
    f["comment"] = ["  trimmed  "]
    f["description"] = ["not the comment"]
    f.save()
    with open(path, "rb") as g:
        write(name, g.read())


def mp4(work):
    path = os.path.join(work, "aac-mutagen.m4a")
    tone(path, "-ar", "16000", "-c:a", "aac", "-b:a", "16k")
    f = MP4(path)
    f["\xa9nam"] = ["Sample: M4A/AAC"]
    f["\xa9ART"] = ["Anoushka Shankar"]
    f["\xa9alb"] = ["Traces"]
    f["\xa9gen"] = ["World"]
    f["\xa9cmt"] = ["from mutagen"]
    f.save()
    with open(path, "rb") as g:
        write("aac-mutagen.m4a", g.read())


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        audio = mp3_audio(work)
        id3v22(audio)
        id3v23_unsync(audio)
        id3v24_unsync(audio)
        mutagen_id3(audio, work)
        xiph(work, "opus-in-ogg-mutagen.ogg", ["-c:a", "libopus", "-b:a", "6k", "-f", "ogg"], OggOpus, "Opus")
        xiph(work, "flac-in-ogg-mutagen.ogg", ["-ar", "8000", "-c:a", "flac", "-f", "ogg"], OggFLAC, "FLAC")
        xiph(work, "speex-in-ogg-mutagen.ogg", ["-ar", "8000", "-c:a", "libspeex", "-f", "ogg"], OggSpeex, "Speex")
        xiph(work, "flac-mutagen.flac", ["-ar", "8000", "-c:a", "flac"], FLAC, "FLAC")
        xiph(work, "opus-mutagen.opus", ["-c:a", "libopus", "-b:a", "6k"], OggOpus, "Opus")
        mp4(work)


if __name__ == "__main__":
    main()
