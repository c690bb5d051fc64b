#include "ui/resources/templates.h"

#include <iterator>

#include "platform/ui.h"
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
    {IDPREVIEW, ControlKind::PushButton, "Vorschau", TABSTOP, 92, 80, 48, 14},
    {IDOK, ControlKind::PushButton, "Umwandeln", TABSTOP, 147, 80, 48, 14},
    {IDINFO, ControlKind::PushButton, "Info...", TABSTOP, 6, 99, 36, 14},
    {ID_HELP, ControlKind::PushButton, "Hilfe", TABSTOP, 49, 99, 36, 14},
    {IDOPT, ControlKind::PushButton, "Optionen...", TABSTOP, 92, 99, 48, 14},
    {IDCANCEL, ControlKind::PushButton, "Beenden", TABSTOP | DEFPUSHBUTTON, 147, 99, 48, 14},
    {HTML, ControlKind::RadioButton, "HTML", GROUP, 6, 58, 79, 10},
    {ASCII, ControlKind::RadioButton, "Text, Import", 0, 6, 70, 79, 10},
    {LBL_SOURCE, ControlKind::Label, "Quelldatei (Playlist)", GROUP, 6, 6, 68, 8},
    {LBL_TARGET, ControlKind::Label, "Zieldatei", 0, 6, 30, 39, 8},
    {TFMT, ControlKind::RadioButton, "Text, formatiert", 0, 6, 82, 79, 10},
};

static const DialogTemplate kTemplates[] = {
    {IDD_MAIN, "korvelin", 201, 119, kMainControls,
     static_cast<int>(std::size(kMainControls))},
};

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}
