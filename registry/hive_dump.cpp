#include "registry_dumper.h"

#include "app/main_dialog.h"

void startHiveDump(MainDialog& dialog, HKEY, const char*) {
    // Not yet dumping: the request ends without a result.
    dialog.collectorRunning = 0;
}
