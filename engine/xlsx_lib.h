// libxlsxwriter's functions, loaded when the first workbook is written. The
// library pulls in libcrypto and libminizip: linked in, their relocations
// would cost every start of the program about a millisecond and a half, also
// the runs that write no workbook, which are nearly all.
#pragma once

#include <xlsxwriter.h>

struct XlsxLib {
  decltype(&::format_set_bold) format_set_bold;
  decltype(&::format_set_num_format) format_set_num_format;
  decltype(&::workbook_add_format) workbook_add_format;
  decltype(&::workbook_add_worksheet) workbook_add_worksheet;
  decltype(&::workbook_close) workbook_close;
  decltype(&::workbook_new_opt) workbook_new_opt;
  decltype(&::worksheet_freeze_panes) worksheet_freeze_panes;
  decltype(&::worksheet_set_column) worksheet_set_column;
  decltype(&::worksheet_write_formula_num) worksheet_write_formula_num;
  decltype(&::worksheet_write_number) worksheet_write_number;
  decltype(&::worksheet_write_string) worksheet_write_string;
};

// The loaded functions; null when the library cannot be loaded (then no
// workbook can be written). Only the first call tries to load it.
const XlsxLib* Xlsx();
