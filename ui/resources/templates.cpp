#include "ui/resources/templates.h"

#include <iterator>

#include "ui/dialog.h"
#include "ui/resources/resource.h"

// Main dialog: source and target fields with their choosers, output style,
// total line and the command buttons. "Beenden" is the default button.
static const ControlTemplate kMainControls[] = {
    {SOURCE, ControlKind::Edit, "", TABSTOP, 6, 15, 170, 12},
    {SOURCEBTN, ControlKind::PushButton, "...", TABSTOP, 182, 14, 13, 14},
    {TARGET, ControlKind::Edit, "", TABSTOP, 6, 39, 170, 12},
    {TARGETBTN, ControlKind::PushButton, "...", TABSTOP, 182, 38, 13, 14},
    {TOTAL, ControlKind::CheckBox, "Gesamtzeit hinzufügen", TABSTOP, 92, 58, 95, 10},
    {IDPREVIEW, ControlKind::PushButton, "Vorschau", TABSTOP, 92, 92, 48, 14},
    {IDOK, ControlKind::PushButton, "Umwandeln", TABSTOP, 147, 92, 48, 14},
    {IDINFO, ControlKind::PushButton, "Info...", TABSTOP, 6, 111, 36, 14},
    {ID_HELP, ControlKind::PushButton, "Hilfe", TABSTOP, 49, 111, 36, 14},
    {IDOPT, ControlKind::PushButton, "Optionen...", TABSTOP, 92, 111, 48, 14},
    {IDCANCEL, ControlKind::PushButton, "Beenden", TABSTOP | DEFPUSHBUTTON, 147, 111, 48, 14},
    {HTML, ControlKind::RadioButton, "HTML", GROUP, 6, 58, 79, 10},
    {ASCII, ControlKind::RadioButton, "Text, Import", 0, 6, 70, 79, 10},
    {LBL_SOURCE, ControlKind::Label, "Quelldatei (Playlist)", GROUP, 6, 6, 68, 8},
    {LBL_TARGET, ControlKind::Label, "Zieldatei", 0, 6, 30, 39, 8},
    {TFMT, ControlKind::RadioButton, "Text, formatiert", 0, 6, 82, 79, 10},
    {XLSX, ControlKind::RadioButton, "Tabelle (xlsx)", 0, 6, 94, 79, 10},
};

// Info dialog: what the program does, the licence notice and "OK".
static const ControlTemplate kInfoControls[] = {
    {INFO_TEXT, ControlKind::Label,
     "Mirtun wandelt Wiedergabelisten (Playlists) von Audio- bzw. "
     "Mediaplayer-Anwendungen um in HTML- oder Textdateien (für den Import "
     "in Tabellenkalkulationen).",
     CENTER | GROUP, 6, 6, 172, 36},
    {INFO_NOTICE, ControlKind::Label,
     "Mirtun ist freie Software (GNU GPL 3+).\n"
     "Die Benutzung erfolgt auf eigene Gefahr.",
     CENTER | GROUP, 6, 48, 172, 20},
    {INFO_OK, ControlKind::PushButton, "OK", TABSTOP | DEFPUSHBUTTON, 72, 76, 40, 14},
};

// Options dialog: "Allgemein" holds the column order, the extension
// removal with its list and the music folder with its chooser;
// "Textausgabe" the separator, the formula and the header row of the
// import text and the two widths of the formatted text. "Abbrechen", not
// "OK", is the default button.
static const ControlTemplate kOptionsControls[] = {
    {GRP_GENERAL, ControlKind::GroupBox, "Allgemein", GROUP, 6, 6, 186, 77},
    {EXTENSIONS, ControlKind::Edit, "", TABSTOP, 12, 47, 174, 12},
    {RMEXT, ControlKind::CheckBox, "Dateierweiterungen entfernen", TABSTOP, 12, 32, 113, 12},
    {LBL_ORDER, ControlKind::Label, "Spaltenfolge:", 0, 12, 18, 44, 8},
    {ARTFIRST, ControlKind::AutoRadioButton, "Interpret, Titel", GROUP, 59, 16, 60, 12},
    {TITFIRST, ControlKind::AutoRadioButton, "Titel, Interpret", 0, 124, 16, 65, 12},
    {LBL_MUSICDIR, ControlKind::Label, "Musikordner:", GROUP, 12, 67, 44, 8},
    {MUSICDIR, ControlKind::Edit, "", TABSTOP, 59, 65, 110, 12},
    {MUSICDIRBTN, ControlKind::PushButton, "...", TABSTOP, 173, 64, 13, 14},
    {GRP_TEXT, ControlKind::GroupBox, "Textausgabe", GROUP, 6, 87, 186, 76},
    {LBL_IMPORT, ControlKind::Label, "Import", 0, 12, 98, 25, 8},
    {LBL_SEPARATOR, ControlKind::Label, "Spaltentrennzeichen:", 0, 19, 109, 65, 8},
    {SEPTAB, ControlKind::AutoRadioButton, "Tabulator", GROUP, 89, 107, 49, 12},
    {SEPKOMMA, ControlKind::AutoRadioButton, "Komma", 0, 141, 107, 44, 12},
    {LBL_FORMATTED, ControlKind::Label, "Formatiert", GROUP, 12, 136, 38, 8},
    {LBL_WIDTH, ControlKind::Label, "Spaltenbreite:", 0, 19, 147, 46, 8},
    {LBL_ARTIST, ControlKind::Label, "Interpret", 0, 78, 147, 26, 8},
    {LBL_TITLE, ControlKind::Label, "Titel", 0, 138, 147, 18, 8},
    {COLWART, ControlKind::Edit, "", TABSTOP, 108, 145, 20, 12},
    {COLWTIT, ControlKind::Edit, "", TABSTOP, 156, 145, 20, 12},
    {TOTFORM, ControlKind::CheckBox, "Gesamtzeit als Formel", TABSTOP, 19, 120, 91, 12},
    {HEADROW, ControlKind::CheckBox, "Kopfzeile", TABSTOP, 120, 120, 60, 12},
    {IDOOK, ControlKind::PushButton, "OK", TABSTOP, 88, 167, 48, 14},
    {IDOCAN, ControlKind::PushButton, "Abbrechen", TABSTOP | DEFPUSHBUTTON, 144, 167, 48, 14},
};

static const DialogTemplate kTemplates[] = {
    {IDD_MAIN, "korvelin", 201, 131, kMainControls,
     static_cast<int>(std::size(kMainControls))},
    {IDD_INFO, "Über Mirtun", 184, 96, kInfoControls,
     static_cast<int>(std::size(kInfoControls))},
    {IDD_OPTIONS, "Optionen", 198, 187, kOptionsControls,
     static_cast<int>(std::size(kOptionsControls))},
};

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}
