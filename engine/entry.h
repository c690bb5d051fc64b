// What an entry of a list names, and the names and time that the entry
// itself gives: shared by every reader whose entries are paths or addresses
// (plain lists, PLS, XSPF, WPL).
//
// An entry is a stream when it starts with a scheme ("https://", "rtsp://",
// "mms://", ...) other than "file://", or holds "http://" anywhere. A
// "file://" address of this host (empty host or "localhost") is the local
// file of its percent-decoded path; of another host it names no file here.
// Anything else is a path: absolute when it starts with "/", else relative
// to the list's folder. A path that names no file as written is tried in its
// UTF-8 form (when it is not valid UTF-8: a list written on Windows),
// percent-decoded (when it holds %XX escapes: VLC writes relative entries
// so), and with "/" for every "\" (when it holds backslashes).
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#include "base/limits.h"
#include "settings/run_settings.h"

enum EntryKind { ENTRY_STREAM, ENTRY_FILE, ENTRY_MISSING };

struct Entry {
  EntryKind kind;
  char path[PATH_MAX];  // ENTRY_FILE: the regular file found
  // The entry as names are taken from it: valid UTF-8, a file address or a
  // percent-encoded path decoded.
  char shown[MAXENTRY];
  // ENTRY_FILE: the file, open for reading, and its size; -1 for a file that
  // is there but could not be opened. Closed with the Entry.
  int fd = -1;
  int64_t size = 0;

  Entry() = default;
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;
  ~Entry();
};

// 1 when szPath names a regular file (a symbolic link is followed), else 0.
// Directories, FIFOs, devices and sockets do not count: they are never read.
int FileExists(const char* szPath);

// The path of an entry: one starting with "/" as it is, any other relative
// to the folder of the list at listPath. False when it does not fit (a cut
// path would name another file).
bool ResolveEntry(const char* entry, const char* listPath, char* out, size_t cap);

// Decodes the %XX escapes of src into dst (cap bytes). An escape that is not
// two hex digits, or stands for a zero byte, stays as written. Returns true
// when at least one escape was decoded.
bool PercentDecode(char* dst, size_t cap, const char* src);

// Finds what text, an entry of the list s.source, names. A relative path
// that names no file beside the list in any spelling is looked for in the
// music folder s.musicDir, when there is one. Each spelling is opened (the
// open tells whether the file is there, fstat whether it is a regular
// file: a FIFO, a device or a folder is opened without waiting, never read,
// and counts as no file); the file found stays open in e. NamesFromTags and
// NamesFromFile, given e->path itself on the same thread while e lives,
// read through that descriptor instead of opening the file again.
void LocateEntry(const char* text, const RunSettings& s, Entry* e);

// Names from the parts of a path that names no file: the title from the last
// part (its extension removed), the artist from the folder two levels above
// it. A name without any folder part is the title. Parts are split at "\"
// when the path holds one, else at "/". Texts not found keep their buffers.
void NamesFromPath(const char* path, char* title, char* artist, const RunSettings& s);

// Names and seconds from the name of a file without tags, read as
// "Artist - Title (m:ss)"; without a time in the name, mediaSeconds. Returns
// the seconds (0 when none can be had).
int32_t NamesFromFileTitle(const char* path, char* title, char* artist,
                           const RunSettings& s, int32_t mediaSeconds);

// Names from an existing file's tags: its ID3 tags, or when they give
// neither name, the tags of its own format (read in the same pass as its
// playing time). Only names found replace their buffers; *named tells
// whether any was found. Returns the media's seconds, when wantTime or when
// the format's tags had to be read anyway; else 0.
int32_t NamesFromTags(const char* path, char* title, char* artist, bool wantTime,
                      bool* named);

// The errno of the last file on this thread that exists but could not be
// opened for its tags and time (0: none since the last call), and forgets
// it. Whoever runs an entry's lookup asks afterwards.
int TakeFileError();

// Names and seconds of an existing file: its tags and the media's time, else
// its file name. Returns the seconds.
int32_t NamesFromFile(const char* path, char* title, char* artist, const RunSettings& s);

// True when text is an address of a stream: no file is looked up for it.
bool IsStreamEntry(const char* text);

// Names of an entry that names no file here: a stream's address as the
// title, else the parts of the path. Names not found keep their buffers.
void NamesWithoutFile(const Entry& e, char* title, char* artist, const RunSettings& s);

// Names and seconds of an entry as a plain list line without any data of
// the list's gives them: an existing file's tags or name and the media's
// time, a stream's address as the title, else the parts of the path.
// Names not found keep their buffers (MAXPATH bytes). Returns 0 when no
// time is known.
int32_t NamesOfEntry(const char* text, char* title, char* artist, const RunSettings& s);

// A text a list gives for an entry ("Artist - Title", an #EXTINF text): the
// artist before its first " - ", the title after it, the extension removed;
// without " - " all of it is the title and the artist keeps its buffer; a
// text starting with "- " is a title without artist.
void NamesFromListText(const char* text, char* title, char* artist, const RunSettings& s);

// True when a title that a list gives for the entry entryText only repeats
// the entry's file name, with or without its extension: players that found
// no tags write the file name there ("03 Song.mp3", "03 Song.mp3 [untitled
// MP3]", " - 03 Song.mp3 [untitled MP3]"). Such a title says nothing of the
// entry; the names then come from the file or the path. A stream names no
// file: its title always counts.
bool TitleRepeatsFileName(const char* title, const char* entryText);
