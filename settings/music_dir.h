// The music folder: where a relative entry that names no file beside its
// list is looked for. Players that keep their lists apart from the music
// (MPD among them) write entries relative to the music folder.
#pragma once

#include <cstddef>

// The music folder the system names, when the setting "Musikordner" is
// empty: MPD's music_directory (from $XDG_CONFIG_HOME/mpd/mpd.conf, else
// ~/.mpdconf, else /etc/mpd.conf, the first that exists), else the user's
// XDG music folder (XDG_MUSIC_DIR of user-dirs.dirs) when it exists. Into
// out (cap bytes); empty when there is none or it does not fit. Returns its
// length.
size_t SystemMusicFolder(char* out, size_t cap);

// The music folder of a run: folder when it is not empty, else the
// system's. Returns its length.
size_t MusicFolder(const char* folder, char* out, size_t cap);
