// The task commands as data: the button, the name a command line gives the
// same task, the header and status text the command shows, and how its task
// starts. The window's buttons and a run from the command line read the same
// rows, so a report started either way begins alike.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

enum class TaskStart { Collect, Policies, Hive, AppPaths, Services, InternetExplorer };

struct TaskCommand {
    int id;
    const char* kind;   // the report's name on the command line
    const char* header; // nullptr: the view stays until the task driver writes its heading
    const char* status;
    int animate; // -1: unchanged
    TaskStart start;
    int hive; // index into hiveRequested for TaskStart::Hive
};

// nullptr for an id that is no task command.
const TaskCommand* findTaskCommand(int id);
// The same by the report's name, in any letter case; nullptr when no report has it.
const TaskCommand* findTaskCommandByKind(std::string_view kind);
// Equal but for the case of ASCII letters (kinds and switches of the command line).
bool sameIgnoringCase(std::string_view a, std::string_view b);
// Every report name, separated by ", ", in the order of the buttons' rows.
std::string taskKindList();

// The five hives of the hive rows, by their index.
struct HiveEntry {
    HKEY root;
    const char* name;
};
const HiveEntry& hiveEntry(int index);
