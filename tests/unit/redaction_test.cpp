// Redaction of a report: which values are replaced where, that one value
// keeps one placeholder, that words which only look like names or addresses
// stay, and that the report's lines and line ends come through unchanged;
// and the values this machine's readers give, against the system's calls.
#include "collect/network_section.h"
#include "redact/redaction.h"
#include "redact/system_values.h"
#include "runner/command_runner.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

const std::vector<uint8_t> kMac = {0x00, 0x0c, 0x29, 0xab, 0xcd, 0xef};

IdentifyingValues machine() {
    IdentifyingValues v;
    v.computerNames = {"WORKSTATION7"};
    v.domains = {"ACME", "corp.acme.example"};
    v.userNames = {"Admin", "jsmith", "Administrator"};
    v.fullNames = {"Jane Doe"};
    v.owners = {"John Smith"};
    v.companies = {"Acme Ltd"};
    v.hardwareAddresses = {{kMac, adapterAddressNumber(kMac)}};
    v.ipAddresses = {"10.20.0.0"};
    v.volumeSerials = {1124073472}; // 4300-0000
    v.serials = {"MB-778899"};
    v.productIds = {"55274-640-1234567-23456"};
    return v;
}

// The report as redact() gives it, without the summary line.
std::string body(const std::string& report, const IdentifyingValues& values = machine()) {
    const std::string text = redact(report, values).text;
    return text.substr(text.find('\n') + 1);
}

struct Case {
    const char* name;
    std::string report;
    std::string expected;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class Redacts : public ::testing::TestWithParam<Case> {};

TEST_P(Redacts, AsTheRulesSay) {
    EXPECT_EQ(body(GetParam().report), GetParam().expected);
}

const std::string kAdapterNumber = std::to_string(adapterAddressNumber(kMac));

INSTANTIATE_TEST_SUITE_P(
    Rules, Redacts,
    ::testing::Values(
        Case{"MacInThreeSpellingsIsOneValue", "a 00:0c:29:ab:cd:ef b 00-0C-29-AB-CD-EF c 000c.29ab.cdef\r\n",
             "a <mac-1> b <mac-1> c <mac-1>\r\n"},
        Case{"KnownMacWithoutSeparatorsOrAsBinaryBytes",
             "NetworkAddress: 000C29ABCDEF\r\n\t 01 00 0c 29 ab cd ef 02 \r\n",
             "NetworkAddress: <mac-1>\r\n\t 01 <mac-1> 02 \r\n"},
        Case{"AdapterNumberIsTheAdaptersMac",
             "\tAdapter Addr: \t" + kAdapterNumber +
                 "\r\nMAC Address: 00:0C:29:AB:CD:EF\r\n\tAdapter Addr: \t0\r\n",
             "\tAdapter Addr: \t<mac-1>\r\nMAC Address: <mac-1>\r\n\tAdapter Addr: \t0\r\n"},
        Case{"UnknownMacsNumberedInOrder", "11:22:33:44:55:66, 66-55-44-33-22-11, 11-22-33-44-55-66\r\n",
             "<mac-1>, <mac-2>, <mac-1>\r\n"},
        Case{"NoMacInGuidsTimesOrLongerRuns",
             "{00000004-0000-0000-0000-4E6574446576} 03:55:35 00-00-00-00-00-00-00-E0 "
             "00-00-00-00-00-00 FF-FF-FF-FF-FF-FF\r\n",
             "{00000004-0000-0000-0000-4E6574446576} 03:55:35 00-00-00-00-00-00-00-E0 "
             "00-00-00-00-00-00 FF-FF-FF-FF-FF-FF\r\n"},
        Case{"Ipv4AnywhereSameAddressSamePlaceholder",
             "Gateway: 192.168.1.1, DNS 192.168.1.10; (192.168.1.1)\r\n# 192.168.1.10 printer\r\n",
             "Gateway: <ipv4-1>, DNS <ipv4-2>; (<ipv4-1>)\r\n# <ipv4-2> printer\r\n"},
        Case{"Ipv4InsidePathsAndUrls", "\\\\192.168.5.20\\share\\a.txt http://10.1.2.3:8080/x\r\n",
             "\\\\<ipv4-1>\\share\\a.txt http://<ipv4-2>:8080/x\r\n"},
        Case{"LoopbackUnspecifiedAndMasksKept",
             "127.0.0.1 0.0.0.0 255.255.255.0 255.255.255.255 127.1.2.3\r\n",
             "127.0.0.1 0.0.0.0 255.255.255.0 255.255.255.255 127.1.2.3\r\n"},
        Case{"VersionsAndOtherDottedNumbersKept",
             "FileVersion: 1.1.0.1\r\nversion 1.2.3.4\r\nBuild 5.1.2600.2180 6.0.6000.16386\r\n"
             "Font Cache 3.0.0.0\r\nC:\\WINDOWS\\SYSTEM32\\OLE32.DLL\t10.0.1.1\t5191876\r\n"
             "OID\\1.3.6.1.4.1.311 2.16.840.1.113730.4.1 v1.2.3.4\r\n12.100.200.100 byte free\r\n"
             "   Key: Software\\Microsoft\\Cryptography\\OID\\EncodingType 1\\Format\\2.5.29.32\r\n",
             "FileVersion: 1.1.0.1\r\nversion 1.2.3.4\r\nBuild 5.1.2600.2180 6.0.6000.16386\r\n"
             "Font Cache 3.0.0.0\r\nC:\\WINDOWS\\SYSTEM32\\OLE32.DLL\t10.0.1.1\t5191876\r\n"
             "OID\\1.3.6.1.4.1.311 2.16.840.1.113730.4.1 v1.2.3.4\r\n12.100.200.100 byte free\r\n"
             "   Key: Software\\Microsoft\\Cryptography\\OID\\EncodingType 1\\Format\\2.5.29.32\r\n"},
        Case{"DottedQuadWithoutVersionLabelIsAnAddress", "Server 1.1.0.1 answered\r\n",
             "Server <ipv4-1> answered\r\n"},
        Case{"KnownAddressReplacedWhereARuleWouldKeepIt", "Route 10.20.0.0 via 10.30.0.0\r\n",
             "Route <ipv4-1> via 10.30.0.0\r\n"},
        Case{"Ipv6FullCompressedAndWithIpv4Tail",
             "fe80::fc:ff:fe00:1%4 fd00::2 FD00:0:0:0:0:0:0:2 2001:db8:85a3::8a2e:370:7334 "
             "::ffff:192.0.2.1\r\n",
             "<ipv6-1>%4 <ipv6-2> <ipv6-2> <ipv6-3> <ipv6-4>\r\n"},
        Case{"Ipv6LoopbackUnspecifiedAndLookalikesKept",
             "::1 :: 0:0:0:0:0:0:0:1 12:30 std::string Type::Name\r\n",
             "::1 :: 0:0:0:0:0:0:0:1 12:30 std::string Type::Name\r\n"},
        Case{"UserInProfilePaths",
             "Profile: C:\\Documents and Settings\\Admin\r\nDesktop: C:\\Users\\admin\\Desktop\r\n"
             "dir \"C:\\Documents and Settings\\Admin\" /B\r\n",
             "Profile: C:\\Documents and Settings\\<user-1>\r\nDesktop: C:\\Users\\<user-1>\\Desktop\r\n"
             "dir \"C:\\Documents and Settings\\<user-1>\" /B\r\n"},
        Case{"AdminAsAWordIsKept",
             "Admin Tools: C:\\Documents and Settings\\Admin\\Start Menu\\Programs\\Admin Tools\r\n"
             "Administrative Tools\r\nThe Admin group may log on\r\nC:\\Program Files\\Admin\\a.exe\r\n"
             "C:\\Users\\Admin Tools\\x\r\nC:\\Users\\admin.old\\x\r\n",
             "Admin Tools: C:\\Documents and Settings\\<user-1>\\Start Menu\\Programs\\Admin Tools\r\n"
             "Administrative Tools\r\nThe Admin group may log on\r\nC:\\Program Files\\Admin\\a.exe\r\n"
             "C:\\Users\\Admin Tools\\x\r\nC:\\Users\\admin.old\\x\r\n"},
        Case{"UserAsAFieldsWholeValueOrAnAccountEntry",
             "User name:          Admin - Administrator rights\r\n\tName: Administrator: \r\n"
             "\tName: admin: \r\nUSERNAME=ADMIN\r\nInternet Explorer History for user: jsmith:\r\n",
             "User name:          <user-1> - Administrator rights\r\n\tName: <user-2>: \r\n"
             "\tName: <user-1>: \r\nUSERNAME=<user-1>\r\nInternet Explorer History for user: <user-3>:\r\n"},
        Case{"DomainBackslashUser",
             "UserName: ACME\\jsmith\r\n\t ObjectName .\\Admin\r\nC:\\Temp\\jsmith\r\n",
             "UserName: <domain-1>\\<user-1>\r\n\t ObjectName .\\<user-2>\r\nC:\\Temp\\jsmith\r\n"},
        Case{"ComputerWhereItNamesTheComputer",
             "CSName: workstation7\r\nLOGONSERVER=\\\\WORKSTATION7\r\n  TCP    WORKSTATION7:1025  x\r\n"
             "DNS fully-qualified: workstation7.corp.acme.example\r\nWORKSTATION7-OLD and WORKSTATION7 "
             "today\r\n",
             "CSName: <computer-1>\r\nLOGONSERVER=\\\\<computer-1>\r\n  TCP    <computer-1>:1025  x\r\n"
             "DNS fully-qualified: <computer-1>.<domain-1>\r\nWORKSTATION7-OLD and WORKSTATION7 today\r\n"},
        Case{"DottedDomainAnywhereButNotInsideALongerName",
             "server.corp.acme.example corp.acme.example.org\r\n",
             "server.<domain-1> corp.acme.example.org\r\n"},
        Case{"SerialsByLabelAndKnownForms",
             "C:\\ Serial: 1124073472, System: NTFS, 77.392.281.600 byte free, Fixed DriveType\r\n"
             "Volume Serial Number is 4300-0000\r\nVolumeSerialNumber: 43000000\r\n"
             "SerialNumber: None\r\nSerial Number: 0\r\n\tSerial Number: WD-WCAV123\r\nBoard MB-778899\r\n",
             "C:\\ Serial: <serial-1>, System: NTFS, 77.392.281.600 byte free, Fixed DriveType\r\n"
             "Volume Serial Number is <serial-1>\r\nVolumeSerialNumber: <serial-1>\r\n"
             "SerialNumber: None\r\nSerial Number: 0\r\n\tSerial Number: <serial-2>\r\nBoard <serial-3>\r\n"},
        Case{
            "ProductIdsAndTheirBinaryForm",
            "Windows Product id:         55274-640-1234567-23456\r\n\t ProductId: 55274-640-1234567-23456\r\n"
            "\t DigitalProductId: \r\n\t a4 00 00 00 03 00 \r\n\t 35 35 32 37 \r\n\t Next: 1\r\n"
            "\t DigitalProductId4: \r\n\t 00 00 \r\n",
            "Windows Product id:         <productid-1>\r\n\t ProductId: <productid-1>\r\n"
            "\t DigitalProductId: \r\n\t <productid-2>\r\n\t <productid-2>\r\n\t Next: 1\r\n"
            "\t DigitalProductId4: \r\n\t 00 00 \r\n"},
        // Registry listings that print a value as "\t NAME DATA", with no
        // colon: the data as the whole field after a one-word name.
        Case{"RegistryValueDataAsAWholeField",
             "   Key: SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters \r\r\n\t Hostname "
             "WORKSTATION7\r\r\n"
             "\t NV Hostname workstation7\r\r\n\t Domain ACME\r\r\n\t NV Domain acme\r\r\n"
             "\t Logon User Name jsmith\r\r\n\t RegisteredOwner John Smith\r\r\n"
             "\t Description Run as Admin\r\r\n\t Comment Admin Tools\r\r\n\t Some Value Admin\r\r\n",
             "   Key: SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters \r\r\n\t Hostname "
             "<computer-1>\r\r\n"
             "\t NV Hostname <computer-1>\r\r\n\t Domain <domain-1>\r\r\n\t NV Domain <domain-1>\r\r\n"
             "\t Logon User Name <user-1>\r\r\n\t RegisteredOwner <owner-1>\r\r\n"
             "\t Description Run as Admin\r\r\n\t Comment Admin Tools\r\r\n\t Some Value Admin\r\r\n"},
        Case{"NetbiosNameTable",
             "    WORKSTATION7   <00>  UNIQUE      Registered\r\n    ACME           <00>  GROUP       "
             "Registered\r\n    JSMITH         <03>  UNIQUE      Registered\r\n"
             "    ADMINISTRATOR  <03>  UNIQUE      Registered\r\n    ..__MSBROWSE__.<01>  GROUP\r\n"
             "    WORKSTATION7-2 <20>  UNIQUE      Registered\r\n",
             "    <computer-1>   <00>  UNIQUE      Registered\r\n    <domain-1>           <00>  GROUP       "
             "Registered\r\n    <user-1>         <03>  UNIQUE      Registered\r\n"
             "    <user-2>  <03>  UNIQUE      Registered\r\n    ..__MSBROWSE__.<01>  GROUP\r\n"
             "    WORKSTATION7-2 <20>  UNIQUE      Registered\r\n"},
        // A second profile of one name, a domain user's profile.
        Case{"ProfileFolderOfUserAndDomainOrComputer",
             "Desktop: C:\\Documents and Settings\\jsmith.ACME\\Desktop\r\n"
             "Profile: C:\\Documents and Settings\\Administrator.WORKSTATION7\r\n"
             "C:\\Users\\jsmith.ACME.000\\x C:\\Users\\Admin.001\\x\r\n"
             "C:\\Program Files\\jsmith.ACME\\x C:\\Users\\jsmith.ACMEX\\x C:\\Users\\Admin.ACME.old\\x\r\n",
             "Desktop: C:\\Documents and Settings\\<user-1>.<domain-1>\\Desktop\r\n"
             "Profile: C:\\Documents and Settings\\<user-2>.<computer-1>\r\n"
             "C:\\Users\\<user-1>.<domain-1>.000\\x C:\\Users\\<user-3>.001\\x\r\n"
             "C:\\Program Files\\jsmith.ACME\\x C:\\Users\\jsmith.ACMEX\\x C:\\Users\\Admin.ACME.old\\x\r\n"},
        Case{"FullNameIsAPersonsNameCommentIsFreeText",
             "\tComment: Built-in account for guest access\r\n\tFull name: Guest User\r\n"
             "\tFull name: Jane Doe\r\nFullName: jane doe\r\n\t DisplayName Jane Doe\r\nJane Doe wrote "
             "this\r\n",
             "\tComment: Built-in account for guest access\r\n\tFull name: <fullname-1>\r\n"
             "\tFull name: <fullname-2>\r\nFullName: <fullname-2>\r\n\t DisplayName <fullname-2>\r\n"
             "Jane Doe wrote this\r\n"},
        Case{"KnownUserAsTheMailboxOfAnAddress",
             "mailto:jsmith@acme.example <Admin@mail.example.org> j.jsmith@x.example jsmith@ Admin@-x\r\n",
             "mailto:<user-1>@acme.example <<user-2>@mail.example.org> j.jsmith@x.example jsmith@ "
             "Admin@-x\r\n"},
        Case{"OwnerAndCompanyAsWholeValues",
             "\t RegisteredOwner: John Smith\r\nRegisteredUser: john smith\r\nOrganization: Acme Ltd\r\n"
             "\t RegisteredOrganization: Other Corp\r\nOrganization: \r\nJohn Smith wrote this\r\n",
             "\t RegisteredOwner: <owner-1>\r\nRegisteredUser: <owner-1>\r\nOrganization: <company-1>\r\n"
             "\t RegisteredOrganization: <company-2>\r\nOrganization: \r\nJohn Smith wrote this\r\n"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A name spelled like a section's header stays a header.
TEST(Redaction, HeaderSpelledLikeANameIsKept) {
    IdentifyingValues v;
    v.userNames = {"Network"};
    v.computerNames = {"MODEM"};
    const Redaction r = redact("Network:\r\nModem:\r\n\tName: Network: \r\nCSName: Modem\r\n", v);
    EXPECT_EQ(r.text, "Redacted: 1 computer name, 1 user name\r\nNetwork:\r\nModem:\r\n\tName: <user-1>: \r\n"
                      "CSName: <computer-1>\r\n");
}

// The bytes of a binary value are printed as "\t 1f ed ": a name spelled in
// two hex digits is no value's data there.
TEST(Redaction, BinaryValueBytesAreNoRegistryValueData) {
    IdentifyingValues v;
    v.userNames = {"ed"};
    EXPECT_EQ(body("\t Data \r\n\t 1f ed \r\n\t 00 ed\r\n\t Owner ed\r\n", v),
              "\t Data \r\n\t 1f ed \r\n\t 00 ed\r\n\t Owner <user-1>\r\n");
}

TEST(Redaction, SummaryLineCountsTheValuesNotTheirOccurrences) {
    const std::string report = "Computer name:      WORKSTATION7\r\nUser name:          jsmith\r\n"
                               "\tName: Admin: \r\n\tName: jsmith: \r\n\tFull name: John Public\r\n"
                               "11:22:33:44:55:66 11:22:33:44:55:67 00:0c:29:ab:cd:ef 00-0C-29-AB-CD-EF\r\n"
                               "192.168.1.2 192.168.1.2 fd00::2\r\nC:\\ Serial: 1124073472, x\r\n"
                               "ProductId: 55274-640-1234567-23456\r\n";
    const Redaction r = redact(report, machine());
    EXPECT_EQ(r.summary,
              "Redacted: 1 computer name, 2 user names, 1 full name, 3 MAC addresses, 1 IPv4 address, "
              "1 IPv6 address, 1 serial, 1 product id");
    EXPECT_EQ(r.text.substr(0, r.summary.size() + 2), r.summary + "\r\n");
    EXPECT_EQ(r.text.find("jsmith"), std::string::npos);
}

TEST(Redaction, NothingToReplaceSaysSoAndKeepsTheReport) {
    const std::string report = "OperatingSystem:\r\n\r\nOS: Windows XP Professional\r\n";
    const Redaction r = redact(report, IdentifyingValues());
    EXPECT_EQ(r.summary, "Redacted: nothing");
    EXPECT_EQ(r.text, "Redacted: nothing\r\n" + report);
}

// Reports loaded from work files end their lines in CR CR LF; the added line
// ends as the report's own do, and every line end stays where it was.
TEST(Redaction, LineEndsAndLineCountKept) {
    for (const std::string end : {"\r\n", "\r\r\n"}) {
        const std::string report = "User / Windows Environment:" + end + "Computer name:      WORKSTATION7" +
                                   end + end + "IP Address: \t192.168.1.2" + end + "no end at the last line";
        const std::string text = redact(report, machine()).text;
        EXPECT_EQ(text, "Redacted: 1 computer name, 1 IPv4 address" + end +
                            "User / Windows Environment:" + end + "Computer name:      <computer-1>" + end +
                            end + "IP Address: \t<ipv4-1>" + end + "no end at the last line");
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
                  std::count(report.begin(), report.end(), '\n') + 1);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\r'),
                  std::count(report.begin(), report.end(), '\r') + static_cast<long>(end.size()) - 1);
    }
}

// Values that break no rule of the text: nothing that would reach across a
// line, nothing of one character, and a name given twice stays one value.
TEST(Redaction, ValuesThatCannotStandForAnythingAreIgnored) {
    IdentifyingValues v;
    v.userNames = {"a", "x\r\ny", "  Admin  ", "ADMIN"};
    v.volumeSerials = {0};
    v.serials = {"12"};
    const Redaction r = redact("USERNAME=x\r\nUSERNAME=a\r\nUSERNAME=Admin\r\nSerial 12 0\r\n", v);
    EXPECT_EQ(r.text,
              "Redacted: 1 user name\r\nUSERNAME=x\r\nUSERNAME=a\r\nUSERNAME=<user-1>\r\nSerial 12 0\r\n");
}

bool holds(const std::vector<std::string>& list, const std::string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

TEST(SystemIdentifyingValues, NameWhatTheSystemCallsName) {
    TestContext context;
    context.commandRunner = std::make_unique<ProcessRunner>(context);
    const IdentifyingValues v = systemIdentifyingValues(context);
    char name[256] = {};
    DWORD length = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &length));
    EXPECT_TRUE(holds(v.computerNames, name)) << name;
    length = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &length));
    EXPECT_TRUE(holds(v.userNames, name)) << name;
    DWORD serial = 0;
    if (GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        EXPECT_NE(std::find(v.volumeSerials.begin(), v.volumeSerials.end(), serial), v.volumeSerials.end());
    }
    // The account list holds the built-in accounts besides the user.
    EXPECT_GE(v.userNames.size(), 2u);
    EXPECT_TRUE(context.report.empty()) << context.report.substr(0, 300);
}

} // namespace
