// The Internet Explorer report: for every user profile of the machine its
// history (the cache index) and its cookie files, then the current user's
// typed URLs and trusted sites.
#pragma once

#include "ie/cookie_records.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class TaskContext;

// One user profile of the machine, as the report learns it.
struct IeProfile {
    std::string subkeyName; // the profile's key under ProfileList (a SID in text form)
    std::string userName;
    std::string cacheFolder;  // temporary Internet files; empty when not found
    std::string cookieFolder; // empty when not found
    bool readHistory = false;
};

// Where the report looks. The product reads the machine's own keys; a test
// points every place into a private key of its own.
struct IeSources {
    HKEY machine = HKEY_LOCAL_MACHINE;
    std::string profileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    // Each profile's keys are `usersPrefix` + subkey name + ... under `users`.
    HKEY users = HKEY_USERS;
    std::string usersPrefix;
    HKEY currentUser = HKEY_CURRENT_USER;
    std::string typedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    std::string trustedSites =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
    // This process's USERPROFILE (empty when unset).
    std::function<std::string()> userProfile;
    // True for a folder that exists.
    std::function<bool(const std::string&)> folderExists;
    LocalTimeConverter localTime;

    // The machine's places and the system's edges.
    IeSources();
};

// The profiles under ProfileList in the order the registry walker meets
// them, with their user names, cache and cookie folders; none when the key
// cannot be opened. Writes nothing.
std::vector<IeProfile> collectIeProfiles(TaskContext& context, const IeSources& sources);

// The whole report; returns false when it stopped at a halt request (the
// result is then not to be shown).
bool writeInternetExplorerReport(TaskContext& context, const IeSources& sources);
bool writeInternetExplorerReport(TaskContext& context);
