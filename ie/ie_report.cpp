#include "ie_report.h"

#include "ie/cookie_files.h"
#include "ie/ie_paths.h"
#include "ie/index_file.h"
#include "registry/registry_dumper.h"
#include "registry/registry_read.h"
#include "report/task_context.h"
#include "runner/code_page.h"
#include "runner/command_runner.h"
#include "runner/output_processing.h"

namespace {

constexpr const char* kExplorerKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr const char* kShellFoldersKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kDefaultUser = ".DEFAULT";
constexpr const char* kQuestionTitle = "Korvexer";
constexpr const char* kRule = "===========================================================================";

std::string environmentValue(const char* name) {
    std::string value(MAX_PATH, '\0');
    DWORD length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length >= value.size()) {
        // Too long for the first buffer: `length` is the size it needs.
        value.assign(length, '\0');
        length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
        if (length >= value.size()) return {};
    }
    value.resize(length);
    return value;
}

bool systemFolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool longerThanOneCharacter(const std::string& text) {
    return text.size() > 1;
}

bool namesUserProfile(const std::string& value) {
    return value.find(iepaths::kUserProfileVariable) != std::string::npos;
}

// The subkey names of ProfileList: counted first, then stored in a table of that size.
std::vector<std::string> profileKeyNames(TaskContext& context, const IeSources& s, HKEY list) {
    WalkState counting;
    counting.captureNames = true;
    counting.countNamesOnly = true;
    RegistryDumper(context, counting).walk(s.machine, list, s.profileList, "");
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(counting.capturedNameCount));
    WalkState storing;
    storing.captureNames = true;
    storing.capturedNames = &names;
    RegistryDumper(context, storing).walk(s.machine, list, s.profileList, "");
    // A profile added between the passes waits for the next run.
    if (names.size() > static_cast<size_t>(counting.capturedNameCount))
        names.resize(static_cast<size_t>(counting.capturedNameCount));
    return names;
}

// A profile's "Cache" or "Cookies" folder; empty when it cannot be found.
std::string shellFolder(const IeSources& s, const IeProfile& profile, const char* valueName) {
    std::string value;
    const std::string own = s.usersPrefix + profile.subkeyName + kShellFoldersKey;
    if (readRegistryString(s.users, own.c_str(), valueName, value)) {
        if (!longerThanOneCharacter(value)) return {};
        if (!namesUserProfile(value)) return value;
        const std::optional<std::string> path = otherUsersFolder(value, s.userProfile(), profile.userName);
        return path && s.folderExists(*path) ? *path : std::string();
    }
    // Profiles that never changed a folder keep the default user's.
    const std::string fallback = s.usersPrefix + kDefaultUser + kShellFoldersKey;
    if (!readRegistryString(s.users, fallback.c_str(), valueName, value) || !namesUserProfile(value))
        return {};
    return otherUsersFolder(value, s.userProfile(), profile.userName).value_or(std::string());
}

void dumpCurrentUserKey(TaskContext& context, const IeSources& s, const std::string& path,
                        const char* header) {
    RegKey key;
    if (!key.open(s.currentUser, path.c_str(), KEY_READ)) return;
    context.write(header);
    WalkState walk;
    RegistryDumper(context, walk).walk(s.currentUser, key.get(), path, "");
    context.write("\n");
}

// The folder the cache index lies in: the "Content*" folder below the cache
// folder, as the command interpreter finds it (empty when the run gave
// nothing). Nothing when the name cannot be put into a batch line safely.
std::optional<std::string> contentFolder(TaskContext& context, const std::string& cacheFolder) {
    std::optional<std::string> batch = contentFolderBatch(cacheFolder);
    if (batch) batch = inOemCodePage(*batch, ansiToOemInPlace, oemToAnsiInPlace);
    if (!batch) return std::nullopt;
    RunHolder holder;
    context.runner().run(*batch, RunMode::EnvValue, false, &holder);
    return undoubledPercents(holder.envValue);
}

} // namespace

IeSources::IeSources()
    : userProfile([] { return environmentValue("USERPROFILE"); }), folderExists(systemFolderExists),
      localTime(systemLocalTime) {}

std::vector<IeProfile> collectIeProfiles(TaskContext& context, const IeSources& s) {
    RegKey list;
    if (!list.open(s.machine, s.profileList.c_str(), KEY_READ)) return {};
    std::vector<IeProfile> profiles;
    for (std::string& name : profileKeyNames(context, s, list.get())) {
        IeProfile profile;
        profile.subkeyName = std::move(name);
        std::string imagePath;
        if (readRegistryString(s.machine, (s.profileList + "\\" + profile.subkeyName).c_str(),
                               "ProfileImagePath", imagePath))
            profile.userName = profileUserName(imagePath);
        profiles.push_back(std::move(profile));
    }
    for (IeProfile& profile : profiles) {
        std::string logonName;
        const std::string explorer = s.usersPrefix + profile.subkeyName + kExplorerKey;
        if (readRegistryString(s.users, explorer.c_str(), "Logon User Name", logonName) &&
            longerThanOneCharacter(logonName))
            profile.userName = logonName;
        profile.cacheFolder = shellFolder(s, profile, "Cache");
        profile.cookieFolder = shellFolder(s, profile, "Cookies");
    }
    return profiles;
}

bool writeInternetExplorerReport(TaskContext& context, const IeSources& s) {
    HistoryQuestionState run;
    HistoryIndexIo io;
    io.write = [&context](std::string_view text) { context.write(text); };
    io.step = [&context] { return context.step(); };
    io.ask = [&context](const std::string& question) { return context.ask(question, kQuestionTitle); };
    const auto write = [&context](std::string_view text) { context.write(text); };

    { // the profile table lives for the profiles' part only
        std::vector<IeProfile> profiles = collectIeProfiles(context, s);
        for (IeProfile& profile : profiles) {
            if (!context.step()) return false;
            std::string content;
            profile.readHistory = !profile.cacheFolder.empty() && s.folderExists(profile.cacheFolder);
            if (profile.readHistory) {
                const std::optional<std::string> found = contentFolder(context, profile.cacheFolder);
                if (context.haltRequested()) return false;
                // A cache folder no batch line can name safely is not looked into.
                profile.readHistory = found.has_value();
                content =
                    foundContentFolder(found.value_or(std::string()), profile.cacheFolder, s.folderExists);
            }
            if (run.historyDisabled) profile.readHistory = false;
            if (profile.readHistory) {
                // No folder found: the file cannot be opened, and the reader says so
                // (rather than looking for an index in the root of some drive).
                const std::string index = content.empty() ? std::string() : content + "\\index.dat";
                if (readHistoryIndexFile(index, profile.userName, run, profile.readHistory, io) ==
                    HistoryIndexResult::Halted)
                    return false;
            }
            if (profile.readHistory) readCookieFiles(profile.cookieFolder, write, s.localTime);
        }
    }
    if (run.historyDisabled)
        context.write("\n\nNB: IE history and user cookies in disable mode for all users!!\n\n");
    if (context.haltRequested()) return false;

    dumpCurrentUserKey(context, s, s.typedUrls,
                       (std::string("\n\n") + kRule + "\nIE history - typed URLs for current user:").c_str());
    dumpCurrentUserKey(context, s, s.trustedSites,
                       (std::string(kRule) + "\nIE Trusted Sites for current user:").c_str());
    return !context.haltRequested();
}

bool writeInternetExplorerReport(TaskContext& context) {
    return writeInternetExplorerReport(context, IeSources());
}
