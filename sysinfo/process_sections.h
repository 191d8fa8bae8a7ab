// The sections of the common environment report that list what runs and
// what is registered: the environment block, the two Startup folders, the
// file types, the installed drivers, the kernel drivers and the processes
// with their windows and modules.
//
// Every writer ends with a progress step (a section of several pieces, such
// as one block per process, steps after each) and returns false as soon as a
// step finds a halt requested; the report frame then stops too.
#pragma once

#include "module_enumerator.h"
#include "process_blocks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TaskContext;

// The separator line that opens most sections.
inline constexpr std::string_view kSectionRule =
    "===========================================================================";

// "All environment strings:" and the strings of this process's environment.
bool writeEnvironmentStrings(TaskContext& context);

enum class StartupFolder { CurrentUser, AllUsers };

// The bare listing of one Startup folder under its label with the folder as
// the system named it, from the "dir \"FOLDER\" /B" command the folders
// section built (in the interpreter's code page, "%" doubled). A command of
// five characters or fewer names no folder: only the closing line feed then.
bool writeStartupFolder(TaskContext& context, const std::string& folder, const std::string& listCommand,
                        StartupFolder which);

// "Known file Types:": "assoc", three associations to a line, when it prints anything.
bool writeFileTypes(TaskContext& context);

// "Drivers:": the output of "driverquery.exe", when it prints anything.
bool writeInstalledDrivers(TaskContext& context);

// "Drivers Filename (Kernel):": the kernel drivers with their base and file
// names, through the process status library where it exists.
bool writeKernelDrivers(TaskContext& context);

// The processes of the captured task list, each with its windows and
// modules. `captureText` is what the runner captured for the process-list
// script; it is emptied when done.
bool writeProcesses(TaskContext& context, std::string& captureText, ProcessDetails& details);

// Windows through EnumWindows, modules through a module enumerator. Each
// module file is examined once for the life of the object: make one per report.
class SystemProcessDetails : public ProcessDetails {
  public:
    explicit SystemProcessDetails(ModuleEnumerator& modules) : modules_(modules) {}
    void collectWindows(WindowTable& windows) override;
    std::string describeModules(uint32_t processId) override;

  private:
    ModuleEnumerator& modules_;
    ModuleFactsCache examined_;
};

// The pure parts, for the tests.
namespace processsections {

// The section text for an environment block given as its strings, each
// ending in a zero byte (the block's final extra zero left out).
std::string environmentText(std::string_view block);

struct KernelDriver {
    std::optional<std::string> baseName; // absent when the system could not name it
    std::optional<std::string> fileName;
};

// Header, count and one line per driver.
std::string kernelDriversText(const std::vector<KernelDriver>& drivers);

// The kernel drivers as the system lists them; nothing when the list cannot
// be read (no process status library, a failed call, or a list that fills
// the whole room, which may be cut short).
std::optional<std::vector<KernelDriver>> listKernelDrivers();

// Room for driver addresses in one listing.
inline constexpr size_t kMostDrivers = 1024;

} // namespace processsections
