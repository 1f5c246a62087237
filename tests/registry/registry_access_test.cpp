// writeRegText, deleteRegValue and readRegText against Wine's registry.
#include <gtest/gtest.h>

#include <string.h>

#include "registry/product_defaults.h"
#include "registry/registry_access.h"
#include "registry/registry_journal.h"
#include "registry_readback.h"
#include "support/test_support.h"

namespace {

class RegistryAccessTest : public ::testing::Test {
protected:
    void SetUp() override { resetRegistry(); }
    void TearDown() override { resetRegistry(); }
};

TEST_F(RegistryAccessTest, WriteCreatesIntermediateKeysAndStoresTerminatedText)
{
    EXPECT_EQ(1, writeRegText("SOFTWARE\\Jor\\Lumoria\\Deep\\Er\\Key", "name", "value"));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(readRegValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor\\Lumoria\\Deep\\Er\\Key", "name", &type, &data));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::string("value\0", 6), data) << "stored with its terminator";
}

TEST_F(RegistryAccessTest, EmptyTextIsOneByteAndDefaultValueHasEmptyName)
{
    writeRegText(PRODUCT_GENERAL_KEY, "", "");
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(readRegValue(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "", &type, &data));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(1u, data.size());
}

TEST_F(RegistryAccessTest, WriteFailsWhenKeyCannotBeCreated)
{
    // A key name longer than the registry allows cannot be created.
    std::string tooLong = "SOFTWARE\\Jor\\" + std::string(300, 'k');
    EXPECT_EQ(0, writeRegText(tooLong.c_str(), "x", "y"));
}

TEST_F(RegistryAccessTest, ReadCutsValueFillingTheWholeBuffer)
{
    writeRegText(PRODUCT_GENERAL_KEY, "Home", "ABCD");
    char buffer[5];
    memset(buffer, 'z', sizeof buffer);
    ASSERT_EQ(1, readRegText(PRODUCT_GENERAL_KEY, "Home", buffer, sizeof buffer));
    EXPECT_STREQ("ABCD", buffer);
    EXPECT_EQ(0, readRegText(PRODUCT_GENERAL_KEY, "Home", buffer, 4)) << "does not fit";
}

TEST_F(RegistryAccessTest, ReadOfUnterminatedDataStaysInsideTheBuffer)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Raw", 0, REG_BINARY, (const BYTE *)"ABCDE", 5);
    RegCloseKey(key);
    char buffer[8];
    memset(buffer, 'z', sizeof buffer);
    ASSERT_EQ(1, readRegText(PRODUCT_GENERAL_KEY, "Raw", buffer, 5));
    EXPECT_STREQ("ABCD", buffer) << "a value filling the capacity is cut to capacity - 1";
    EXPECT_EQ('z', buffer[5]);
}

TEST_F(RegistryAccessTest, ReadOfMissingKeyOrValueFails)
{
    char buffer[16];
    EXPECT_EQ(0, readRegText("SOFTWARE\\Jor\\Nothing", "Home", buffer, sizeof buffer));
    writeRegText(PRODUCT_GENERAL_KEY, "Home", "x");
    EXPECT_EQ(0, readRegText(PRODUCT_GENERAL_KEY, "Missing", buffer, sizeof buffer));
}

TEST_F(RegistryAccessTest, DeleteRemovesOneValueAndIgnoresMissingOnes)
{
    writeRegText(PRODUCT_GENERAL_KEY, "a", "1");
    writeRegText(PRODUCT_GENERAL_KEY, "b", "2");
    deleteRegValue(PRODUCT_GENERAL_KEY, "a");
    deleteRegValue(PRODUCT_GENERAL_KEY, "never");
    deleteRegValue("SOFTWARE\\Jor\\NoSuchKey", "a");
    DWORD type;
    std::string data;
    EXPECT_FALSE(readRegValue(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "a", &type, &data));
    EXPECT_TRUE(readRegValue(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "b", &type, &data));
}

TEST_F(RegistryAccessTest, UndoneRunPutsBackEveryPreviousState)
{
    // Values of other types and of characters outside the code page, a key
    // the run deletes, values it changes and keys it makes, under two roots.
    const std::string vapi = PRODUCT_KEY "\\VAPI", options = PRODUCT_KEY "\\OPTIONS";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Jor\\Lumoria\\VAPI", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    DWORD number = 0x12345678;
    const BYTE binary[] = {0, 1, 0, 2};
    const WCHAR wide[] = L"\x0416\x00e9";
    RegSetValueExW(key, L"dw", 0, REG_DWORD, (const BYTE *)&number, sizeof number);
    RegSetValueExW(key, L"bin", 0, REG_BINARY, binary, sizeof binary);
    RegSetValueExW(key, L"wide\x0416", 0, REG_SZ, (const BYTE *)wide, sizeof wide);
    RegSetValueExW(key, L"empty", 0, REG_SZ, nullptr, 0);
    RegSetValueExW(key, L"13", 0, REG_SZ, (const BYTE *)L"old", 8);
    // Longer than the journal's first read takes in one go.
    std::string longBinary(3000, '\0');
    for (size_t i = 0; i < longBinary.size(); i++)
        longBinary[i] = (char)(i * 7);
    RegSetValueExW(key, L"long", 0, REG_BINARY, (const BYTE *)longBinary.data(), (DWORD)longBinary.size());
    RegCloseKey(key);
    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", "C:\\old");
    setRegText(HKEY_CURRENT_USER, options.c_str(), "General", std::string(900, '9').c_str());
    auto vapiBefore = readKeyValues(HKEY_LOCAL_MACHINE, vapi);
    auto generalBefore = readKeyValues(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY);
    auto optionsBefore = readKeyValues(HKEY_CURRENT_USER, options);
    ASSERT_EQ(6u, vapiBefore.size());

    beginRegistryJournal();
    clearProductKeys();
    beginRegistryWork();
    writeRegText(vapi.c_str(), "13", "new");
    writeRegText(vapi.c_str(), "2", "text 1 jordocve.dll");
    writeRegText(PRODUCT_GENERAL_KEY, "Home", "C:\\new");
    writeRegText(PRODUCT_GENERAL_KEY, "Home", "C:\\newer");
    writeRegText(PRODUCT_KEY "\\New\\Deep", "a", "b");
    writeRegValue(HKEY_CURRENT_USER, options.c_str(), "General", "1 0 1");
    writeRegValue(HKEY_CURRENT_USER, PRODUCT_KEY "\\Fresh", "z", nullptr);
    endRegistryWork();
    EXPECT_FALSE(registryWriteFailed());
    EXPECT_EQ(2u, readKeyValues(HKEY_LOCAL_MACHINE, vapi).size()) << "the run's own values";
    rollBackRegistry();
    endRegistryJournal();

    auto vapiAfter = readKeyValues(HKEY_LOCAL_MACHINE, vapi);
    EXPECT_EQ(vapiBefore.size(), vapiAfter.size());
    for (const auto &v : vapiBefore) {
        auto now = vapiAfter.find(v.first);
        ASSERT_NE(vapiAfter.end(), now) << v.first;
        EXPECT_EQ(v.second.type, now->second.type) << v.first;
        EXPECT_EQ(v.second.data, now->second.data) << v.first;
    }
    // Read wide: a round trip through the code page would have lost the
    // first character of the name and of the data.
    WCHAR back[8] = L"";
    DWORD size = sizeof back, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Jor\\Lumoria\\VAPI", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"wide\x0416", nullptr, &type, (BYTE *)back, &size));
    RegCloseKey(key);
    EXPECT_EQ(0, memcmp(wide, back, sizeof wide)) << "data and name kept exactly";
    auto generalAfter = readKeyValues(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY);
    ASSERT_EQ(generalBefore.size(), generalAfter.size());
    EXPECT_EQ(generalBefore["Home"].data, generalAfter["Home"].data);
    EXPECT_EQ(optionsBefore["General"].data, readKeyValues(HKEY_CURRENT_USER, options)["General"].data);
    for (const auto &made : {std::make_pair(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\New"),
                             std::make_pair(HKEY_CURRENT_USER, PRODUCT_KEY "\\Fresh")}) {
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(made.first, made.second, 0, KEY_READ, &key)) << made.second;
    }
}

} // namespace
