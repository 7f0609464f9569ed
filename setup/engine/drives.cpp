/* The CD paths, and the one drive letter that points them at the game CD. */
#include "setup/engine/engine.h"
#include "setup/shell/shell.h"

char activeListPath[260] = "D:\\DATA1\\FILELIST.WIN";
char dosListPath[260] = "D:\\DATA1\\FILELIST.WD";
char cdDataDirectory[260] = "D:\\DATA1\\";
char cdRoot[260] = "D:\\";
char backgroundPath[260] = "D:\\DATA1\\VRNBLACK.BMP";
char background256Path[260] = "D:\\DATA1\\VRN256.BMP";
char directXPath[260] = "D:\\DirectX";
char sourceDriveText[2] = "D";
char recordedDirectory[260];

void SetSourceDrive(char letter)
{
    if (!letter)
        letter = uninstallDrive;
    if (!letter) {
        char current[260];
        DWORD got = GetCurrentDirectoryA(sizeof(current), current);
        if (got && got < sizeof(current) && current[1] == ':')
            letter = current[0] >= 'a' && current[0] <= 'z' ? (char)(current[0] - 32) : current[0];
        else
            letter = 64;   /* no drive letter: the character before A */
    }
    char *paths[] = { activeListPath, dosListPath, cdDataDirectory, cdRoot, backgroundPath,
                      background256Path, directXPath, sourceDriveText };
    for (char *path : paths)
        path[0] = letter;
}
