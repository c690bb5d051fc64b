// Dialog templates as data: every control with its identifier, kind, text,
// style and place in dialog units, in tab order.
#pragma once

enum class ControlKind {
  Label,        // static text, wrapped at word boundaries
  GroupBox,     // frame with a caption around the controls that follow it
  Edit,         // single-line edit field with border, scrolls horizontally
  PushButton,
  CheckBox,     // automatic: toggles itself when clicked
  RadioButton,  // plain: the dialog procedure sets its check state
  AutoRadioButton,  // checks itself when clicked and clears the others of
                    // its group
};

// Style bits.
constexpr unsigned TABSTOP = 1;
constexpr unsigned GROUP = 2;
constexpr unsigned DEFPUSHBUTTON = 4;
constexpr unsigned CENTER = 8;  // static text centred in its rectangle

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
