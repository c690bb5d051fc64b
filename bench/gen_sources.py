#!/usr/bin/env python3
"""Writes the engine benchmark's sources: a library export of 100,000
tracks (about 80 MB, keys in the order current exports use), a PLS list of
200,000 entries, an XSPF list of 100,000 tracks as a media player writes it
(title, creator, album, duration, location, player extension) and an M3U
list of 100,000 deleted files with their #EXTINF lines."""
import os
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "data")
os.makedirs(out, exist_ok=True)
rnd = random.Random(42)
words = ["Love", "Night", "Rock", "Blue", "Sun", "Heart", "Fire", "Rain", "Dance",
         "Grönemeyer", "Ärzte", "Straße", "Märchen", "Café", "Roll & Rock"]

def name(n):
    return " ".join(rnd.choice(words) for _ in range(n))

def esc(s):
    return s.replace("&", "&#38;").replace("<", "&#60;")

with open(os.path.join(out, "library.xml"), "w", encoding="utf-8", newline="\n") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<!DOCTYPE plist PUBLIC "-//Apple Computer//DTD PLIST 1.0//EN" '
            '"http://www.apple.com/DTDs/PropertyList-1.0.dtd">\n'
            '<plist version="1.0">\n<dict>\n'
            '\t<key>Major Version</key><integer>1</integer>\n'
            '\t<key>Minor Version</key><integer>1</integer>\n'
            '\t<key>Application Version</key><string>12.9.0.167</string>\n'
            '\t<key>Tracks</key>\n\t<dict>\n')
    for tid in range(1, 100001):
        artist, album, title = name(2), name(3), name(rnd.randint(1, 4))
        f.write(
            f"\t\t<key>{tid}</key>\n\t\t<dict>\n"
            f"\t\t\t<key>Track ID</key><integer>{tid}</integer>\n"
            f"\t\t\t<key>Size</key><integer>{rnd.randint(2000000, 12000000)}</integer>\n"
            f"\t\t\t<key>Total Time</key><integer>{rnd.randint(60000, 600000)}</integer>\n"
            f"\t\t\t<key>Disc Number</key><integer>1</integer>\n"
            f"\t\t\t<key>Track Number</key><integer>{tid % 14 + 1}</integer>\n"
            f"\t\t\t<key>Track Count</key><integer>14</integer>\n"
            f"\t\t\t<key>Year</key><integer>{rnd.randint(1960, 2024)}</integer>\n"
            f"\t\t\t<key>Date Added</key><date>2019-03-27T11:36:59Z</date>\n"
            f"\t\t\t<key>Bit Rate</key><integer>256</integer>\n"
            f"\t\t\t<key>Sample Rate</key><integer>44100</integer>\n"
            f"\t\t\t<key>Play Count</key><integer>{rnd.randint(0, 99)}</integer>\n"
            f"\t\t\t<key>Persistent ID</key><string>{rnd.getrandbits(64):016X}</string>\n"
            f"\t\t\t<key>Name</key><string>{esc(title)}</string>\n"
            f"\t\t\t<key>Artist</key><string>{esc(artist)}</string>\n"
            f"\t\t\t<key>Album Artist</key><string>{esc(artist)}</string>\n"
            f"\t\t\t<key>Album</key><string>{esc(album)}</string>\n"
            f"\t\t\t<key>Genre</key><string>Rock</string>\n"
            f"\t\t\t<key>Kind</key><string>MPEG-Audiodatei</string>\n"
            f"\t\t\t<key>Location</key><string>file:///Music/"
            f"{tid:02d}%20{esc(title).replace(' ', '%20')}.mp3</string>\n"
            f"\t\t</dict>\n")
    f.write("\t</dict>\n</dict>\n</plist>\n")

with open(os.path.join(out, "list.pls"), "w", encoding="utf-8", newline="\r\n") as f:
    f.write("[playlist]\n")
    for k in range(1, 200001):
        artist, title = name(2), name(rnd.randint(1, 4))
        f.write(f"File{k}=C:\\Users\\anna\\Music\\{artist}\\{name(2)}\\{k:03d} {title}.mp3\n")
        f.write(f"Title{k}={artist} - {title}\n")
        f.write(f"Length{k}={rnd.randint(60, 600)}\n")
    f.write("NumberOfEntries=200000\nVersion=2\n")

def xesc(s):
    return s.replace("&", "&amp;").replace("<", "&lt;")

def url(s):
    return s.replace("%", "%25").replace(" ", "%20")

with open(os.path.join(out, "list.xspf"), "w", encoding="utf-8", newline="\n") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<playlist xmlns="http://xspf.org/ns/0/" '
            'xmlns:vlc="http://www.videolan.org/vlc/playlist/ns/0/" version="1">\n'
            '\t<title>Wiedergabeliste</title>\n\t<trackList>\n')
    for k in range(100000):
        artist, album, title = name(2), name(3), name(rnd.randint(1, 4))
        f.write(f"\t\t<track>\n"
                f"\t\t\t<location>file:///home/anna/Musik/{xesc(url(artist))}/"
                f"{xesc(url(album))}/{k % 14 + 1:02d}%20{xesc(url(title))}.mp3</location>\n"
                f"\t\t\t<title>{xesc(title)}</title>\n"
                f"\t\t\t<creator>{xesc(artist)}</creator>\n"
                f"\t\t\t<album>{xesc(album)}</album>\n"
                f"\t\t\t<trackNum>{k % 14 + 1}</trackNum>\n"
                f"\t\t\t<duration>{rnd.randint(60000, 600000)}</duration>\n"
                f"\t\t\t<extension application=\"http://www.videolan.org/vlc/playlist/0\">\n"
                f"\t\t\t\t<vlc:id>{k}</vlc:id>\n"
                f"\t\t\t</extension>\n"
                f"\t\t</track>\n")
    f.write("\t</trackList>\n</playlist>\n")

with open(os.path.join(out, "deleted.m3u"), "w", encoding="utf-8", newline="\n") as f:
    f.write("#EXTM3U\n")
    for k in range(100000):
        artist, title = name(2), name(rnd.randint(1, 4))
        f.write(f"#EXTINF:{rnd.randint(60, 600)},{artist} - {title}\n"
                f"/nonexistent/Musik/{artist}/{name(2)}/{k % 14 + 1:02d} {title}.mp3\n")
