// Dialog templates as data: every control with its identifier, kind, text,
// style and place in dialog units, in tab order.
#pragma once

enum class ControlKind {
  Label,        // static text
  Edit,         // single-line edit field with border, scrolls horizontally
  PushButton,
  CheckBox,     // automatic: toggles itself when clicked
  RadioButton,  // plain: the dialog procedure sets its check state
};

// Style bits.
constexpr unsigned TABSTOP = 1;
constexpr unsigned GROUP = 2;
constexpr unsigned DEFPUSHBUTTON = 4;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // UTF-8
  unsigned style;
  int x, y, w, h;  // dialog units
};

struct DialogTemplate {
  int id;
  const char* caption;
  int w, h;  // client size in dialog units
  const ControlTemplate* controls;
  int count;
};

// The template with this id, or null.
const DialogTemplate* FindDialogTemplate(int id);
