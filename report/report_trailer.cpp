#include "report_trailer.h"

const char* reportTrailer() {
    return "\r\n"
           "==========================================================================="
           "\r\n"
           "Korvexer.exe -> everything about this Windows machine in one searchable report."
           " Homepage: the Korvexer project page \r\n";
}
