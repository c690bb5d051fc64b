#include "engine/row_sink.h"

void SinkInit(RowSink* sink, FILE* out, const RunSettings* s) {
  sink->out = out;
  sink->s = s;
  sink->cols = ColumnsFrom(*s);
  sink->tsum = 0;
  sink->rows = 0;
  sink->badLine = 0;
}

void AddNamePart(RowSink* sink, const char* artist, const char* title) {
  WriteNamePart(sink->out, *sink->s, sink->cols, artist, title);
}

void AddTimePart(RowSink* sink, int32_t seconds) {
  char timefmt[TIMEFMT_SIZE] = "";
  if (seconds != kNoTime) {
    sink->tsum += static_cast<uint32_t>(seconds);
    FormatTime(timefmt, seconds);
  }
  WriteTimePart(sink->out, *sink->s, timefmt);
  ++sink->rows;
}

void AddRow(RowSink* sink, const char* artist, const char* title,
            int32_t seconds) {
  AddNamePart(sink, artist, title);
  AddTimePart(sink, seconds);
}

void Finish(RowSink* sink) {
  CreateTotalTime(sink->out, *sink->s, sink->tsum, sink->rows);
}
