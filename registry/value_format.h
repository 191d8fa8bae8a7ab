// Rendering one registry value as the data part of its report line.
#pragma once

#include "registry_access.h"
#include "value_text.h"

#include <windows.h>

#include <string>

class TaskContext;

// Appends the rendered value and a line feed to the report.
void printval(TaskContext& report, const BYTE* data, DWORD type, DWORD size);

// Reads a named value of an open key and prints it; false when the key is
// unusable or memory is short, true otherwise (also when the value could
// not be read: then nothing is printed).
bool printRegistryValue(TaskContext& report, HKEY key, const std::wstring& valueName);

// Prints a value already read (texts in their single-byte form).
void printFetchedValue(TaskContext& report, const reg::ValueData& value);

// Opens root\keyPath and prints the named value: 0 when the key cannot be opened, else 1.
int get_value_string_or_dword_from_reg(TaskContext& report, HKEY root, const char* keyPath, const char* valueName);
