/* Sets the stage for Chooser's end-to-end scenarios inside their prefix (the
 * robot starts it with "run %TT_STAGE% ..."):
 *   ttstage install DIR [LINE]...  install record DIR, the marker ZEPH4W95.EXE
 *                                  and DIR\QVX.INF made of the LINEs
 *   ttstage qvx DIR [LINE]...      DIR\QVX.INF anew (no LINE: an empty file)
 *   ttstage remove DIR             DIR and everything in it
 * DIR ends with a backslash. Exit code 0 when everything was done.
 */
#include <windows.h>
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

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: ttstage install|qvx DIR [LINE]... | remove DIR\n");
        return 2;
    }
    std::string command = argv[1], directory = argv[2];
    bool ok = false;
    if (command == "install")
        ok = MakeDirectories(directory) && WriteRecord(directory) &&
             WriteLines(directory + "ZEPH4W95.EXE", 0, NULL) && WriteLines(directory + "QVX.INF", argc - 3, argv + 3);
    else if (command == "qvx")
        ok = WriteLines(directory + "QVX.INF", argc - 3, argv + 3);
    else if (command == "remove") {
        RemoveTree(directory);
        ok = GetFileAttributesA(directory.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    if (!ok)
        fprintf(stderr, "ttstage %s %s failed\n", argv[1], argv[2]);
    return ok ? 0 : 1;
}
