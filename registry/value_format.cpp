#include "value_format.h"

#include "registry_access.h"
#include "registry_read.h"
#include "report/task_context.h"

#include <new>

void printval(TaskContext& report, const BYTE* data, DWORD type, DWORD size) {
    const std::string text = renderValue(data, type, size);
    reportPrintf(report, "%s\n", text.c_str());
}

void printFetchedValue(TaskContext& report, const reg::ValueData& value) {
    reportPrintf(report, "%s\n", renderFetchedValue(value.type, value.bytes).c_str());
}

bool printRegistryValue(TaskContext& report, HKEY key, const std::wstring& valueName) {
    reg::ValueData value;
    try {
        // A value that cannot be read prints nothing.
        if (reg::queryValue(key, valueName, value) != ERROR_SUCCESS) return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
    printFetchedValue(report, value);
    return true;
}

int get_value_string_or_dword_from_reg(TaskContext& report, HKEY root, const char* keyPath,
                                       const char* valueName) {
    RegKey key;
    if (!key.open(root, keyPath, KEY_READ)) return 0;
    return printRegistryValue(report, key.get(), fromAnsi(valueName)) ? 1 : 0;
}
