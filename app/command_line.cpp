#include "command_line.h"

#include "task_commands.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "/name" or "-name", in any letter case.
bool isSwitch(std::string_view argument, std::string_view name) {
    return argument.size() == name.size() + 1 && (argument[0] == '/' || argument[0] == '-') &&
           sameIgnoringCase(argument.substr(1), name);
}

// One of this program's switches: never taken for a file's name or a text,
// where a forgotten argument would otherwise make it one.
bool isOurSwitch(std::string_view argument) {
    for (std::string_view name : {"?", "report", "inventory", "compare", "tag", "quiet", "redact"})
        if (isSwitch(argument, name)) return true;
    return false;
}

CommandLine failure(std::string message) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = std::move(message);
    return line;
}

// An argument quoted into an error line, cut so that the line stays one line
// of reasonable length whatever was typed.
std::string quoted(std::string_view argument) {
    constexpr size_t kShown = 60;
    std::string out = "\"";
    out.append(argument.substr(0, kShown));
    if (argument.size() > kShown) out += "...";
    out += "\"";
    return out;
}

CommandLine parseInventory(const std::vector<std::string>& args) {
    // "/inventory /tag X" has forgotten its target: no file named "\tag".
    if (args.size() < 2 || args[1].empty() || isSwitch(args[1], "tag") || isSwitch(args[1], "quiet"))
        return failure("/inventory needs a server address (http://HOST[:PORT]/PATH) or a file");
    CommandLine line;
    line.action = CommandLine::Action::Inventory;
    line.target = args[1];
    bool tagGiven = false;
    for (size_t next = 2; next < args.size(); ++next) {
        if (isSwitch(args[next], "tag") && !tagGiven) {
            if (next + 1 >= args.size() || isOurSwitch(args[next + 1])) return failure("/tag needs a text");
            line.tag = args[++next];
            tagGiven = true;
        } else if (isSwitch(args[next], "quiet") && !line.quiet) {
            line.quiet = true;
        } else {
            return failure("unexpected argument " + quoted(args[next]) + " after the target");
        }
    }
    return line;
}

CommandLine parseCompare(const std::vector<std::string>& args) {
    auto refused = [](std::string message) {
        CommandLine line = failure(std::move(message));
        line.errorExit = exitcode::kTrouble;
        return line;
    };
    if (args.size() < 3 || args[1].empty() || args[2].empty())
        return refused("/compare needs two report files (and a file for the comparison, or none)");
    if (args.size() > 4) return refused("unexpected argument " + quoted(args[4]) + " after the output file");
    for (size_t i = 1; i < args.size(); ++i)
        if (isOurSwitch(args[i]))
            return refused("/compare takes files, not " + quoted(args[i]) + ": /compare OLD NEW [OUT]");
    if (args.size() == 4 && args[3].empty()) return refused("/compare: the output file has no name");
    CommandLine line;
    line.action = CommandLine::Action::Compare;
    line.oldFile = args[1];
    line.newFile = args[2];
    if (args.size() == 4) line.file = args[3];
    return line;
}

} // namespace

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool inQuotes = false;
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            inArgument = true; // "" is an argument of its own, empty
        } else if (isBlank(c) && !inQuotes) {
            if (inArgument) arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current.push_back(c);
            inArgument = true;
        }
    }
    if (inArgument) arguments.push_back(std::move(current));
    return arguments;
}

CommandLine parseCommandLine(std::string_view text) {
    const std::vector<std::string> args = splitArguments(text);
    CommandLine line;
    if (args.empty()) return line;
    if (isSwitch(args[0], "?")) {
        line.action = CommandLine::Action::Usage;
        return line;
    }
    if (isSwitch(args[0], "inventory")) return parseInventory(args);
    if (isSwitch(args[0], "compare")) return parseCompare(args);
    if (!isSwitch(args[0], "report"))
        return failure("unknown switch " + quoted(args[0]) + " (/? shows the usage)");
    if (args.size() < 2) return failure("/report needs a report kind and a file");
    const TaskCommand* command = findTaskCommandByKind(args[1]);
    if (command == nullptr)
        return failure("unknown report kind " + quoted(args[1]) + ": one of " + taskKindList());
    // "/report hkcc /quiet" has forgotten its file: no file named "\quiet".
    if (args.size() < 3 || args[2].empty() || isSwitch(args[2], "quiet") || isSwitch(args[2], "redact"))
        return failure("/report " + std::string(command->kind) + " needs a file");
    // The switches after the file, in any order.
    for (size_t next = 3; next < args.size(); ++next) {
        if (isSwitch(args[next], "quiet") && !line.quiet)
            line.quiet = true;
        else if (isSwitch(args[next], "redact") && !line.redact)
            line.redact = true;
        else
            return failure("unexpected argument " + quoted(args[next]) + " after the file");
    }
    line.action = CommandLine::Action::Report;
    line.command = command;
    line.file = args[2];
    return line;
}

std::string usageText() {
    return "Usage: Korvexer.exe [/report KIND FILE [/quiet] [/redact]]\r\n"
           "       Korvexer.exe /inventory TARGET [/tag TEXT] [/quiet]\r\n"
           "       Korvexer.exe /compare OLD NEW [OUT]\r\n"
           "\r\n"
           "Without switches the window opens. With /report one report runs without\r\n"
           "the window and is written to FILE exactly as the window would show it.\r\n"
           "\r\n"
           "  KIND  " +
           taskKindList() +
           "\r\n"
           "  FILE  the report file; quote it when it contains blanks\r\n"
           "\r\n"
           "The services report has no trailer, as in the window. Questions are\r\n"
           "answered No: the ie report leaves out a history index of a newer format.\r\n"
           "\r\n"
           "/redact after FILE replaces the names, addresses, serials and product\r\n"
           "id that identify this machine and its users by placeholders (<user-1>),\r\n"
           "the same value by the same one, and lists what it replaced in a line\r\n"
           "above the report.\r\n"
           "\r\n"
           "With /inventory this machine's inventory goes to an OCS Inventory NG\r\n"
           "server, or into a file the server takes as it stands:\r\n"
           "\r\n"
           "  TARGET  http://HOST[:PORT]/PATH (e.g. http://inventory/ocsinventory)\r\n"
           "          or a file\r\n"
           "  TEXT    the machine's TAG on the server (its first inventory only)\r\n"
           "\r\n"
           "While either runs, a line on the console tells what it is doing and how\r\n"
           "far it has come; it is gone when the run ends. /quiet leaves it out.\r\n"
           "Standard error in a file or a pipe never gets it.\r\n"
           "\r\n"
           "Exit code 0: the report is complete, or the inventory stored or written.\r\n"
           "1: it is not, the reason is on standard error (FILE is then left as it\r\n"
           "was). 2: this text.\r\n"
           "\r\n"
           "With /compare two reports of one kind are compared section by section:\r\n"
           "what was added, removed and changed, into OUT or onto standard output.\r\n"
           "Exit code 0: no differences; 1: differences; 2: they could not be compared.\r\n";
}
