#!/usr/bin/python3
"""Prints, for every media file below the folders given, the title and the
artist that mutagen reads from its tags, as "path<TAB>title<TAB>artist",
one file a line ("-" for a name not found). Values are given the way the
program under test shows them: several values of a Vorbis, APE or MP4 key
joined by ";" (as the demuxer joins them), of an ID3v2.4 frame by ", ";
of an older ID3v2 frame the first value only. Used by the tag tests as an
independent reader; needs python3-mutagen."""
import os
import sys

import mutagen
from mutagen.id3 import ID3

def clean(s):
    return s.replace("\t", " ").replace("\n", " ").replace("\r", " ")

def id3_names(tags):
    out = []
    for frame, old in (("TIT2", "TT2"), ("TPE1", "TP1")):
        values = []
        for f in tags.getall(frame) or tags.getall(old):
            values = [str(v) for v in f.text]
        values = [v for v in values if v]
        if not values:
            out.append(None)
        elif tags.version >= (2, 4, 0):
            out.append(", ".join(values))
        else:
            out.append(values[0])
    return out

def dict_names(tags, keys):
    out = []
    for key in keys:
        values = None
        for k in tags.keys():
            if k.lower() == key.lower():
                values = tags[k]
        if values is None:
            out.append(None)
            continue
        if not isinstance(values, list):
            values = [values]
        texts = []
        for v in values:
            v = getattr(v, "value", v)
            if isinstance(v, bytes):
                continue
            texts.extend(str(v).split("\0"))
        texts = [t for t in texts if t]
        out.append(";".join(texts) if texts else None)
    return out

def names(path):
    try:
        f = mutagen.File(path)
    except Exception:
        return None
    if f is None or f.tags is None:
        return None
    tags = f.tags
    if isinstance(tags, ID3):
        return id3_names(tags)
    kind = type(f).__name__
    if kind in ("MP4",):
        return dict_names(tags, ["\xa9nam", "\xa9ART"])
    if kind in ("ASF",):
        return dict_names(tags, ["Title", "Author"])
    return dict_names(tags, ["title", "artist"])

for root in sys.argv[1:]:
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            path = os.path.join(folder, name)
            got = names(path)
            if not got or (got[0] is None and got[1] is None):
                continue
            print("\t".join([path] + [clean(v) if v is not None else "-" for v in got]))
