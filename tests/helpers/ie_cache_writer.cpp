// Records URLs in the URL cache and sets persistent cookies through the
// system's own internet functions, so that the IE readers can be tried on
// files the system wrote rather than files their tests made.
//
//   ie_cache_writer url URL ... cookie URL NAME DATA ...
//
// Exit code 0 when every entry was written.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool recordUrl(const char* url) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url, 0, "htm", file, 0)) return false;
    HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    static const char body[] = "<html></html>";
    DWORD written = 0;
    const bool wrote = WriteFile(h, body, sizeof body - 1, &written, nullptr) != FALSE;
    CloseHandle(h);
    FILETIME none{};
    return wrote &&
           CommitUrlCacheEntryA(url, file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    int failures = 0;
    for (int i = 1; i < argc;) {
        if (std::strcmp(argv[i], "url") == 0 && i + 1 < argc) {
            if (!recordUrl(argv[i + 1])) {
                std::printf("cache entry failed for %s: %lu\n", argv[i + 1], GetLastError());
                ++failures;
            }
            i += 2;
        } else if (std::strcmp(argv[i], "cookie") == 0 && i + 3 < argc) {
            if (!InternetSetCookieA(argv[i + 1], argv[i + 2], argv[i + 3])) {
                std::printf("cookie failed for %s %s: %lu\n", argv[i + 1], argv[i + 2], GetLastError());
                ++failures;
            }
            i += 4;
        } else {
            std::printf("usage: ie_cache_writer url URL ... cookie URL NAME DATA ...\n");
            return 2;
        }
    }
    return failures == 0 ? 0 : 1;
}
