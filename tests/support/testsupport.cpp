#include "tests/support/testsupport.h"

static BoxRecorder *activeRecorder;

static int RecordBox(HWND owner, const char *text, const char *caption, UINT style)
{
    BoxRecorder *r = activeRecorder;
    r->boxes.push_back(RecordedBox{ owner, text ? text : "", caption ? caption : "", style });
    if (r->nextAnswer < r->answers.size())
        return r->answers[r->nextAnswer++];
    return IDOK;
}

BoxRecorder::BoxRecorder()
{
    activeRecorder = this;
    previous = SetMessageBoxHook(RecordBox);
}

BoxRecorder::~BoxRecorder()
{
    SetMessageBoxHook(previous);
    activeRecorder = NULL;
}

void RemoveTree(const std::string &directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = directory + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

ScratchDirectory::ScratchDirectory(const char *name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    wsprintfA(path, "%stt-%s-%lu\\", temp, name, GetCurrentProcessId());
    std::string bare(path, lstrlenA(path) - 1);
    RemoveTree(bare);
    CreateDirectoryA(bare.c_str(), NULL);
}

ScratchDirectory::~ScratchDirectory()
{
    RemoveTree(std::string(path, lstrlenA(path) - 1));
}

void WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD done;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, NULL);
        CloseHandle(file);
    }
}

std::string ReadWholeFile(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD got;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool PathExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
