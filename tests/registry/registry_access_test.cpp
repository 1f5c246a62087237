// writeRegText, deleteRegValue and readRegText against Wine's registry.
#include <gtest/gtest.h>

#include <string.h>

#include "registry/registry_access.h"
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

} // namespace
