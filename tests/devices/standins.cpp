#include "tests/devices/standins.h"

/* Wine 8.0's winmm reads the driver of a device type from this key (not from
 * MCI32, where the prefix lists its own drivers), then from SYSTEM.INI [mci]. */
static const char mciDriversParent[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
static const char mciDriversKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI";
static const char cdAudioValue[] = "CDAudio";

std::vector<std::string> LogLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::string text = ReadWholeFile(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

static void SetDriverValue(const char *library)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, mciDriversKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, cdAudioValue, 0, REG_SZ, (const BYTE *)library, (DWORD)lstrlenA(library) + 1);
    RegCloseKey(key);
}

CdDriverScope::CdDriverScope(const char *library) : scratch("mcicd"), hadValue(false)
{
    HKEY key;
    hadKey = RegOpenKeyExA(HKEY_LOCAL_MACHINE, mciDriversKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (hadKey)
        RegCloseKey(key);
    DWORD size = sizeof(savedValue) - 1;
    ZeroMemory(savedValue, sizeof(savedValue));
    hadValue = ReadRegistryValue(HKEY_LOCAL_MACHINE, mciDriversKey, cdAudioValue, savedValue, size) != 0;
    SetDriverValue(library);
    log = scratch + "mcicd.log";
    SetEnvironmentVariableA("TT_MCICD_LOG", log.c_str());
    SetEnvironmentVariableA("TT_MCICD_LENGTHS", NULL);
    SetEnvironmentVariableA("TT_MCICD_FAIL", NULL);
}

CdDriverScope::~CdDriverScope()
{
    HKEY key;
    if (hadValue) {
        SetDriverValue(savedValue);
    } else if (hadKey) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, mciDriversKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, cdAudioValue);
            RegCloseKey(key);
        }
    } else if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, mciDriversParent, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteKeyA(key, "MCI");
        RegCloseKey(key);
    }
    SetEnvironmentVariableA("TT_MCICD_LOG", NULL);
    SetEnvironmentVariableA("TT_MCICD_LENGTHS", NULL);
    SetEnvironmentVariableA("TT_MCICD_FAIL", NULL);
}

std::vector<std::string> CdDriverScope::Commands() const
{
    return LogLines(log);
}

DirectXSetupScope::DirectXSetupScope(const char *answers) : scratch("dsetup")
{
    log = scratch + "dsetup.log";
    SetEnvironmentVariableA("TT_DSETUP_LOG", log.c_str());
    SetEnvironmentVariableA("TT_DSETUP_ANSWERS", answers);
}

DirectXSetupScope::~DirectXSetupScope()
{
    SetEnvironmentVariableA("TT_DSETUP_LOG", NULL);
    SetEnvironmentVariableA("TT_DSETUP_ANSWERS", NULL);
}

std::vector<std::string> DirectXSetupScope::Calls() const
{
    return LogLines(log);
}
