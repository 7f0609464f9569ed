/* The copy pass against a plain copy of the same expanded bytes, in one run:
 * the pass reads the sample CD's file list and containers and expands the
 * chunks; the plain copy reads the installed files and writes them again in
 * 1 MiB blocks. Rounds alternate; the median of each is reported.
 *
 *   COPYBENCH.EXE GAMEDIR COPYDIR [ROUNDS]    (the CD in drive D:) */
#include "common/general.h"
#include "settings/settings.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

static void RemoveFiles(const std::string &directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveFiles(directory + name + "\\");
        else
            DeleteFileA((directory + name).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static void MakeGameDirectories(const std::string &directory)
{
    CreateDirectoryPath(directory.substr(0, directory.size() - 1).c_str());
    for (int i = 0; i <= 10; i++) {
        char name[8];
        sprintf(name, "G%d", i);
        CreateDirectoryA((directory + name).c_str(), NULL);
    }
}

/* Copies every file under from into the same place under to; the bytes moved. */
static double PlainCopy(const std::string &from, const std::string &to, std::vector<char> &buffer)
{
    double bytes = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA((to + name).c_str(), NULL);
            bytes += PlainCopy(from + name + "\\", to + name + "\\", buffer);
            continue;
        }
        HANDLE in = CreateFileA((from + name).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        HANDLE out = CreateFileA((to + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        DWORD got, put;
        while (ReadFile(in, buffer.data(), (DWORD)buffer.size(), &got, NULL) && got) {
            WriteFile(out, buffer.data(), got, &put, NULL);
            bytes += got;
        }
        CloseHandle(in);
        CloseHandle(out);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return bytes;
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: COPYBENCH GAMEDIR\\ COPYDIR\\ [ROUNDS]\n");
        return 2;
    }
    std::string gameDirectory = argv[1], copyDirectory = argv[2];
    int rounds = argc > 3 ? atoi(argv[3]) : 5;
    programCaption = setupCaption;
    InitMemoryBlocks();
    lstrcpyA(activeListPath, dosListPath);
    lstrcpynA(installDirectory, gameDirectory.c_str(), sizeof(installDirectory));

    std::vector<char> buffer(1 << 20);
    std::vector<double> passRates, plainRates;
    for (int round = 0; round < rounds; round++) {
        RemoveFiles(gameDirectory);
        MakeGameDirectories(gameDirectory);
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        if (!CopyListedFiles()) {
            fprintf(stderr, "copybench: the copy pass failed\n");
            return 1;
        }
        QueryPerformanceCounter(&end);
        double passSeconds = (double)(end.QuadPart - start.QuadPart) / frequency.QuadPart;

        RemoveFiles(copyDirectory);
        MakeGameDirectories(copyDirectory);
        QueryPerformanceCounter(&start);
        double bytes = PlainCopy(gameDirectory, copyDirectory, buffer);
        QueryPerformanceCounter(&end);
        double plainSeconds = (double)(end.QuadPart - start.QuadPart) / frequency.QuadPart;

        passRates.push_back(bytes / passSeconds / 1e6);
        plainRates.push_back(bytes / plainSeconds / 1e6);
        printf("round %d: %.1f MB expanded, copy pass %.1f MB/s, plain copy %.1f MB/s\n",
               round + 1, bytes / 1e6, passRates.back(), plainRates.back());
    }
    double pass = Median(passRates), plain = Median(plainRates);
    printf("copy pass: %.1f MB/s of expanded output, plain copy of the same bytes: %.1f MB/s (medians of %d rounds)\n",
           pass, plain, rounds);
    printf("copy: %.0f%% of plain copy speed\n", 100.0 * pass / plain);
    FreeAllMemoryBlocks();
    return 0;
}
