// XML library exports: property lists as the music application (and tools
// such as Python's plistlib) write them, read with expat key by key, in any
// layout: a key and its value on one line or on lines of their own, with any
// indentation.
//
// A row is a dict that holds a "Total Time" key: its "Name" is the title,
// its "Artist" the artist and the time its milliseconds; a track without a
// time gives no row, and neither do the playlists' dicts (which have a name
// and no time). Of a key that a dict repeats, the last counts. A "Name" that
// only repeats the file name of the track's "Location", with no "Artist",
// counts as not given: the names then come from the file (its tags, else its
// name) or, for a file that is gone, from its path.
//
// Order: the tracks in the order of the "Tracks" dict, but for the export of
// a single playlist (its "Playlists" array holds exactly one playlist, and
// that one is not the master library): the playlist's order, from the
// "Track ID" of each of its "Playlist Items", a track as often as the
// playlist names it. The order is known only at the end of the document,
// after the tracks: they are kept until then, a few dozen bytes each.
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/text.h"
#include "engine/entry.h"
#include "engine/readers.h"
#include "engine/xml_parse.h"

namespace {
// The values of one dict that matter.
struct DictValues {
  std::string name, artist, location;
  bool haveName = false, haveArtist = false, haveTime = false, master = false;
  int64_t ms = 0;
  int64_t trackId = -1;
};

// Where a dict or array stands.
enum Role { R_OTHER, R_ROOT, R_PLAYLISTS, R_PLAYLIST, R_ITEMS };

// The keys that matter; every other key is K_OTHER.
enum KeyId { K_OTHER, K_NAME, K_ARTIST, K_TIME, K_LOCATION, K_TRACKID, K_MASTER, K_PLAYLISTS, K_ITEMS };

struct Frame {
  bool dict;
  Role role;
  KeyId key = K_OTHER;  // a dict's last key
  DictValues v;
};

struct Track {
  int64_t id;
  int32_t ms;
  std::string title, artist;
  std::string location;  // kept when the names come from the file, or for JSON
  bool fromFile;
};

struct PlistState {
  XmlRun run;
  std::vector<Frame> stack;
  bool inKey = false;
  bool inValue = false;     // a value of a key that matters
  char key[24];             // the key's text so far (a longer key matters not)
  size_t keyLen = 0;
  std::string text;         // the value's text so far
  std::vector<Track> tracks;
  int playlists = 0;        // dicts in the "Playlists" array
  bool firstIsMaster = false;
  std::vector<int64_t> items;  // the first playlist's track ids, in order
};
}  // namespace

// A text value is kept as long as an entry can be; a name is cut later.
static const size_t kMaxValue = MAXENTRY;

static PlistState* StateOf(void* arg) {
  return static_cast<PlistState*>(XML_GetUserData(static_cast<XML_Parser>(arg)));
}

static KeyId KeyOf(const char* k, size_t n) {
  static const struct { const char* text; KeyId id; } kKeys[] = {
      {"Name", K_NAME},         {"Artist", K_ARTIST},       {"Total Time", K_TIME},
      {"Location", K_LOCATION}, {"Track ID", K_TRACKID},    {"Master", K_MASTER},
      {"Playlists", K_PLAYLISTS}, {"Playlist Items", K_ITEMS},
  };
  for (const auto& e : kKeys)
    if (std::strlen(e.text) == n && std::memcmp(e.text, k, n) == 0) return e.id;
  return K_OTHER;
}

static Role RoleOfValue(const PlistState* st, bool dict) {
  if (st->stack.empty()) return dict ? R_ROOT : R_OTHER;
  const Frame& up = st->stack.back();
  if (up.role == R_ROOT && up.dict && !dict && up.key == K_PLAYLISTS) return R_PLAYLISTS;
  if (up.role == R_PLAYLISTS && dict) return R_PLAYLIST;
  if (up.role == R_PLAYLIST && !dict && up.key == K_ITEMS) return R_ITEMS;
  return R_OTHER;
}

static void XMLCALL PlistStart(void* arg, const XML_Char* name, const XML_Char**) {
  PlistState* st = StateOf(arg);
  bool dict = std::strcmp(name, "dict") == 0;
  if (dict || std::strcmp(name, "array") == 0) {
    Frame f;
    f.dict = dict;
    f.role = RoleOfValue(st, dict);
    st->stack.push_back(std::move(f));
    return;
  }
  if (st->stack.empty()) return;  // <plist> itself
  Frame& top = st->stack.back();
  if (!top.dict) return;
  if (std::strcmp(name, "key") == 0) {
    st->inKey = true;
    st->keyLen = 0;
  } else if (std::strcmp(name, "true") == 0) {
    if (top.key == K_MASTER) top.v.master = true;
  } else if (top.key != K_OTHER) {
    st->inValue = true;  // string, integer, real, date, data, false
    st->text.clear();
  }
}

// A value of the dict on top of the stack, under its last key.
static void TakeValue(Frame* f, const std::string& text) {
  DictValues& v = f->v;
  switch (f->key) {
    case K_NAME:
      v.name = text;
      v.haveName = true;
      break;
    case K_ARTIST:
      v.artist = text;
      v.haveArtist = true;
      break;
    case K_TIME:
      v.ms = Atoi32(text.c_str());
      v.haveTime = true;
      break;
    case K_LOCATION: v.location = text; break;
    case K_TRACKID: v.trackId = Atoi32(text.c_str()); break;
    default: break;
  }
}

// A dict ends: a track, a playlist or an item of one.
static void EndDict(PlistState* st, Frame& f) {
  const Frame* up = st->stack.empty() ? nullptr : &st->stack.back();
  if (f.role == R_PLAYLIST) {
    if (++st->playlists == 1) st->firstIsMaster = f.v.master;
    return;
  }
  if (up && up->role == R_ITEMS) {
    if (st->playlists == 0 && f.v.trackId >= 0) st->items.push_back(f.v.trackId);
    return;
  }
  if (!f.v.haveTime) return;
  Track t;
  t.id = f.v.trackId;
  // The milliseconds as a 32-bit number, as every time of a list; whole
  // seconds, rounded down; a negative one shows as 0.
  t.ms = static_cast<int32_t>(f.v.ms);
  t.title = std::move(f.v.name);
  t.artist = std::move(f.v.artist);
  t.fromFile = f.v.haveName && !f.v.haveArtist && !f.v.location.empty() &&
               TitleRepeatsFileName(t.title.c_str(), f.v.location.c_str());
  if (t.fromFile || st->run.sink->s->json) t.location = std::move(f.v.location);
  st->tracks.push_back(std::move(t));
}

static void XMLCALL PlistEnd(void* arg, const XML_Char* name) {
  PlistState* st = StateOf(arg);
  if (std::strcmp(name, "dict") == 0 || std::strcmp(name, "array") == 0) {
    if (st->stack.empty()) return;
    Frame f = std::move(st->stack.back());
    st->stack.pop_back();
    if (f.dict) EndDict(st, f);
    return;
  }
  if (st->stack.empty()) return;
  Frame& top = st->stack.back();
  if (st->inKey) {
    top.key = KeyOf(st->key, st->keyLen);
    st->inKey = false;
  } else if (st->inValue) {
    TakeValue(&top, st->text);
    st->inValue = false;
  }
}

static void XMLCALL PlistText(void* arg, const XML_Char* s, int len) {
  PlistState* st = StateOf(arg);
  if (len <= 0) return;
  size_t n = static_cast<size_t>(len);
  if (st->inKey) {
    // A key longer than the buffer is none that matters: it stays full.
    if (n > sizeof st->key - st->keyLen) {
      st->keyLen = sizeof st->key;
      return;
    }
    std::memcpy(st->key + st->keyLen, s, n);
    st->keyLen += n;
  } else if (st->inValue) {
    if (st->text.size() + n > kMaxValue) n = kMaxValue - st->text.size();
    st->text.append(s, n);
  }
}

// A track whose name only repeats its file's name: names from the file.
static void ResolveTrack(RowJob* job, const RunSettings& s) {
  CopyText(job->title, sizeof job->title, NOTITLE);
  CopyText(job->artist, sizeof job->artist, NOARTIST);
  NamesOfEntry(job->text, job->title, job->artist, s);
}

// One track's row. Returns false when the run is to stop.
static bool TrackRow(RowSink* sink, const Track& t) {
  int32_t seconds = t.ms / 1000;
  if (t.location.empty() || !t.fromFile) {
    if (!t.location.empty()) {
      // A JSON row names its entry: a job with nothing to look up.
      RowJob* job = NextJob(sink);
      if (!job) return false;
      CopyUtf8(job->title, sizeof job->title, t.title.c_str());
      CopyUtf8(job->artist, sizeof job->artist, t.artist.c_str());
      CopyUtf8(job->text, sizeof job->text, t.location.c_str());
      job->seconds = seconds;
      job->resolve = nullptr;
      SubmitJob(sink, job, false);
      return true;
    }
    char title[MAXPATH], artist[MAXPATH];
    CopyUtf8(title, sizeof title, t.title.c_str());
    CopyUtf8(artist, sizeof artist, t.artist.c_str());
    AddRow(sink, artist, title, seconds);
    return !Cancelled(sink);
  }
  RowJob* job = NextJob(sink);
  if (!job) return false;
  CopyUtf8(job->text, sizeof job->text, t.location.c_str());
  job->seconds = seconds;
  job->resolve = ResolveTrack;
  SubmitJob(sink, job, !IsStreamEntry(job->text));
  return true;
}

// The rows, in the playlist's order for the export of one playlist, else in
// the order of the tracks.
static bool WriteTracks(void* state) {
  PlistState* st = static_cast<PlistState*>(state);
  RowSink* sink = st->run.sink;
  if (st->playlists == 1 && !st->firstIsMaster && !st->items.empty()) {
    std::unordered_map<int64_t, size_t> byId;
    for (size_t k = 0; k < st->tracks.size(); ++k) byId.emplace(st->tracks[k].id, k);
    for (int64_t id : st->items) {
      auto it = byId.find(id);
      if (it != byId.end() && !TrackRow(sink, st->tracks[it->second])) return false;
    }
    return true;
  }
  for (const Track& t : st->tracks)
    if (!TrackRow(sink, t)) return false;
  return true;
}

int xmlOutputLine(TextStream* inFile, RowSink* sink) {
  std::unique_ptr<PlistState> st(new PlistState);
  st->run.sink = sink;
  st->run.plainNames = true;
  return ReadXmlList(inFile, &st->run, st.get(), PlistStart, PlistEnd, PlistText, WriteTracks);
}
