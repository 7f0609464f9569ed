/* The install records in the prefix's registry. Every case starts and ends
 * without the two keys. */
#include "tests/support/testsupport.h"
#include "setup/windows/integration.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include <gtest/gtest.h>

static bool KeyExists(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

/* The value's bytes as stored, its NUL included; "" with type 0 when missing. */
static std::string StoredValue(const char *path, const char *name, DWORD *type)
{
    HKEY key;
    char buffer[1024];
    DWORD size = sizeof(buffer);
    *type = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    LONG status = RegQueryValueExA(key, name, NULL, type, (BYTE *)buffer, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer, size) : "";
}

static void StoreValue(const char *name, const std::string &bytes)
{
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, publisherKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
}

struct RecordFixture : ::testing::Test {
    void SetUp() override { DeleteInstallRecords(); }
    void TearDown() override
    {
        DeleteInstallRecords();
        SetSourceDrive('D');
        installDirectory[0] = '\0';
        recordedDirectory[0] = '\0';
    }
};

TEST_F(RecordFixture, AnInstallationIsRecordedWithItsUninstallCommand)
{
    CopyText(installDirectory, sizeof(installDirectory), "C:\\JUEGOS\\ZEPH\\");
    SetSourceDrive('E');
    WriteInstallRecords();

    DWORD type;
    EXPECT_EQ(StoredValue(publisherKey, "Tinfoil Tango", &type), std::string("C:\\JUEGOS\\ZEPH\\", 16));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(StoredValue(uninstallKey, "DisplayName", &type), std::string("Tinfoil Tango", 14));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    std::string command = "\"E:\\DATA1\\SPANISH\\OUTFIT.EXE\" UNINSTALL E:\\";
    EXPECT_EQ(StoredValue(uninstallKey, "UninstallString", &type), command + '\0');
}

TEST_F(RecordFixture, TheRecordedDirectoryIsReadBack)
{
    CopyText(installDirectory, sizeof(installDirectory), "C:\\JUEGOS\\ZEPH\\");
    WriteInstallRecords();
    installDirectory[0] = '\0';
    EXPECT_EQ(ReadInstallRecord(), 1);
    EXPECT_STREQ(recordedDirectory, "C:\\JUEGOS\\ZEPH\\");
}

TEST_F(RecordFixture, AKeyWithoutTheGameValueIsNoRecord)
{
    EXPECT_EQ(ReadInstallRecord(), 0);
    StoreValue("Display Tested", std::string("1", 2));
    CopyText(recordedDirectory, sizeof(recordedDirectory), "stale");
    EXPECT_EQ(ReadInstallRecord(), 0);
    EXPECT_STREQ(recordedDirectory, "");
}

TEST_F(RecordFixture, ValuesAreTakenUpTo259Characters)
{
    std::string longest = "C:\\" + std::string(255, 'A') + "\\";   /* 259 characters */
    StoreValue("Tinfoil Tango", longest + '\0');
    EXPECT_EQ(ReadInstallRecord(), 1);
    EXPECT_EQ(std::string(recordedDirectory), longest);

    StoreValue("Tinfoil Tango", longest);   /* stored without its NUL */
    EXPECT_EQ(ReadInstallRecord(), 1);
    EXPECT_EQ(std::string(recordedDirectory), longest);

    StoreValue("Tinfoil Tango", longest + "B" + '\0');
    EXPECT_EQ(ReadInstallRecord(), 0);
    EXPECT_STREQ(recordedDirectory, "");
}

TEST_F(RecordFixture, UninstallingRemovesBothKeysWithTheDisplayTestsValue)
{
    CopyText(installDirectory, sizeof(installDirectory), "C:\\ZEPH\\");
    WriteInstallRecords();
    StoreValue("Display Tested", std::string("1", 2));
    ASSERT_TRUE(KeyExists(publisherKey));
    ASSERT_TRUE(KeyExists(uninstallKey));
    DeleteInstallRecords();
    EXPECT_FALSE(KeyExists(publisherKey));
    EXPECT_FALSE(KeyExists(uninstallKey));
}
