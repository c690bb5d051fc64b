// The options dialog driven through its widgets from the main dialog:
// what it shows, what "OK" takes over, what the other ways out leave alone,
// and what a conversion and the next start make of it.
#include <QApplication>
#include <QWidget>

#include <cstring>

#include "base/text.h"
#include "ui/app_state.h"
#include "settings/store.h"
#include "ui/dialog.h"
#include "ui/options_dialog.h"
#include "ui/resources/resource.h"
#include "ui_support.h"

namespace {

class Options : public UiTest {};

// Opens the options dialog with "Optionen..." and runs scenario in it.
void InOptions(const std::function<void(HWND)>& scenario) {
  RunMainDialog([&](HWND main) { OpenNested(main, IDOPT, scenario); });
}

struct WidthCase {
  const char* typed;
  int32_t stored;
};

TEST_F(Options, WidthEntriesAreReadThroughSevenCharactersAndClamped) {
  const WidthCase cases[] = {
      {"0", 10},     {"", 10},      {"abc", 10},   {"-5", 10},    {"9", 10},
      {"10", 10},    {"11", 11},    {"249", 249},  {"250", 250},  {"999", 250},
      {"12abc", 12}, {" 40", 40},
      {"12345678", 250},  // only 1234567 is read
      {"00000012345", 10},  // 0000001: the rest is never seen
  };
  for (const WidthCase& c : cases) {
    FreshState();
    InOptions([&](HWND dlg) {
      Retype(dlg, COLWTIT, c.typed);
      Retype(dlg, COLWART, c.typed);
      Click(dlg, IDOOK);
    });
    EXPECT_EQ(g_ColWTit, c.stored) << "\"" << c.typed << "\"";
    EXPECT_EQ(g_ColWArt, c.stored) << "\"" << c.typed << "\"";
  }
  // Each field goes to its own width.
  InOptions([](HWND dlg) {
    Retype(dlg, COLWTIT, "20");
    Retype(dlg, COLWART, "40");
    Click(dlg, IDOOK);
  });
  EXPECT_EQ(g_ColWTit, 20);
  EXPECT_EQ(g_ColWArt, 40);
}

// A stored width outside 10..250 (a hand-edited file) is loaded as the
// nearest bound; a stored 0x7fffffff once gave lines of 65,574 characters.
TEST_F(Options, StoredWidthsOutsideTheirRangeAreLoadedAsTheNearestBound) {
  const struct {
    int32_t stored;
    const char* shown;
  } cases[] = {
      {30, "30"},       {10, "10"},       {250, "250"},    {5, "10"},
      {251, "250"},     {9999999, "250"}, {-999999, "10"}, {INT32_MAX, "250"},
      {INT32_MIN, "10"}, {0, "10"},
  };
  for (const auto& c : cases) {
    FreshState();
    g_ColWTit = c.stored;
    g_ColWArt = c.stored;
    Store();
    InOptions([&](HWND dlg) {
      EXPECT_EQ(Text(dlg, COLWTIT), c.shown) << c.stored;
      EXPECT_EQ(Text(dlg, COLWART), c.shown) << c.stored;
    });
  }
}

TEST_F(Options, RestoredBitValuesShowCheckedAndOkStoresOne) {
  g_kommaFlag = g_formlFlag = g_rmextFlag = g_artfFlag = 1;
  Store();  // loaded again as 2, 8, 16 and 64
  InOptions([](HWND dlg) {
    EXPECT_EQ(g_kommaFlag, 2);
    EXPECT_EQ(g_artfFlag, 64);
    EXPECT_TRUE(Checked(dlg, SEPKOMMA));
    EXPECT_FALSE(Checked(dlg, SEPTAB));
    EXPECT_TRUE(Checked(dlg, TOTFORM));
    EXPECT_TRUE(Checked(dlg, RMEXT));
    EXPECT_TRUE(Checked(dlg, ARTFIRST));
    EXPECT_FALSE(Checked(dlg, TITFIRST));
    Click(dlg, IDOOK);
  });
  EXPECT_EQ(g_kommaFlag, 1);
  EXPECT_EQ(g_formlFlag, 1);
  EXPECT_EQ(g_rmextFlag, 1);
  EXPECT_EQ(g_artfFlag, 1);

  g_kommaFlag = g_formlFlag = g_rmextFlag = g_artfFlag = 0;
  Store();
  InOptions([](HWND dlg) {
    EXPECT_TRUE(Checked(dlg, SEPTAB));
    EXPECT_TRUE(Checked(dlg, TITFIRST));
    EXPECT_FALSE(Checked(dlg, SEPKOMMA) || Checked(dlg, ARTFIRST) ||
                 Checked(dlg, TOTFORM) || Checked(dlg, RMEXT));
    EXPECT_TRUE(Enabled(dlg, RMEXT));  // the list is not empty
    Click(dlg, IDOOK);
  });
  EXPECT_EQ(g_kommaFlag | g_formlFlag | g_rmextFlag | g_artfFlag, 0);
}

TEST_F(Options, OpensCentredOverTheMainDialogWithFocusOnTheColumnOrder) {
  RunMainDialog([](HWND main) {
    // Also when the main dialog lies at the screen's right edge.
    for (int x : {100, GetSystemMetrics(SM_CXSCREEN) - 60}) {
      SetWindowPos(main, nullptr, x, 40, 0, 0, SWP_NOSIZE);
      OpenNested(main, IDOPT, [main](HWND dlg) {
        RECT m, d;
        GetWindowRect(main, &m);
        GetWindowRect(dlg, &d);
        EXPECT_EQ(d.left, m.left + ((m.right - m.left) - (d.right - d.left)) / 2);
        EXPECT_EQ(d.top, m.top + ((m.bottom - m.top) - (d.bottom - d.top)) / 2);
        EXPECT_EQ(static_cast<QWidget*>(dlg)->windowTitle().toStdString(),
                  "Mirtun Ausgabe-Optionen");
        EXPECT_EQ(static_cast<QWidget*>(dlg)->focusWidget(), Control(dlg, ARTFIRST));
        EXPECT_EQ(g_hOptDlg, dlg);
      });
    }
  });
}

TEST_F(Options, ExtensionListSwitchesTheRemoval) {
  InOptions([](HWND dlg) {
    EXPECT_EQ(Text(dlg, EXTENSIONS), DEFAULT_FILE_EXT);
    // Unchecking and then editing the list checks the removal again.
    Click(dlg, RMEXT);
    EXPECT_FALSE(Checked(dlg, RMEXT));
    Type(dlg, EXTENSIONS, ",flac");
    EXPECT_TRUE(Checked(dlg, RMEXT));
    // Emptying greys it out and clears it; one character brings it back.
    Retype(dlg, EXTENSIONS, "");
    EXPECT_FALSE(Enabled(dlg, RMEXT));
    EXPECT_FALSE(Checked(dlg, RMEXT));
    Type(dlg, EXTENSIONS, "o");
    EXPECT_TRUE(Enabled(dlg, RMEXT));
    EXPECT_TRUE(Checked(dlg, RMEXT));
    Retype(dlg, EXTENSIONS, "ogg,flac");
    Click(dlg, IDOOK);
  });
  EXPECT_STREQ(g_FileExt, "ogg,flac");
  ASSERT_EQ(g_NumExt, 2);
  EXPECT_STREQ(g_ExtList[0], "ogg");
  EXPECT_STREQ(g_ExtList[1], "flac");
  EXPECT_EQ(g_rmextFlag, 1);

  InOptions([](HWND dlg) {
    Retype(dlg, EXTENSIONS, "");
    Click(dlg, IDOOK);
  });
  EXPECT_STREQ(g_FileExt, "");
  EXPECT_EQ(g_rmextFlag, 0);
  EXPECT_EQ(g_NumExt, 1);
}

TEST_F(Options, EmptyStoredListWithRemovalShowsItGreyButCheckedAndKeepsIt) {
  g_FileExt[0] = '\0';
  g_rmextFlag = 1;
  Store();
  InOptions([](HWND dlg) {
    EXPECT_FALSE(Enabled(dlg, RMEXT));
    EXPECT_TRUE(Checked(dlg, RMEXT));
    Click(dlg, IDOOK);
  });
  EXPECT_EQ(g_rmextFlag, 1);
  EXPECT_STREQ(g_FileExt, "");
}

TEST_F(Options, OverlongListIsCutTo511Bytes) {
  std::string list(600, 'x');
  InOptions([&](HWND dlg) {
    Retype(dlg, EXTENSIONS, list);
    Click(dlg, IDOOK);
  });
  EXPECT_EQ(std::string(g_FileExt), list.substr(0, 511));
}

// Every setting the dialog shows, and the extension table.
struct Snapshot {
  int32_t flags[4], widths[2], numExt;
  std::string fileExt, table;
  bool operator==(const Snapshot& o) const {
    return std::memcmp(flags, o.flags, sizeof flags) == 0 &&
           std::memcmp(widths, o.widths, sizeof widths) == 0 && numExt == o.numExt &&
           fileExt == o.fileExt && table == o.table;
  }
};

Snapshot Take() {
  Snapshot s{{g_artfFlag, g_rmextFlag, g_kommaFlag, g_formlFlag},
             {g_ColWTit, g_ColWArt}, g_NumExt, g_FileExt, ""};
  for (int32_t k = 0; k < g_NumExt; ++k) s.table += std::string(g_ExtList[k]) + "|";
  return s;
}

void EditEverything(HWND dlg) {
  Click(dlg, TITFIRST);
  Click(dlg, SEPTAB);
  Click(dlg, TOTFORM);
  Retype(dlg, EXTENSIONS, "ogg");
  Click(dlg, RMEXT);
  Retype(dlg, COLWTIT, "99");
  Retype(dlg, COLWART, "98");
}

TEST_F(Options, EveryWayButOkDropsTheEdits) {
  const struct {
    const char* how;
    std::function<void(HWND)> leave;
  } cases[] = {
      {"Abbrechen", [](HWND dlg) { Click(dlg, IDOCAN); }},
      {"close box", [](HWND dlg) { static_cast<QWidget*>(dlg)->close(); }},
      {"Return in a field (default button)",
       [](HWND dlg) { Key(dlg, COLWART, Qt::Key_Return); }},
  };
  for (const auto& c : cases) {
    FreshState();
    Store();
    bool open = true;
    Snapshot before{}, after{};
    RunMainDialog([&](HWND main) {
      before = Take();
      OpenNested(main, IDOPT, [&](HWND dlg) {
        EditEverything(dlg);
        c.leave(dlg);
        open = IsOpen(dlg);
      });
      after = Take();
    });
    EXPECT_FALSE(open) << c.how;
    EXPECT_EQ(g_hOptDlg, nullptr) << c.how;
    EXPECT_TRUE(before == after) << c.how;
  }
}

TEST_F(Options, EscapeLeavesTheDialogOpen) {
  bool open = false;
  InOptions([&](HWND dlg) {
    Key(dlg, EXTENSIONS, Qt::Key_Escape);
    open = IsOpen(dlg) && g_hOptDlg == dlg;
  });
  EXPECT_TRUE(open);
}

TEST_F(Options, F1OpensTheOptionsPageOnly) {
  InOptions([](HWND dlg) { Key(dlg, COLWTIT, Qt::Key_F1); });
  EXPECT_EQ(g_helpPages, (std::vector<std::string>{"003.html"}));
}

TEST_F(Options, CloseOfTheMainDialogEndsTheOptionsAndDropsTheEdits) {
  Snapshot before = Take();
  INT_PTR result = -5;
  bool optionsOpen = true;
  RunMainDialog([&](HWND main) {
    WhenNextDialogRuns([&] {
      HWND dlg = static_cast<void*>(QApplication::activeModalWidget());
      EditEverything(dlg);
      SendMessageA(main, WM_CLOSE, 0, 0);
      optionsOpen = IsOpen(dlg);
    });
    result = DialogBoxParamA(g_hinst, IDD_OPTIONS, main, OptDlgFunc, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(optionsOpen);
  EXPECT_EQ(g_hOptDlg, nullptr);
  g_NumExt = ReadExtensions();  // the main dialog rebuilt it from the same list
  EXPECT_TRUE(before == Take());
  EXPECT_FALSE(Exists(SettingsFile()));
}

class OptionsConvert : public Options {
 protected:
  void SetUp() override {
    Options::SetUp();
    source = dir.File("party.pls");
    target = dir.File("party.txt");
    WriteFile(source,
              "[playlist]\nFile1=a.mp3\nTitle1=Band - Lied.mp3\nLength1=61\n"
              "File2=b.mp3\nTitle2=Gruppe - Stück.ogg\nLength2=125\n"
              "NumberOfEntries=2\n");
    CopyText(g_opnFName, sizeof g_opnFName, source.c_str());
    CopyText(g_savFName, sizeof g_savFName, target.c_str());
    Store();
  }
  std::string source, target;
};

TEST_F(OptionsConvert, ConversionAfterOkUsesTheNewSettings) {
  RunMainDialog([&](HWND main) {
    Click(main, ASCII);
    Click(main, IDOK);
    EXPECT_EQ(ReadFile(target),
              "Band,Lied,00:01:01\nGruppe,Stück,00:02:05\n,Gesamtzeit,=SUMME(C1:C2)\n");
    OpenNested(main, IDOPT, [](HWND dlg) {
      Click(dlg, TITFIRST);
      Click(dlg, SEPTAB);
      Click(dlg, TOTFORM);
      Click(dlg, RMEXT);
      Retype(dlg, COLWART, "12");
      Retype(dlg, COLWTIT, "15");
      Click(dlg, IDOOK);
    });
    log.answer = IDYES;  // overwrite
    Click(main, IDOK);
    EXPECT_EQ(ReadFile(target),
              "Lied.mp3\tBand\t00:01:01\nStück.ogg\tGruppe\t00:02:05\n"
              "\tGesamtzeit\t00:03:06\n");
    OpenNested(main, IDOPT, [](HWND dlg) {
      Click(dlg, ARTFIRST);
      Click(dlg, IDOOK);
    });
    Click(main, TFMT);
    Click(main, IDOK);
    EXPECT_EQ(ReadFile(target),
              "Band        Lied.mp3       00:01:01\n"
              "Gruppe      Stück.ogg      00:02:05\n"
              "               Gesamtzeit: 00:03:06\n");
  });
}

TEST_F(OptionsConvert, BeendenStoresThemAndTheNextStartShowsThem) {
  RunMainDialog([](HWND main) {
    OpenNested(main, IDOPT, [](HWND dlg) {
      EditEverything(dlg);
      Click(dlg, IDOOK);
    });
    Click(main, IDCANCEL);
  });
  FreshState();
  InOptions([](HWND dlg) {
    EXPECT_TRUE(Checked(dlg, TITFIRST));
    EXPECT_TRUE(Checked(dlg, SEPTAB));
    EXPECT_FALSE(Checked(dlg, TOTFORM));
    EXPECT_FALSE(Checked(dlg, RMEXT));
    EXPECT_TRUE(Enabled(dlg, RMEXT));
    EXPECT_EQ(Text(dlg, EXTENSIONS), "ogg");
    EXPECT_EQ(Text(dlg, COLWTIT), "99");
    EXPECT_EQ(Text(dlg, COLWART), "98");
  });
  EXPECT_EQ(g_NumExt, 1);
}

}  // namespace
