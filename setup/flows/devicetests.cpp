/* The sound test pages: a sample through the sound card for the Windows
 * variant, the DOS configuration program SETSOUND.EXE for the DOS variant. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/resources/resource.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include <mmsystem.h>
#include <string.h>

/* Starts SETSOUND.EXE from the game directory, with the game directory as its
 * working directory (it writes its configuration there), and does not wait. */
static void StartSetSound(void)
{
    char previous[260], directory[260], command[300];
    DWORD got = GetCurrentDirectoryA(sizeof(previous), previous);
    lstrcpynA(directory, installDirectory, sizeof(directory));
    size_t length = strlen(directory);
    if (length > 3 && directory[length - 1] == '\\')
        directory[length - 1] = '\0';
    SetCurrentDirectoryA(directory);
    wsprintfA(command, "\"%.250sSETSOUND.EXE\"", installDirectory);
    WinExec(command, SW_SHOWMAXIMIZED);
    if (got && got < sizeof(previous))
        SetCurrentDirectoryA(previous);
}

static int DosSoundTest(void)
{
    int started = 0;
    for (;;) {
        int answer = ShowPage();
        /* A page that cannot open (-1) is as good as "Pasar": asking again
         * would never end. */
        if (answer == IDC_CANCEL || answer == -1)
            return 1;
        if (answer != IDC_NEXT)
            continue;
        if (started)
            return 1;
        StartSetSound();
        page.text = Text(TXT_SOUND_CONTINUE);
        started++;
    }
}

static int AskYesNo(const char *text)
{
    SetPage(1, 1, 0, Text(TXT_NO), Text(TXT_YES), NULL, Text(TXT_SOUND_TITLE), text, IDC_NEXT, IDB_SOUNDCARD);
    return ShowPage();
}

static int WindowsSoundTest(void)
{
    char sample[260];
    if (waveOutGetNumDevs() == 0) {
        SetupMessage(Text(TXT_NO_SOUND_DEVICE), MB_ICONEXCLAMATION);
        return 0;
    }
    wsprintfA(sample, "%.245ssample.wav", cdDataDirectory);
    if (!PlaySoundA(sample, NULL, SND_FILENAME | SND_ASYNC)) {
        SetupMessage(Text(TXT_SAMPLE_FAILED), MB_ICONEXCLAMATION);
        return 1;
    }
    if (AskYesNo(Text(TXT_HEAR_SOUND)) == IDC_BACK && AskYesNo(Text(TXT_SOUND_CONTROL_PANEL)) == IDC_NEXT) {
        WinExec("rundll32.exe shell32.dll,Control_RunDLL mmsys.cpl", SW_SHOWNORMAL);
        Sleep(1000);
    }
    PlaySoundA(NULL, NULL, SND_PURGE);
    return 1;
}

int SoundTest(void)
{
    SetPage(0, 1, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_SKIP), Text(TXT_SOUND_TITLE),
            Text(dosVariant ? TXT_SOUND_DOS : TXT_SOUND_WINDOWS), IDC_NEXT, IDB_SOUNDCARD);
    if (dosVariant)
        return DosSoundTest();
    for (;;) {
        int answer = ShowPage();
        if (answer == IDC_CANCEL || answer == -1)
            return 1;
        if (answer == IDC_NEXT)
            return WindowsSoundTest();
    }
}
