#include "engine/xlsx_lib.h"

#include <dlfcn.h>

#include <type_traits>

static bool Load(XlsxLib* x) {
  // The handle is kept for the life of the process, as the functions are.
  void* lib = dlopen(MIRTUN_XLSXWRITER_SONAME, RTLD_LAZY | RTLD_LOCAL);
  if (!lib) return false;
  bool ok = true;
  auto get = [lib, &ok](const char* name, auto* fn) {
    *fn = reinterpret_cast<std::remove_pointer_t<decltype(fn)>>(dlsym(lib, name));
    ok = ok && *fn != nullptr;
  };
  get("format_set_bold", &x->format_set_bold);
  get("format_set_num_format", &x->format_set_num_format);
  get("workbook_add_format", &x->workbook_add_format);
  get("workbook_add_worksheet", &x->workbook_add_worksheet);
  get("workbook_close", &x->workbook_close);
  get("workbook_new_opt", &x->workbook_new_opt);
  get("worksheet_freeze_panes", &x->worksheet_freeze_panes);
  get("worksheet_set_column", &x->worksheet_set_column);
  get("worksheet_write_formula_num", &x->worksheet_write_formula_num);
  get("worksheet_write_number", &x->worksheet_write_number);
  get("worksheet_write_string", &x->worksheet_write_string);
  return ok;
}

const XlsxLib* Xlsx() {
  static XlsxLib lib;
  static const bool loaded = Load(&lib);
  return loaded ? &lib : nullptr;
}
