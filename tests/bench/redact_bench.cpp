// Redaction of a 5 MB registry dump shaped like HKEY_LOCAL_MACHINE's: key
// lines, values with paths under a profile folder, addresses, versions, hex
// lines. Prints the time and the throughput; a run that went quadratic in the
// text or in the number of values shows at once.
#include "redact/redaction.h"

#include <chrono>
#include <cstdio>
#include <string>

int main() {
    IdentifyingValues values;
    values.computerNames = {"WORKSTATION7", "workstation7"};
    values.domains = {"ACME", "corp.acme.example"};
    for (int i = 0; i < 40; ++i)
        values.userNames.push_back("user" + std::to_string(i));
    values.userNames.push_back("Admin");
    values.owners = {"John Smith"};
    values.companies = {"Acme Ltd"};
    values.hardwareAddresses = {{{0x00, 0x0c, 0x29, 0xab, 0xcd, 0xef}, 699125231},
                                {{0x02, 0xfc, 0x00, 0x00, 0x00, 0x01}, 1}};
    values.ipAddresses = {"192.168.1.20", "192.168.1.1"};
    values.volumeSerials = {1124073472, 1509949440};
    values.productIds = {"55274-640-1234567-23456"};

    std::string dump = "HKEY_LOCAL_MACHINE Registry:\r\r\n\r\r\n";
    dump.reserve(5'300'000);
    for (int i = 0; dump.size() < 5'000'000; ++i) {
        const std::string n = std::to_string(i);
        dump += "   Key: SOFTWARE\\Classes\\CLSID\\{0000" + n +
                "-0000-0000-C000-000000000046}\\InprocServer32\r\r\n";
        dump += "\t Unnamed registry key (Default): C:\\WINDOWS\\system32\\ole32.dll\r\r\n";
        dump += "\t ThreadingModel: Both\r\r\n";
        dump += "\t Version: 5.1.2600." + n + "\r\r\n";
        dump += "\t InstallPath: C:\\Documents and Settings\\user" + std::to_string(i % 50) +
                "\\Local Settings\r\r\n";
        dump += "\t NameServer: 192.168.1." + std::to_string(i % 250) + " fd00::" + std::to_string(i % 90) +
                "\r\r\n";
        dump += "\t Hardware: 00-0C-29-AB-CD-" + std::to_string(10 + i % 89) + " Admin Tools\r\r\n";
        dump += "\t Blob: \r\r\n\t 0a 1b 2c 3d 4e 5f 60 71 82 93 a4 b5 c6 d7 e8 f9 \r\r\n\r\r\n";
    }
    const auto start = std::chrono::steady_clock::now();
    const Redaction r = redact(dump, values);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("redacted %.1f MB in %.3f s (%.1f MB/s), %zu bytes out\n%s\n", dump.size() / 1e6, seconds,
                dump.size() / 1e6 / seconds, r.text.size(), r.summary.c_str());
    return 0;
}
