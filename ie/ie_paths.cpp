#include "ie_paths.h"

#include <cstring>

std::string profileUserName(std::string_view imagePath) {
    const size_t slash = imagePath.find_last_of('\\');
    return std::string(slash == std::string_view::npos ? imagePath : imagePath.substr(slash + 1));
}

std::optional<std::string> otherUsersFolder(std::string_view value, std::string_view userProfile,
                                            std::string_view userName) {
    const size_t parentEnd = userProfile.find_last_of('\\');
    if (parentEnd == std::string_view::npos) return std::nullopt;
    const size_t firstSlash = value.find('\\');
    const std::string_view rest =
        firstSlash == std::string_view::npos ? std::string_view() : value.substr(firstSlash + 1);
    std::string path(userProfile.substr(0, parentEnd + 1));
    path += userName;
    path += '\\';
    path += rest;
    return path;
}

std::optional<std::string> quotedBatchArgument(std::string_view folder) {
    if (folder.empty()) return std::nullopt;
    std::string out = "\"";
    for (const char c : folder) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '%' || byte < 32 || byte == 127) return std::nullopt;
        out += c;
    }
    out += '"';
    return out;
}

std::optional<std::string> contentFolderBatch(std::string_view cacheFolder) {
    const std::optional<std::string> folder = quotedBatchArgument(cacheFolder);
    if (!folder) return std::nullopt;
    // "/d" changes the drive too: the interpreter may start on another drive
    // than the cache's (the work directory's), and a plain "cd" would then
    // leave it where it was and report the wrong folder.
    return "cd /d " + *folder + "\ncd Content*\nset \"env_olddir=%CD%\"\n";
}

std::string undoubledPercents(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return out;
}

std::string foundContentFolder(const std::string& found, std::string_view cacheFolder,
                               const std::function<bool(const std::string&)>& folderExists) {
    if (found.empty() || folderExists(found)) return found;
    const size_t slash = found.find_last_of('\\');
    const std::string name = slash == std::string::npos ? found : found.substr(slash + 1);
    if (name.size() < 7 || _strnicmp(name.c_str(), "Content", 7) != 0) return found;
    std::string below(cacheFolder);
    if (!below.empty() && below.back() != '\\') below += '\\';
    below += name;
    return folderExists(below) ? below : found;
}
