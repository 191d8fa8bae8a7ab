#include "inventory/inventory_xml.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// Windows-1252 as far as the tests need it: Latin-1 plus the euro sign.
std::wstring cp1252(std::string_view ansi) {
    std::wstring wide;
    for (const char c : ansi) {
        const auto b = static_cast<unsigned char>(c);
        wide.push_back(b == 0x80 ? L'\x20AC' : static_cast<wchar_t>(b));
    }
    return wide;
}

InventoryDocument sample() {
    InventoryDocument doc;
    doc.deviceId = "PC1-2024-01-02-03-04-05";
    InventorySection hardware("HARDWARE");
    hardware.text("NAME", "PC1");
    hardware.number("MEMORY", 512);
    hardware.number("CHECKSUM", kInventoryAllSections);
    doc.sections.push_back(hardware);
    for (const char* type : {"Pentium", "Pentium II"}) {
        InventorySection cpu("CPUS");
        cpu.text("TYPE", type);
        doc.sections.push_back(cpu);
    }
    return doc;
}

TEST(InventoryXml, WholeRequestDeclarationFirstSectionsRepeated) {
    EXPECT_EQ(inventoryRequestXml(sample(), cp1252), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                     "<REQUEST>\n"
                                                     "  <CONTENT>\n"
                                                     "    <HARDWARE>\n"
                                                     "      <NAME>PC1</NAME>\n"
                                                     "      <MEMORY>512</MEMORY>\n"
                                                     "      <CHECKSUM>4194303</CHECKSUM>\n"
                                                     "    </HARDWARE>\n"
                                                     "    <CPUS>\n"
                                                     "      <TYPE>Pentium</TYPE>\n"
                                                     "    </CPUS>\n"
                                                     "    <CPUS>\n"
                                                     "      <TYPE>Pentium II</TYPE>\n"
                                                     "    </CPUS>\n"
                                                     "  </CONTENT>\n"
                                                     "  <DEVICEID>PC1-2024-01-02-03-04-05</DEVICEID>\n"
                                                     "  <QUERY>INVENTORY</QUERY>\n"
                                                     "</REQUEST>\n");
}

TEST(InventoryXml, Prolog) {
    EXPECT_EQ(prologRequestXml("Caf\xe9-2024-01-02-03-04-05", cp1252),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<REQUEST>\n"
              "  <DEVICEID>Caf\xc3\xa9-2024-01-02-03-04-05</DEVICEID>\n"
              "  <QUERY>PROLOG</QUERY>\n"
              "</REQUEST>\n");
}

TEST(InventoryXml, FieldText) {
    const struct {
        std::string ansi;
        std::string xml;
    } cases[] = {
        {"Caf\xe9", "Caf\xc3\xa9"},
        {"5 \x80", "5 \xe2\x82\xac"},
        {"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c&apos;"},
        {"x\x01y\x1fz\x7f", "xyz\x7f"},
        {"tab\tline\ncr\r.", "tab\tline\ncr\r."},
        {std::string("nul\0in", 6), "nulin"},
    };
    for (const auto& c : cases) {
        InventoryDocument doc;
        doc.deviceId = "X-2024-01-01-00-00-00";
        InventorySection section("BIOS");
        section.text("BVERSION", c.ansi);
        doc.sections.push_back(section);
        const std::string xml = inventoryRequestXml(doc, cp1252);
        EXPECT_NE(xml.find("<BVERSION>" + c.xml + "</BVERSION>"), std::string::npos) << c.ansi << "\n" << xml;
    }
}

TEST(InventoryXml, Utf16ToSendableUtf8) {
    const struct {
        std::wstring utf16;
        std::string utf8;
    } cases[] = {
        {L"\x00e9\x0416\x4e2d", "\xc3\xa9\xd0\x96\xe4\xb8\xad"},
        {L"a\xd83d\xde00"
         L"b",
         "ab"}, // a pair: outside the BMP, dropped whole
        {L"a\xd83d"
         L"b\xde00"
         L"c",
         "abc"}, // unpaired halves
        {L"\xfffe\xffff\xfffd", "\xef\xbf\xbd"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xmlText(c.utf16), c.utf8);
}

TEST(InventoryXml, LeavesOutWhatIsNotOurs) {
    InventoryDocument doc;
    doc.deviceId = "X-2024-01-01-00-00-00";
    InventorySection odd("bad name");
    odd.text("NAME", "kept out");
    doc.sections.push_back(odd);
    InventorySection drives("DRIVES");
    drives.text("LETTER", "C:");
    drives.text("x<y", "kept out");
    drives.text("VOLUMN", "\x01\x02"); // nothing left of it
    drives.number("TOTAL", 1);
    doc.sections.push_back(drives);
    InventorySection empty("BIOS");
    doc.sections.push_back(empty);
    const std::string xml = inventoryRequestXml(doc, cp1252);
    EXPECT_EQ(xml.find("kept out"), std::string::npos);
    EXPECT_EQ(xml.find("VOLUMN"), std::string::npos);
    EXPECT_EQ(xml.find("<BIOS>"), std::string::npos);
    EXPECT_NE(xml.find("<DRIVES>\n      <LETTER>C:</LETTER>\n      <TOTAL>1</TOTAL>\n    </DRIVES>"),
              std::string::npos)
        << xml;
}

TEST(InventoryXml, SystemDecoderUsesTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP();
    EXPECT_EQ(systemAnsiDecoder("Caf\xe9 \x80"), L"Caf\x00e9 \x20ac");
    EXPECT_EQ(systemAnsiDecoder(""), L"");
}

} // namespace
