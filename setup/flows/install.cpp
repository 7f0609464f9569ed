/* The install flow: checks of the machine, the location page, the copy, and
 * the pages after it up to the final one. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "setup/resources/resource.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include "common/textformat.h"
#include <string.h>

static const char *const gameSubdirectories[] = {
    "G0", "G1", "G2", "G3", "G4", "G5", "G6", "G7", "G8", "G9", "G10"
};

/* A 64-bit process reports the AMD64 architecture, which is past any 486. */
int ProcessorIsSuitable(WORD architecture, DWORD processorType)
{
    if (architecture == PROCESSOR_ARCHITECTURE_AMD64)
        return 1;
    return architecture == PROCESSOR_ARCHITECTURE_INTEL && processorType != PROCESSOR_INTEL_386;
}

int CheckProcessor(void)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    char figures[80];
    FormatText(figures, sizeof(figures), "processor: architecture %u, type %lu",
               (unsigned)system.wProcessorArchitecture, (unsigned long)system.dwProcessorType);
    LogText(figures, NULL);
    if (ProcessorIsSuitable(system.wProcessorArchitecture, system.dwProcessorType))
        return 1;
    NoteRunFailure(END_REFUSED_MACHINE);
    SetupMessage(Text(TXT_NEED_486), MB_ICONERROR);
    return 0;
}

int MemoryIsEnough(SIZE_T totalBytes, DWORD minimumKb)
{
    return (ULONGLONG)totalBytes >> 10 >= minimumKb;
}

int CheckMemory(void)
{
    memset(&memoryStatus, 0, sizeof(memoryStatus));
    memoryStatus.dwLength = sizeof(memoryStatus);
    GlobalMemoryStatus(&memoryStatus);
    char figures[80];
    FormatText(figures, sizeof(figures), "memory: %lu KB, needed %lu KB (MIN_MEMORY)",
               (unsigned long)(memoryStatus.dwTotalPhys >> 10), (unsigned long)gameSettings.MinMemoryKb);
    LogText(figures, NULL);
    if (MemoryIsEnough(memoryStatus.dwTotalPhys, gameSettings.MinMemoryKb))
        return 1;
    NoteRunFailure(END_REFUSED_MACHINE);
    SetupMessage(Text(TXT_NOT_ENOUGH_MEMORY), MB_ICONERROR);
    return 0;
}

/* In 64 bits: clusters times cluster size passes 4 GB on today's disks, and
 * a 32-bit product would wrap round to a small number. */
ULONGLONG FreeKilobytes(DWORD freeClusters, DWORD sectorsPerCluster, DWORD bytesPerSector)
{
    return (ULONGLONG)freeClusters * sectorsPerCluster * bytesPerSector >> 10;
}

int FreeSpaceIsEnough(DWORD freeClusters, DWORD sectorsPerCluster, DWORD bytesPerSector)
{
    return FreeKilobytes(freeClusters, sectorsPerCluster, bytesPerSector) >= MINIMAL_INSTALL_KB;
}

int CheckFreeSpace(const char *directory)
{
    char root[4] = "C:\\";
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    root[0] = directory[0];
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        /* No such drive, or no disk in it: say so, or Next does nothing. */
        char message[300];
        LogText("free space: no answer for the drive ", root);
        NoteRunFailure(END_REFUSED_PATH);
        CopyText(message, sizeof(message), Text(TXT_DRIVE_UNUSABLE_PREFIX));
        AppendText(message, sizeof(message), root);
        AppendText(message, sizeof(message), Text(TXT_DRIVE_UNUSABLE));
        SetupMessage(message, MB_ICONEXCLAMATION);
        return 0;
    }
    char figures[80];
    FormatText(figures, sizeof(figures), "free space on %s: %lu KB, needed %lu KB", root,
               (unsigned long)FreeKilobytes(freeClusters, sectorsPerCluster, bytesPerSector),
               (unsigned long)MINIMAL_INSTALL_KB);
    LogText(figures, NULL);
    if (FreeSpaceIsEnough(freeClusters, sectorsPerCluster, bytesPerSector))
        return 1;
    NoteRunFailure(END_REFUSED_SPACE);
    SetupMessage(Text(TXT_NOT_ENOUGH_SPACE), MB_ICONERROR);
    return 0;
}

/* The syntax of a typed directory: at least "X:\" and one more character.
 * A trailing backslash is dropped. Problems are shown; 0 keeps the page. */
int CheckLocationText(char *directory)
{
    size_t length = strlen(directory);
    if (length <= 3) {
        NoteRunFailure(END_REFUSED_PATH);
        SetupMessage(Text(TXT_LOCATION_TOO_SHORT), MB_ICONEXCLAMATION);
        return 0;
    }
    if (directory[1] != ':' || directory[2] != '\\') {
        NoteRunFailure(END_REFUSED_PATH);
        SetupMessage(Text(TXT_LOCATION_NO_DRIVE), MB_ICONEXCLAMATION);
        return 0;
    }
    if (directory[length - 1] == '\\')
        directory[length - 1] = '\0';
    return 1;
}

static int DirectoryFound(const char *directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(directory, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

static void CreateGameSubdirectories(const char *directory)
{
    char path[260];
    for (const char *name : gameSubdirectories)
        if (CopyText(path, sizeof(path), directory) && AppendText(path, sizeof(path), "\\") &&
            AppendText(path, sizeof(path), name))
            CreateDirectoryA(path, NULL);   /* an existing one is as good */
}

/* The longest name the game keeps in its directory: G10\ and an 8.3 name. */
static const char longestGameName[] = "\\G10\\12345678.123";

/* Whether every file of the game fits a 260-byte path in the directory. */
int LocationLeavesRoomForTheGame(const char *directory)
{
    return strlen(directory) + strlen(longestGameName) < 260;
}

/* Length, free space, the directory itself (created on request) and G0 to
 * G10 in it; 0 keeps the location page open. */
int PrepareInstallDirectory(const char *directory)
{
    if (!LocationLeavesRoomForTheGame(directory)) {
        NoteRunFailure(END_REFUSED_PATH);
        SetupMessage(Text(TXT_LOCATION_TOO_LONG), MB_ICONEXCLAMATION);
        return 0;
    }
    if (!CheckFreeSpace(directory))
        return 0;
    if (!DirectoryFound(directory)) {
        /* An unattended run was given the directory to make: its answer
         * is the page's "Yes". */
        if (unattendedRun)
            LogText("question answered Yes: ", Text(TXT_CREATE_DIRECTORY));
        else if (SetupMessage(Text(TXT_CREATE_DIRECTORY), MB_ICONQUESTION | MB_YESNO) != IDYES)
            return 0;
        if (!CreateDirectoryPath(directory)) {
            NoteRunFailure(END_REFUSED_PATH);
            SetupMessage(Text(TXT_CANNOT_CREATE_DIRECTORY), MB_ICONEXCLAMATION);
            return 0;
        }
    }
    CreateGameSubdirectories(directory);
    return 1;
}

/* What Next on the location page does with the typed text in installDirectory:
 * 1 accepts the page, with installDirectory ending in one backslash. */
int AcceptLocation(void)
{
    if (!CheckLocationText(installDirectory))
        return 0;
    if (RunMode == RUN_UNINSTALL)
        directoryMissing = !DirectoryFound(installDirectory);
    else if (!PrepareInstallDirectory(installDirectory))
        return 0;
    lstrcatA(installDirectory, "\\");
    return 1;
}

/* The text first shown in the edit box: the directory found or typed before
 * when there is one, else C:\ZEPH on the drive that holds Windows. */
void ProposeLocation(char *text, int capacity)
{
    if (RunMode == RUN_UNINSTALL || installationLocated) {
        lstrcpynA(text, installDirectory, capacity);
        size_t length = strlen(text);
        if (length)
            text[length - 1] = '\0';
        return;
    }
    char windows[260];
    lstrcpynA(text, "C:\\ZEPH", capacity);
    if (GetWindowsDirectoryA(windows, sizeof(windows)))
        text[0] = windows[0];
}

/* Room for the trailing backslash that AcceptLocation puts back. */
enum { LOCATION_TEXT_LIMIT = sizeof(installDirectory) - 2 };

static INT_PTR CALLBACK LocationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        char proposed[260];
        InitPageDialog(dialog);
        ProposeLocation(proposed, sizeof(proposed));
        SendDlgItemMessageA(dialog, IDC_PATH, EM_LIMITTEXT, LOCATION_TEXT_LIMIT, 0);
        SetDlgItemTextA(dialog, IDC_PATH, proposed);
        return TRUE;   /* the dialog manager gives the focus to the edit box */
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDC_CANCEL && !WantsToLeave(id))
            return TRUE;
        if (id == IDC_NEXT) {
            GetDlgItemTextA(dialog, IDC_PATH, installDirectory, LOCATION_TEXT_LIMIT + 1);
            if (!AcceptLocation())
                return TRUE;
        }
        if (id == IDC_NEXT || id == IDC_BACK || id == IDC_CANCEL)
            EndDialog(dialog, id);
        return TRUE;
    }
    case WM_DESTROY:
        ReleasePageBitmap();
        return FALSE;
    }
    return FALSE;
}

int LocationPage(void)
{
    SetPage(0, 1, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_CANCEL), Text(TXT_LOCATION_TITLE),
            Text(RunMode == RUN_UNINSTALL ? TXT_LOCATION_UNINSTALL : TXT_LOCATION_INSTALL), 0, IDB_GENERAL);
    INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_LOCATION), mainWindow,
                                     LocationDialogProc, 0);
    return result == IDC_NEXT;
}

static int FinalPage(void)
{
    SetPage(1, 0, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_FINISH), gameTitle, Text(TXT_INSTALL_DONE),
            IDC_CANCEL, IDB_FINISHED);
    return ShowPage();
}

/* The pages after the copy, back and forth. Leaving the final page forward
 * ends the flow; the settings file and the records are written each time the
 * final page is reached. */
enum InstallState { STATE_SOUND, STATE_GROUP, STATE_FINAL, STATE_DONE };

static InstallState NextInstallState(InstallState state)
{
    switch (state) {
    case STATE_SOUND:
        SoundTest();
        return STATE_GROUP;
    case STATE_GROUP:
        return ProgramGroupPage() == IDC_BACK ? STATE_SOUND : STATE_FINAL;
    case STATE_FINAL:
        WriteSettings();
        WriteInstallRecords();
        return FinalPage() == IDC_BACK ? STATE_GROUP : STATE_DONE;
    case STATE_DONE:
        break;
    }
    return STATE_DONE;
}

int RunInstallPages(void)
{
    InstallState state = STATE_SOUND;
    while (state != STATE_DONE)
        state = NextInstallState(state);
    return 1;
}

/* This build installs the DOS variant only: the copy reads FILELIST.WD. */
static void ChooseDosVariant(void)
{
    dosVariant = 1;
    lstrcpynA(activeListPath, dosListPath, sizeof(activeListPath));
}

static int CopyGameFiles(void)
{
    SetWaitCursor();
    int copied = CopyListedFiles();
    SetArrowCursor();
    return copied;
}

int RunInstallFlow(void)
{
    if (!ReadSettings(0) || !CheckProcessor() || !CheckMemory())
        return 0;
    ChooseDosVariant();
    if (!LocationPage() || !CopyGameFiles())
        return 0;
    RunInstallPages();
    DestroyWindow(mainWindow);
    return 1;
}
