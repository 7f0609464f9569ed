/* Cursor switching around long operations, and registry values as 1/0 results. */
#include "common/general.h"

HCURSOR SetWaitCursor(void)
{
    return SetCursor(LoadCursor(NULL, IDC_WAIT));
}

HCURSOR SetArrowCursor(void)
{
    return SetCursor(LoadCursor(NULL, IDC_ARROW));
}

int ReadRegistryValue(HKEY root, const char *subkey, const char *name, void *buffer, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    /* Ask for the size first: a value that does not fit fails and leaves
     * the caller's buffer as it was. */
    DWORD needed = 0;
    LONG status = RegQueryValueExA(key, name, NULL, NULL, NULL, &needed);
    if (status == ERROR_SUCCESS && needed <= size)
        status = RegQueryValueExA(key, name, NULL, NULL, (BYTE *)buffer, &size);
    else if (status == ERROR_SUCCESS)
        status = ERROR_MORE_DATA;
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int WriteRegistryString(HKEY root, const char *subkey, const char *name, const char *text, DWORD count)
{
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(root, subkey, 0, (char *)"", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &key, &disposition) != ERROR_SUCCESS)
        return 0;
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, count);
    RegCloseKey(key);
    return 1;
}
