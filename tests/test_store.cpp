#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cerrno>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/text.h"
#include "settings/regstore.h"
#include "settings/settings.h"
#include "settings/store.h"
#include "platform/errors.h"

namespace fs = std::filesystem;

static const char kHead[] = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Mirtun\\1.23]\n";

static std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

static void WriteFile(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A value line "name"=hex(1):.. holding exactly the given bytes.
static std::string HexValue(const char* name, const std::string& bytes) {
  std::string line = std::string("\"") + name + "\"=hex(1):";
  for (size_t i = 0; i < bytes.size(); ++i) {
    char b[4];
    std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(bytes[i]));
    line += (i ? "," : "") + std::string(b);
  }
  return line + "\n";
}

// The length of a stored value, or -1 when it is missing.
static long StoredLength(const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Mirtun\\1.23", 0, KEY_ALL_ACCESS,
                    &key) != ERROR_SUCCESS)
    return -1;
  DWORD size = 0;
  long len = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) ==
                     ERROR_SUCCESS ? static_cast<long>(size) : -1;
  RegCloseKey(key);
  return len;
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/mirtun-store-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    path_ = dir_ + "/mirtun/mirtun.reg";
    ResetSettings();
  }
  void TearDown() override {
    ResetSettings();
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    if (fs::exists(dir_ + "/mirtun", ec))
      fs::permissions(dir_ + "/mirtun", fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
    unsetenv("XDG_CONFIG_HOME");
  }
  std::string dir_, path_;
};

TEST_F(StoreTest, NoStoreKeepsStartValuesAndIsCreatedByTheFirstStore) {
  g_ColWTit = 77;
  EXPECT_EQ(GetRecentData(), 1);
  EXPECT_EQ(g_ColWTit, 77);
  EXPECT_EQ(g_kommaFlag, 1);
  EXPECT_FALSE(fs::exists(dir_ + "/mirtun"));  // loading creates nothing

  ResetSettings();
  EXPECT_EQ(SaveRecentData(), 1);
  std::string text = ReadFile(path_);
  EXPECT_EQ(text.rfind(kHead, 0), 0u) << text;
  EXPECT_NE(text.find("\"Flags\"=dword:0000007e\n"), std::string::npos);
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  for (const char* name : {"OpenInitDir", "SaveInitDir", "OpenPathFName",
                           "SavePathFName", "FileExtensions", "MusicFolder"})
    EXPECT_EQ(StoredLength(name), MAXPATH) << name;
  EXPECT_EQ(StoredLength("Flags"), MAXDATA);
}

TEST_F(StoreTest, FlagsTakeTheirBitValues) {
  struct Case {
    const char* word;
    int32_t html, komma, total, forml, rmext, tfmt, artf, durf;
  } cases[] = {
      {"00000041", 1, 0, 0, 0, 0, 0, 64, 0},
      {"fffffc80", 0, 0, 0, 0, 0, 0, 0, 128},   // bits 10..31 ignored
      {"000000ff", 1, 2, 4, 8, 16, 32, 64, 128},
      {"12", 0, 2, 0, 0, 16, 0, 0, 0},          // 16 is BITEXT, not BITFMT
  };
  for (const Case& c : cases) {
    ResetSettings();
    WriteFile(path_, std::string(kHead) + "\"Flags\"=dword:" + c.word + "\n");
    GetRecentData();
    int32_t got[] = {g_htmlFlag, g_kommaFlag, g_totalFlag, g_formlFlag,
                     g_rmextFlag, g_tfmtFlag, g_artfFlag, g_durfFlag};
    int32_t want[] = {c.html, c.komma, c.total, c.forml,
                      c.rmext, c.tfmt, c.artf, c.durf};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(got[i], want[i]) << c.word << " flag " << i;
  }
  // Bit 128 is only carried, yet survives the next store.
  SaveRecentData();
  EXPECT_NE(ReadFile(path_).find("\"Flags\"=dword:00000012\n"), std::string::npos);
  WriteFile(path_, std::string(kHead) + "\"Flags\"=dword:000000a0\n");
  ResetSettings();
  GetRecentData();
  SaveRecentData();
  EXPECT_NE(ReadFile(path_).find("\"Flags\"=dword:000000a0\n"), std::string::npos);
}

// A file as a user or another tool may write it: plain quoted strings with
// escapes, CR LF line ends, hex data going on over lines, own data lengths.
TEST_F(StoreTest, HandWrittenValuesLoadWithFlagsMissing) {
  std::string longDir(300, 'd');
  WriteFile(path_,
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Mirtun\\1.23]\r\n"
            "\"ColumnWidthTitle\"=dword:00000000\r\n"
            "\"ColumnWidthArtist\"=dword:000003e8\r\n"
            "\"OpenInitDir\"=\"/home/anna/Musik/\"\r\n" +
            HexValue("SaveInitDir", longDir + '\0') +
            "\"OpenPathFName\"=\"C:\\\\Listen\\\\\\\"neu\\\".m3u\"\r\n"
            "\"SavePathFName\"=hex(1):2f,74,\\\r\n  6d,70,\\\n\t2f,00\r\n"
            "\"FileExtensions\"=hex(1):6d,70,33,00,ff,ff\r\n");
  GetRecentData();
  EXPECT_EQ(g_ColWTit, 10);    // widths outside 10..250 load as the nearest bound
  EXPECT_EQ(g_ColWArt, 250);
  EXPECT_STREQ(g_oInitDir, "/home/anna/Musik/");  // 18 bytes, then a longer one
  EXPECT_EQ(std::string(g_sInitDir), longDir);
  EXPECT_STREQ(g_opnFName, "C:\\Listen\\\"neu\".m3u");
  EXPECT_STREQ(g_savFName, "/tmp/");
  EXPECT_STREQ(g_FileExt, "mp3");
  EXPECT_EQ(g_htmlFlag, 0);  // "Flags" missing: start values stay
  EXPECT_EQ(g_artfFlag, 1);
}

// A quoted text knows two escapes, \\ and \"; a line with any other escape
// or without its closing quote is dropped whole, so the field keeps its value.
TEST_F(StoreTest, QuotedTextsWithUnknownEscapesAreDropped) {
  struct { const char* line; const char* loaded; } cases[] = {
      {"\"OpenInitDir\"=\"/home/a\\b/\"", "/keep/"},
      {"\"OpenInitDir\"=\"/home/a\\nb/\"", "/keep/"},
      {"\"OpenInitDir\"=\"/home/open", "/keep/"},
      {"\"OpenInitDir\"=\"/home/a\"b/\"", "/keep/"},
      {"\"OpenInitDir\"=\"/home/a\\\\b/\"", "/home/a\\b/"},
      {"\"OpenInitDir\"=\"/home/a\\\"b/\"", "/home/a\"b/"},
  };
  for (const auto& c : cases) {
    WriteFile(path_, std::string(kHead) + c.line + "\n");
    CopyText(g_oInitDir, MAXPATH, "/keep/");
    GetRecentData();
    EXPECT_STREQ(g_oInitDir, c.loaded) << c.line;
  }
}

TEST_F(StoreTest, ValueLengthsAtAndBeyondTheFieldCapacity) {
  std::string x512(512, 'x');
  std::string x513(513, 'x');
  g_ColWTit = 42;
  CopyText(g_opnFName, MAXPATH, "/old/long/path/name.m3u");
  WriteFile(path_, std::string(kHead) + HexValue("OpenInitDir", x512) +
                       HexValue("SaveInitDir", x513) +
                       HexValue("OpenPathFName", "abc") +  // no zero
                       HexValue("SavePathFName", "") +
                       "\"ColumnWidthTitle\"=hex(4):01,00,00,00,00\n"
                       "\"ColumnWidthArtist\"=hex(4):50\n");
  CopyText(g_sInitDir, MAXPATH, "/keep/");
  CopyText(g_savFName, MAXPATH, "/gone/");
  GetRecentData();
  EXPECT_EQ(std::string(g_oInitDir), std::string(511, 'x'));  // cut, terminated
  EXPECT_STREQ(g_sInitDir, "/keep/");                        // oversized: ignored
  EXPECT_STREQ(g_opnFName, "abc");  // nothing of the old text behind it
  EXPECT_STREQ(g_savFName, "");
  EXPECT_EQ(g_ColWTit, 42);
  EXPECT_EQ(g_ColWArt, 0x50);

  // The longest list fits the field and is stored with the full 512 bytes.
  std::string ext;
  while (ext.size() < 511) ext += "mp3,";
  ext.resize(511);
  CopyText(g_FileExt, MAXPATH, ext.c_str());
  SaveRecentData();
  EXPECT_EQ(StoredLength("FileExtensions"), MAXPATH);
  ResetSettings();
  GetRecentData();
  EXPECT_EQ(std::string(g_FileExt), ext);
}

TEST_F(StoreTest, OtherKeysAndValuesAreKeptButNotRead) {
  WriteFile(path_,
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Mirtun\\1.22]\n"
            "\"Flags\"=dword:00000001\n\"ColumnWidthTitle\"=dword:00000063\n\n" +
                std::string(kHead) + "\"WindowPos\"=hex:01,02\n");
  GetRecentData();
  EXPECT_EQ(g_htmlFlag, 0);
  EXPECT_EQ(g_ColWTit, 30);
  SaveRecentData();
  std::string text = ReadFile(path_);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Mirtun\\1.22]\n"
                      "\"Flags\"=dword:00000001\n\"ColumnWidthTitle\"=dword:00000063\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Mirtun\\1.23]\n"
                      "\"WindowPos\"=hex:01,02\n\"Flags\"="),
            std::string::npos) << text;
}

TEST_F(StoreTest, DamagedFileGivesWhatCanBeReadAndIsRewrittenClean) {
  const std::string damage[] = {
      "\"ColumnWidthArtist\"=dword:xyz\n",
      "\"ColumnWidthArtist\"=dword:123456789\n",
      "\"ColumnWidthArtist\"=hex(1):4g,00\n",
      "\"ColumnWidthArtist\"=\"unterminated\n",
      "\"ColumnWidthArtist\"=\"bad \\escape\"\n",
      "\"ColumnWidthArtist\"=hex(1):41,\\\n",  // runs into the next line
      "\"ColumnWidthArtist\n",
      "[HKEY_CURRENT_USER\\Software\\Mirtun\\1.23\n",
      std::string("garbage\0\xff\xfe junk\n", 17),
  };
  // What a clean store of the same settings writes.
  g_ColWTit = 55;
  SaveRecentData();
  std::string clean = ReadFile(path_);

  for (const std::string& bad : damage) {
    ResetSettings();
    WriteFile(path_, std::string(kHead) + "\"ColumnWidthTitle\"=dword:00000037\n" +
                         bad + "\"Flags\"=dword:0000007e\n");
    GetRecentData();
    EXPECT_EQ(g_ColWTit, 55) << bad;
    EXPECT_EQ(g_ColWArt, 30) << bad;
    SaveRecentData();
    EXPECT_EQ(ReadFile(path_), clean) << bad;
  }
}

TEST_F(StoreTest, ProgramWrittenFileRoundTripsByteForByte) {
  g_htmlFlag = 1;
  g_durfFlag = 1;
  g_ColWArt = 249;
  CopyText(g_oInitDir, MAXPATH, "/home/anna/M\xfcsik \"alt\"\\/");
  CopyText(g_savFName, MAXPATH, std::string(511, 'z').c_str());
  SaveRecentData();
  std::string first = ReadFile(path_);

  ResetSettings();
  GetRecentData();
  EXPECT_EQ(g_ColWArt, 249);
  EXPECT_STREQ(g_oInitDir, "/home/anna/M\xfcsik \"alt\"\\/");
  SaveRecentData();
  EXPECT_EQ(ReadFile(path_), first);
}

TEST_F(StoreTest, ReplaceIsAtomicAndLeavesNoTemporaryFiles) {
  SaveRecentData();
  std::string before = ReadFile(path_);
  std::ifstream reader(path_, std::ios::binary);  // opened before the store
  g_ColWTit = 99;
  SaveRecentData();
  std::ostringstream seen;
  seen << reader.rdbuf();
  EXPECT_EQ(seen.str(), before);  // the old file was replaced, never rewritten
  EXPECT_NE(ReadFile(path_), before);
  int entries = 0;
  for (const auto& e : fs::directory_iterator(dir_ + "/mirtun")) {
    EXPECT_EQ(e.path().filename(), "mirtun.reg");
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

// A store that cannot be read or written says why, and leaves what stands
// there.
TEST_F(StoreTest, StoreThatCannotBeReadOrWrittenSaysWhy) {
  // A regular file where the folder should be: no one, root included, can
  // create the store below it.
  WriteFile(dir_ + "/file", "x");
  setenv("XDG_CONFIG_HOME", (dir_ + "/file").c_str(), 1);
  g_ColWTit = 99;
  int error = 0;
  EXPECT_EQ(SaveRecentData(&error), 0);
  EXPECT_EQ(error, ENOTDIR);
  EXPECT_EQ(g_ColWTit, 99);
  EXPECT_EQ(GetRecentData(), 1);  // there is no file to read
  EXPECT_EQ(ReadFile(dir_ + "/file"), "x");
  setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);

  // A folder, a pipe, a link to a device, a file without read permission or
  // without text where the file should be. Loading waits for nothing, says
  // why it read nothing and keeps the start values; storing over something
  // that is no file fails.
  fs::create_directories(dir_ + "/mirtun");
  const bool root = geteuid() == 0;  // root reads any file
  struct { const char* what; int readError, storeError; } cases[] = {
      {"folder", EISDIR, EISDIR},
      {"pipe", kNotRegularFile, kNotRegularFile},
      {"device", kNotRegularFile, kNotRegularFile},
      {"unreadable", root ? 0 : EACCES, 0},
      {"picture", kNotText, 0},
  };
  for (const auto& c : cases) {
    fs::remove_all(path_);
    std::string what = c.what;
    if (what == "folder") fs::create_directory(path_);
    if (what == "pipe") {
      ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    }
    if (what == "device") fs::create_symlink("/dev/null", path_);
    if (what == "unreadable") {
      WriteFile(path_, std::string(kHead) + "\"ColumnWidthTitle\"=dword:00000037\n");
      ASSERT_EQ(chmod(path_.c_str(), 0200), 0);
    }
    if (what == "picture")
      WriteFile(path_, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + kHead +
                           "\"ColumnWidthTitle\"=dword:00000037\n");
    ResetSettings();
    g_ColWTit = 77;
    error = 0;
    EXPECT_EQ(GetRecentData(&error), c.readError == 0 ? 1 : 0) << c.what;
    EXPECT_EQ(error, c.readError) << c.what;
    if (c.readError) {
      EXPECT_EQ(g_ColWTit, 77) << c.what;
    }
    if (c.storeError == 0) continue;
    error = 0;
    EXPECT_EQ(SaveRecentData(&error), 0) << c.what;
    EXPECT_EQ(error, c.storeError) << c.what;
  }
  char warning[300];
  StoreWarning(warning, sizeof warning, kNotText);
  EXPECT_EQ(std::string(warning), "Die Einstellungsdatei " + path_ +
                                      " konnte nicht gelesen werden: sie enthält keinen "
                                      "Text. Es gelten die Anfangswerte.");
}

// A store in a folder that takes no new file is written in place.
TEST_F(StoreTest, ReadOnlyFolderStillStores) {
  if (geteuid() == 0) GTEST_SKIP() << "root is not stopped by file modes";
  SaveRecentData();
  ASSERT_EQ(chmod((dir_ + "/mirtun").c_str(), 0500), 0);
  g_ColWTit = 99;
  setenv("XDG_CACHE_HOME", (dir_ + "/cache").c_str(), 1);  // the copies of an in-place write
  EXPECT_EQ(SaveRecentData(), 1);
  unsetenv("XDG_CACHE_HOME");
  ResetSettings();
  GetRecentData();
  EXPECT_EQ(g_ColWTit, 99);
}

// A store of many keys and values, hand-made or hostile, loads in time that
// grows with its size: every key and value is found by name in one step.
TEST_F(StoreTest, ManyKeysAndValues) {
  std::string text = "REGEDIT4\n";
  // Within the 1 MiB that is read of a store.
  for (int k = 0; k < 10000; ++k)
    text += "\n[HKEY_CURRENT_USER\\Other\\" + std::to_string(k) + "]\n\"v\"=dword:00000001\n";
  text += std::string(kHead).substr(9);
  for (int k = 0; k < 10000; ++k) text += "\"x" + std::to_string(k) + "\"=dword:00000002\n";
  text += "\"ColumnWidthTitle\"=dword:0000002a\n\"columnwidthtitle\"=dword:0000002b\n";
  WriteFile(path_, text);
  GetRecentData();
  EXPECT_EQ(g_ColWTit, 43);  // the later of two spellings stands
  SaveRecentData();
  std::string saved = ReadFile(path_);
  EXPECT_NE(saved.find("[HKEY_CURRENT_USER\\Other\\9999]"), std::string::npos);
  EXPECT_NE(saved.find("\"x9999\"=dword:00000002"), std::string::npos);
  EXPECT_EQ(saved.find("\"columnwidthtitle\""), std::string::npos);
}

TEST_F(StoreTest, ConverterStartsFromTheStoreAndNeverWritesIt) {
  std::string list = dir_ + "/list.pls";
  WriteFile(list, "[playlist]\nFile1=/x/a.mp3\nTitle1=Kraftwerk - Das Model\nLength1=220\n");
  auto run = [&](const char* args) {
    std::string cmd = std::string(MIRTUN_CONVERT_EXE) + " " + args + " " + list;
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      EXPECT_EQ(pclose(p), 0) << cmd;
    }
    return out;
  };
  run("");
  EXPECT_FALSE(fs::exists(dir_ + "/mirtun"));

  g_htmlFlag = 1;
  SaveRecentData();
  std::string stored = ReadFile(path_);
  auto inode = [&] {
    struct stat st;
    return stat(path_.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  ino_t ino = inode();
  EXPECT_NE(run("").find("<table"), std::string::npos);
  EXPECT_EQ(run("--defaults").find("<table"), std::string::npos);
  EXPECT_EQ(run("--text").find("<table"), std::string::npos);
  EXPECT_EQ(ReadFile(path_), stored);
  EXPECT_EQ(inode(), ino);
}
