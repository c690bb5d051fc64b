#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>

#include "settings/music_dir.h"
#include "support.h"

// Where the music folder comes from when the setting is empty: MPD's
// configuration (the first of its files that exists), else the XDG music
// folder when it exists and is not the home folder itself.
TEST(MusicFolder, FromTheSystemsConfiguration) {
  if (Exists("/etc/mpd.conf")) GTEST_SKIP() << "/etc/mpd.conf would answer first";
  TempDir home;
  mkdir((home / ".config").c_str(), 0700);
  mkdir((home / ".config/mpd").c_str(), 0700);
  mkdir((home / "Musik").c_str(), 0700);
  ScopedEnv h("HOME", home.path.c_str());
  ScopedEnv x("XDG_CONFIG_HOME", nullptr);
  const std::string mpdConf = home / ".config/mpd/mpd.conf";
  const std::string mpdDot = home / ".mpdconf";
  const std::string dirs = home / ".config/user-dirs.dirs";
  const struct {
    const char* name;
    std::string conf, dot, userDirs;  // empty: no such file
    std::string want;
  } cases[] = {
      {"MPD, quoted, ~ expanded", "music_directory\t\"~/Musik\"\n", "", "", home / "Musik"},
      {"MPD, escapes and comment", "#music_directory \"/x\"\n  music_directory \"/a \\\"b\\\"\"\n",
       "", "", "/a \"b\""},
      {"MPD, unquoted", "music_directory /srv/music # here\n", "", "", "/srv/music"},
      {"~/.mpdconf when the first is missing", "", "music_directory \"/srv/m\"\n", "",
       "/srv/m"},
      {"the first file decides", "bind_to_address \"any\"\n", "music_directory \"/srv/m\"\n",
       "XDG_MUSIC_DIR=\"$HOME/Musik\"\n", home / "Musik"},
      {"XDG music folder", "", "", "# x\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n", home / "Musik"},
      {"XDG folder missing", "", "", "XDG_MUSIC_DIR=\"$HOME/Music\"\n", ""},
      {"XDG folder is home", "", "", "XDG_MUSIC_DIR=\"$HOME/\"\n", ""},
      {"XDG folder relative", "", "", "XDG_MUSIC_DIR=\"Musik\"\n", ""},
      {"nothing", "", "", "", ""},
  };
  for (const auto& c : cases) {
    for (const auto& [path, text] : {std::pair{mpdConf, c.conf}, {mpdDot, c.dot}, {dirs, c.userDirs}}) {
      if (text.empty())
        std::remove(path.c_str());
      else
        WriteFile(path, text);
    }
    char out[PATH_MAX] = "x";
    SystemMusicFolder(out, sizeof out);
    std::string got = out;
    if (got.size() > 1 && got.back() == '/') got.pop_back();
    EXPECT_EQ(got, c.want) << c.name;
  }
  char out[PATH_MAX];
  MusicFolder("/set/by/user", out, sizeof out);
  EXPECT_STREQ(out, "/set/by/user");
}
