#include "task_context.h"

#include "report_writer.h"
#include "text_format.h"

#include <cstdarg>

int reportPrintf(TaskContext& context, const char* format, ...) {
    va_list args;
    va_start(args, format);
    auto text = formatGrowing(report::kFirstBuffer, report::kBufferStep, report::kBufferLimit, format, args);
    va_end(args);
    if (!text) return 0;
    context.write(*text);
    return static_cast<int>(text->size());
}

void writeReportTrailer(TaskContext& context) {
    context.write(reportTrailer());
}
