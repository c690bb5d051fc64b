#!/usr/bin/env python3
"""Writes bench/data/: 2,000 short MP3 files with ID3v2.3 tags (every fifth
with a ~40 KB cover picture, as real files have) and a list of them.

Half the files hold constant-bit-rate audio with an Info frame, half
variable-bit-rate audio with a Xing frame; both are made once with ffmpeg.

Then a mixed library in bench/data/mixed/: 1,000 small files each of FLAC,
Ogg Vorbis, Opus and M4A (AAC) with their own tags (title, artist, album),
and one list per format (flac.m3u, ogg.m3u, opus.m3u, m4a.m3u); alone with
the argument "mixed".

Then 300 MP3 files of realistic size (3 to 8 MB, three to eight minutes of
noise, half constant and half variable bit rate) in bench/data/large/,
listed in large.m3u.
"""
import os
import random
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")
COUNT = 2000


def ffmpeg(args, out):
    subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"]
                   + args + ["-id3v2_version", "0", "-map_metadata", "-1",
                             "-fflags", "+bitexact", out], check=True)


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame(fid, body):
    return fid.encode() + struct.pack(">I", len(body)) + b"\0\0" + body


def text_frame(fid, text, k):
    # Alternate the two encodings real taggers write: Latin-1 and UTF-16.
    if k % 2:
        return frame(fid, b"\1" + "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")
                     + b"\0\0")
    return frame(fid, b"\0" + text.encode("latin-1") + b"\0")


def tag(k, rng):
    frames = (text_frame("TIT2", "Titel Nummer %d" % k, k)
              + text_frame("TPE1", "Künstler %d" % (k % 97), k)
              + text_frame("TALB", "Album %d" % (k % 13), k)
              + text_frame("TRCK", str(k % 20 + 1), k))
    if k % 5 == 0:
        cover = b"\xff\xd8\xff\xe0" + bytes(rng.getrandbits(8) for _ in range(40000))
        frames += frame("APIC", b"\0image/jpeg\0\3\0" + cover)
    frames += b"\0" * 256  # padding, as taggers leave it
    return b"ID3\3\0\0" + syncsafe(len(frames)) + frames


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "large":
        return large()
    if len(sys.argv) > 1 and sys.argv[1] == "mixed":
        return mixed()
    os.makedirs(DATA, exist_ok=True)
    cbr = os.path.join(DATA, "base_cbr.mp3")
    vbr = os.path.join(DATA, "base_vbr.mp3")
    ffmpeg(["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1",
            "-c:a", "libmp3lame", "-b:a", "128k"], cbr)
    ffmpeg(["-f", "lavfi", "-i",
            "aevalsrc=sin(440*2*PI*t)*lt(t\\,0.5)+0.5*random(0)*gte(t\\,0.5):s=44100:d=1",
            "-c:a", "libmp3lame", "-q:a", "4"], vbr)
    audio = [open(cbr, "rb").read(), open(vbr, "rb").read()]
    rng = random.Random(1)
    names = []
    for k in range(COUNT):
        name = "track%04d.mp3" % k
        with open(os.path.join(DATA, name), "wb") as f:
            f.write(tag(k, rng) + audio[k % 2])
        names.append(name)
    with open(os.path.join(DATA, "list.m3u"), "w") as f:
        f.write("#EXTM3U\n" + "".join(n + "\n" for n in names))
    print("%d files in %s" % (COUNT, DATA))
    mixed()
    large()


LARGE = 300


def large():
    folder = os.path.join(DATA, "large")
    os.makedirs(folder, exist_ok=True)
    bases = []
    for minutes in range(3, 9):
        for kind, codec in (("cbr", ["-b:a", "128k"]), ("vbr", ["-q:a", "0"])):
            base = os.path.join(folder, "base_%s_%d.mp3" % (kind, minutes))
            ffmpeg(["-f", "lavfi", "-i", "anoisesrc=d=%d:c=pink:a=0.3:r=44100" % (minutes * 60),
                    "-ac", "2", "-c:a", "libmp3lame"] + codec, base)
            bases.append(open(base, "rb").read())
    rng = random.Random(2)
    names = []
    for k in range(LARGE):
        name = "song%03d.mp3" % k
        with open(os.path.join(folder, name), "wb") as f:
            f.write(tag(k, rng) + bases[k % len(bases)])
        names.append(name)
    with open(os.path.join(DATA, "large.m3u"), "w") as f:
        f.write("".join("large/" + n + "\n" for n in names))
    print("%d files in %s" % (LARGE, folder))


MIXED = 1000


def mixed():
    """Each format once encoded by ffmpeg, then copied with its tags made
    anew for every file (ffmpeg's -metadata with stream copy)."""
    folder = os.path.join(DATA, "mixed")
    os.makedirs(folder, exist_ok=True)
    src = "sine=frequency=440:sample_rate=44100:duration=1"
    for ext, codec in (("flac", ["-c:a", "flac"]), ("ogg", ["-c:a", "libvorbis", "-q:a", "2"]),
                       ("opus", ["-c:a", "libopus", "-b:a", "64k"]),
                       ("m4a", ["-c:a", "aac", "-b:a", "96k"])):
        base = os.path.join(folder, "base." + ext)
        ffmpeg(["-f", "lavfi", "-i", src] + codec, base)
        names = []
        for k in range(MIXED):
            name = "track%04d.%s" % (k, ext)
            subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", base,
                            "-c", "copy", "-map_metadata", "-1",
                            "-metadata", "title=Titel Nummer %d" % k,
                            "-metadata", "artist=Künstler %d" % (k % 97),
                            "-metadata", "album=Album %d" % (k % 13),
                            os.path.join(folder, name)], check=True)
            names.append(name)
        with open(os.path.join(folder, ext + ".m3u"), "w") as f:
            f.write("".join(n + "\n" for n in names))
    print("%d files each of flac, ogg, opus, m4a in %s" % (MIXED, folder))


if __name__ == "__main__":
    sys.exit(main())
