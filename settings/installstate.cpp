/* The game directory, the choices of the installation, and the CD paths. */
#include "settings/installstate.h"

char installDirectory[260];
int directoryMissing;
int dosVariant;
int minimalInstall = 1;
MEMORYSTATUS memoryStatus;

char activeListPath[260] = "D:\\DATA1\\FILELIST.WIN";
char dosListPath[260] = "D:\\DATA1\\FILELIST.WD";
char cdDataDirectory[260] = "D:\\DATA1\\";
char cdRoot[260] = "D:\\";
char backgroundPath[260] = "D:\\DATA1\\VRNBLACK.BMP";
char background256Path[260] = "D:\\DATA1\\VRN256.BMP";
char directXPath[260] = "D:\\DirectX";
char sourceDriveText[2] = "D";
char uninstallDrive;
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
