/* Sets the stage for Chooser's end-to-end scenarios inside their prefix (the
 * robot starts it with "run %TT_STAGE% ..."):
 *   ttstage install DIR [LINE]...  install record DIR, the marker ZEPH4W95.EXE
 *                                  and DIR\QVX.INF made of the LINEs
 *   ttstage qvx DIR [LINE]...      DIR\QVX.INF anew (no LINE: an empty file)
 *   ttstage remove DIR             DIR and everything in it
 *   ttstage cdrom LETTER UNIXPATH  drive LETTER becomes a CD-ROM drive on
 *                                  UNIXPATH, at once (Wine only)
 * DIR ends with a backslash. Exit code 0 when everything was done.
 *
 * Wine's drive Z: is the Unix root, a fixed disk: a search over every hard
 * disk would walk the whole Unix tree, and its links round in circles for
 * ever. "ttstage cdrom z /" makes it a CD-ROM drive, which the search passes
 * over, the way winecfg changes a drive's type: through Wine's mount manager,
 * effective at once. The drive's files stay where they were. */
#include <windows.h>
#include <winioctl.h>
#include <stdio.h>
#include <string.h>
#include <string>

static bool MakeDirectories(const std::string &directory)
{
    for (size_t i = 3; i <= directory.size(); i++)
        if (i == directory.size() || directory[i] == '\\')
            CreateDirectoryA(directory.substr(0, i).c_str(), NULL);
    return GetFileAttributesA(directory.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static bool WriteLines(const std::string &path, int count, char **lines)
{
    std::string text;
    for (int i = 0; i < count; i++)
        text += std::string(lines[i]) + "\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = WriteFile(file, text.data(), (DWORD)text.size(), &done, NULL) && done == text.size();
    CloseHandle(file);
    return ok;
}

static bool WriteRecord(const std::string &directory)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vornhollow Entertainment", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, "Tinfoil Tango", 0, REG_SZ, (const BYTE *)directory.c_str(),
                                 (DWORD)directory.size() + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

static void RemoveTree(const std::string &directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(directory + name + "\\");
            } else {
                SetFileAttributesA((directory + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((directory + name).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

/* The request of Wine's mount manager (Wine's include/ddk/mountmgr.h). */
#define IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS)
#pragma pack(push, 8)
struct WineUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
#pragma pack(pop)

static bool MakeCdRomDrive(char letter, const char *unixPath)
{
    char request[sizeof(WineUnixDrive) + MAX_PATH];
    size_t pathLength = strlen(unixPath) + 1;
    if (pathLength > MAX_PATH)
        return false;
    memset(request, 0, sizeof(request));
    WineUnixDrive *drive = (WineUnixDrive *)request;
    drive->size = (ULONG)(sizeof(WineUnixDrive) + pathLength);
    drive->type = DRIVE_CDROM;
    drive->letter = (WCHAR)(letter | 0x20);
    drive->mountPointOffset = sizeof(WineUnixDrive);
    memcpy(request + sizeof(WineUnixDrive), unixPath, pathLength);
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(manager, IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, request, drive->size, NULL, 0, &returned,
                              NULL);
    CloseHandle(manager);
    char root[] = "?:\\";
    root[0] = letter;
    return ok && GetDriveTypeA(root) == DRIVE_CDROM;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: ttstage install|qvx DIR [LINE]... | remove DIR | cdrom LETTER UNIXPATH\n");
        return 2;
    }
    std::string command = argv[1], directory = argv[2];
    bool ok = false;
    if (command == "install")
        ok = MakeDirectories(directory) && WriteRecord(directory) &&
             WriteLines(directory + "ZEPH4W95.EXE", 0, NULL) && WriteLines(directory + "QVX.INF", argc - 3, argv + 3);
    else if (command == "qvx")
        ok = WriteLines(directory + "QVX.INF", argc - 3, argv + 3);
    else if (command == "cdrom" && argc == 4)
        ok = MakeCdRomDrive(directory[0], argv[3]);
    else if (command == "remove") {
        RemoveTree(directory);
        ok = GetFileAttributesA(directory.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    if (!ok)
        fprintf(stderr, "ttstage %s %s failed\n", argv[1], argv[2]);
    return ok ? 0 : 1;
}
