/* The install records under HKEY_LOCAL_MACHINE: the game directory under the
 * publisher's key, and the entry of the Windows list of removable programs.
 * Registry failures are silent: a missing record only makes the game count
 * as not installed at the next start. */
#include "setup/windows/integration.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include "settings/settings.h"
#include <string.h>

const char publisherKey[] = "SOFTWARE\\Vornhollow Entertainment";
const char uninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tinfoil Tango";
const char gameTitle[] = "Tinfoil Tango";

/* "<CD data directory><language>OUTFIT.EXE" UNINSTALL <CD root> */
static void ComposeUninstallCommand(char *command, size_t size)
{
    CopyText(command, size, "\"");
    AppendText(command, size, cdDataDirectory);
    AppendText(command, size, LanguageDirectory());
    AppendText(command, size, "OUTFIT.EXE\" UNINSTALL ");
    AppendText(command, size, cdRoot);
}

/* Strings are stored with their terminating NUL counted. */
static void SetStringValue(HKEY key, const char *name, const char *text)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
}

static HKEY CreateRecordKey(const char *path)
{
    HKEY key = NULL;
    char noClass[] = "";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return NULL;
    return key;
}

void WriteInstallRecords(void)
{
    char command[260];
    ComposeUninstallCommand(command, sizeof(command));
    HKEY key = CreateRecordKey(publisherKey);
    if (key) {
        SetStringValue(key, gameTitle, installDirectory);
        RegCloseKey(key);
    }
    key = CreateRecordKey(uninstallKey);
    if (key) {
        SetStringValue(key, "DisplayName", gameTitle);
        SetStringValue(key, "UninstallString", command);
        RegCloseKey(key);
    }
}

int ReadInstallRecord(void)
{
    HKEY key;
    recordedDirectory[0] = '\0';
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, publisherKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD size = sizeof(recordedDirectory);
    LONG status = RegQueryValueExA(key, gameTitle, NULL, NULL, (BYTE *)recordedDirectory, &size);
    RegCloseKey(key);
    /* A value stored without its NUL gets one, unless it fills the buffer. */
    if (status == ERROR_SUCCESS && size < sizeof(recordedDirectory))
        recordedDirectory[size] = '\0';
    else if (status != ERROR_SUCCESS || recordedDirectory[size - 1] != '\0')
        status = ERROR_MORE_DATA;
    if (status != ERROR_SUCCESS) {
        recordedDirectory[0] = '\0';
        return 0;
    }
    return 1;
}

void DeleteInstallRecords(void)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, publisherKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey);
}
