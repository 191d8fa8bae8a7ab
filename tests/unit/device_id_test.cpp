#include "inventory/device_id.h"
#include "registry/registry_read.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

namespace {

SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

TEST(DeviceId, Made) {
    const struct {
        std::string name;
        SYSTEMTIME time;
        std::string id;
    } cases[] = {
        {"PC1", at(2024, 1, 2, 3, 4, 5), "PC1-2024-01-02-03-04-05"},
        {"Caf\xe9 Lab.x", at(1999, 12, 31, 23, 59, 59), "Caf\xe9 Lab.x-1999-12-31-23-59-59"},
        {"", at(2024, 1, 2, 3, 4, 5), "KORVEXER-2024-01-02-03-04-05"},
        {"\r\n", at(2024, 1, 2, 3, 4, 5), "KORVEXER-2024-01-02-03-04-05"},
        {"A\tB", at(12024, 1, 2, 3, 4, 5), "AB-2024-01-02-03-04-05"},
    };
    for (const auto& c : cases) {
        const std::string id = makeDeviceId(c.name, c.time);
        EXPECT_EQ(id, c.id);
        EXPECT_TRUE(isDeviceId(id)) << id;
    }
}

TEST(DeviceId, ServerRule) {
    const struct {
        std::string id;
        bool valid;
    } cases[] = {
        {"PC1-2024-01-02-03-04-05", true},
        {"x-0000-00-00-00-00-00", true},
        {"a b-c.d-2024-01-02-03-04-05", true},
        {"--2024-01-02-03-04-05", true},
        {"-2024-01-02-03-04-05", false},
        {"PC1-2024-01-02-03-04", false},
        {"PC1-2024-01-02-03-04-5", false},
        {"PC1-24-01-02-03-04-05", false},
        {"PC1-2024-01-02-03-04-0x", false},
        {"PC1-2024/01-02-03-04-05", false},
        {"PC1-2024-01-02-03-04-05\n", false},
        {"P\nC-2024-01-02-03-04-05", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isDeviceId(c.id), c.valid) << c.id;
}

// Two places under a private key: "machine" and "user"; "machine" can be
// made unwritable by deleting its key while a handle to it stays open.
class StoredDeviceId : public ::testing::Test {
  protected:
    std::string read(const char* place) {
        std::string value;
        readRegistryString(HKEY_CURRENT_USER, (key_.path() + "\\" + place + "\\Korvexer").c_str(), "DeviceId",
                           value);
        return value;
    }
    void plant(const char* place, const std::string& value) {
        key_.setString(std::string(place) + "\\Korvexer", "DeviceId", value);
    }
    std::string run(const SYSTEMTIME& now) {
        return storedDeviceId("PC1", DeviceIdStore{machine_.get(), user_.get(), "Korvexer"}, now);
    }
    void machineUnwritable() {
        ASSERT_EQ(RegDeleteTreeA(key_.handle(), "machine"), ERROR_SUCCESS);
        HKEY probe = nullptr;
        ASSERT_NE(RegCreateKeyExA(machine_.get(), "Korvexer", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &probe,
                                  nullptr),
                  ERROR_SUCCESS);
    }

    TestKey key_;
    RegKey machine_{key_.create("machine")};
    RegKey user_{key_.create("user")};
    const SYSTEMTIME first_ = at(2024, 1, 2, 3, 4, 5);
    const SYSTEMTIME later_ = at(2025, 6, 7, 8, 9, 10);
};

TEST_F(StoredDeviceId, MadeOnceInTheMachinesPlaceThenReused) {
    EXPECT_EQ(run(first_), "PC1-2024-01-02-03-04-05");
    EXPECT_EQ(read("machine"), "PC1-2024-01-02-03-04-05");
    EXPECT_EQ(read("user"), "");
    EXPECT_EQ(run(later_), "PC1-2024-01-02-03-04-05");
}

TEST_F(StoredDeviceId, UsersPlaceWhenTheMachinesCannotBeWritten) {
    machineUnwritable();
    EXPECT_EQ(run(first_), "PC1-2024-01-02-03-04-05");
    EXPECT_EQ(read("user"), "PC1-2024-01-02-03-04-05");
    EXPECT_EQ(run(later_), "PC1-2024-01-02-03-04-05");
}

TEST_F(StoredDeviceId, StoredValueUsedAsItStands) {
    plant("user", "OLDNAME-2020-01-01-00-00-00");
    EXPECT_EQ(run(first_), "OLDNAME-2020-01-01-00-00-00");
    EXPECT_EQ(read("machine"), "");
    plant("machine", "OTHER-2021-01-01-00-00-00");
    EXPECT_EQ(run(first_), "OTHER-2021-01-01-00-00-00");
}

TEST_F(StoredDeviceId, CorruptValueReplaced) {
    for (const std::string corrupt : {"PC1-2024", "", "PC1\x01-2024-01-02-03-04-05"}) {
        plant("machine", corrupt);
        EXPECT_EQ(run(first_), "PC1-2024-01-02-03-04-05") << corrupt;
        EXPECT_EQ(read("machine"), "PC1-2024-01-02-03-04-05") << corrupt;
    }
    const DWORD number = 7;
    key_.setBytes("machine\\Korvexer", "DeviceId", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(run(later_), "PC1-2025-06-07-08-09-10");
    EXPECT_EQ(read("machine"), "PC1-2025-06-07-08-09-10");
}

} // namespace
