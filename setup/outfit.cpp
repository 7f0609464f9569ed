/* OUTFIT.EXE: the start-up sequence, the message loop, the restart question,
 * and the switch that runs a flow for each message posted to the main window.
 * This file sits above the flows so that the shell need not know them. */
#include "setup/shell/shell.h"
#include "setup/flows/flows.h"
#include "setup/flows/silent.h"
#include "setup/engine/engine.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include "settings/texts.h"

/* The command line is upper-cased while it is read; work on a copy rather
 * than on the process's own. */
static char commandLine[1024];

static int RunPostedFlow(UINT message)
{
    switch (message) {
    case WM_RUN_INSTALL:
        return RunInstallFlow();
    case WM_RUN_RECONFIGURE:
        return RunReconfigureFlow();
    case WM_RUN_UNINSTALL:
        return RunUninstallFlow();
    }
    return 1;
}

static void ShowSystemInformationAlone(void)
{
    ReadInstallRecord();
    ShowSystemInformation();
    DestroyWindow(mainWindow);
}

static WPARAM RunMessageLoop(void)
{
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (mainWindow && IsDialogMessageA(mainWindow, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return message.wParam;
}

static void OfferRestart(void)
{
    if (ShowMessageBox(NULL, Text(TXT_RESTART_QUESTION), setupCaption, MB_ICONQUESTION | MB_YESNO) == IDYES)
        ExitWindowsEx(EWX_REBOOT, 0);
}

/* ---- Unattended runs (SILENT) ---------------------------------------------------- */

static int EndUnattended(int status)
{
    LogNumber("exit status: ", status, "");
    LogText("  ", RunStatusText(status));
    CloseRunLog();
    return status;
}

/* The first start from the CD copies Outfitter to the temporary directory as
 * always and starts the copy with the same words; it waits for the copy, so
 * that whoever started it gets the copy's status. */
static int RelaunchUnattended(void)
{
    char words[700];
    DWORD status = END_FAILED;
    if (!ComposeUnattendedWords(words, sizeof(words))) {
        LogText("the words of the command line are too long to pass on", NULL);
        return EndUnattended(END_REFUSED_PATH);
    }
    int started = RelaunchFromTempWith(words, &status);
    if (logPath[0])
        OpenRunLog(logPath, 1);
    if (!started) {
        LogText("the copy in the temporary directory could not be made or started", NULL);
        status = END_FAILED;
    } else if (status > END_CANCELLED) {
        /* A copy that crashed ends with its exception code, which a script
         * would read as one of the statuses. */
        char code[80];
        wsprintfA(code, "the copy in the temporary directory ended with the code 0x%08lX", (unsigned long)status);
        LogText(code, NULL);
        status = END_FAILED;
    }
    return EndUnattended((int)status);
}

static int RunUnattended(char *arguments)
{
    if (RunMode == RUN_NORMAL && !IsRelaunchedCopy(arguments))
        return RelaunchUnattended();
    int status = END_DONE;
    if (RunMode == RUN_NORMAL) {
        /* The temporary copies' clean-up is the relaunch's own affair: a
         * failure of it is logged and decides nothing about the game. */
        int noted = runStatus;
        if (!ScheduleTempCleanup())
            LogText("WININIT.INI was not rewritten: the copies in the temporary directory stay there", NULL);
        runStatus = noted;
        status = RunSilentInstall();
    } else if (RunMode == RUN_UNINSTALL) {
        status = RunSilentUninstall();
    } else {
        LogText("SYSTEMINFO only shows a page: nothing to do without one", NULL);
    }
    DiscardSettingsText();
    FreeAllMemoryBlocks();
    return EndUnattended(status);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand)
{
    appInstance = instance;
    InitMemoryBlocks();
    programCaption = setupCaption;
    if (!CheckWindowsVersion())
        return 0;

    int lineCut = lstrlenA(GetCommandLineA()) >= (int)sizeof(commandLine);
    lstrcpynA(commandLine, GetCommandLineA(), sizeof(commandLine));
    int unattendedWords;
    char *arguments = ReadArgumentText(commandLine, &unattendedWords);
    ReadCommandLine(arguments);
    if (silentRun) {
        /* Nobody answers the system's own boxes either: no disk in the
         * drive, an unreadable CD, a crash. The copy in the temporary
         * directory inherits the mode. */
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    }
    if (unattendedWords) {
        /* A cut line may have cut the log's path: no log is better than
         * one written elsewhere. */
        if (logPathTooLong || lineCut)
            return END_FAILED;
        /* The copy in the temporary directory goes on with the first
         * instance's log. */
        if (logPath[0] && !OpenRunLog(logPath, IsRelaunchedCopy(arguments)))
            return END_WRITE_FAILED;
        LogText("command line: ", GetCommandLineA());
        if (directoryTooLong) {
            LogText("DIR: is longer than the location page takes (258 characters)", NULL);
            return EndUnattended(END_REFUSED_PATH);
        }
    }
    if (silentRun) {
        unattendedRun = 1;
        /* Started by hand (wine D:\DATA1\...\OUTFIT.EXE SILENT) the current
         * drive is anybody's: the CD is where the program is. */
        char drive = ProgramDrive();
        if (drive && RunMode == RUN_NORMAL && !IsRelaunchedCopy(arguments))
            SetSourceDrive(drive);
        else if (drive && RunMode == RUN_UNINSTALL && !uninstallDrive)
            SetSourceDrive(drive);
        return RunUnattended(arguments);
    }
    if (RunMode == RUN_NORMAL) {
        /* Started from the CD: run from a copy in the temporary directory so
         * that no file of the CD stays open while the game is copied. */
        if (!IsRelaunchedCopy(arguments)) {
            char words[700];
            if (!unattendedWords)
                RelaunchFromTemp();
            else if (ComposeUnattendedWords(words, sizeof(words)))
                RelaunchFromTempWith(words, NULL);
            return 0;
        }
        ScheduleTempCleanup();
    }

    if (!previousInstance && !RegisterMainWindowClass())
        return 0;
    SetFlowHandler(RunPostedFlow);
    if (!CreateMainWindow(showCommand))
        return 0;
    if (RunMode == RUN_SYSTEMINFO)
        ShowSystemInformationAlone();
    else
        AskFirstQuestion();

    WPARAM exitCode = RunMessageLoop();
    if (rebootNeeded)
        OfferRestart();
    LogNumber("exit status: ", (long)exitCode, "");
    CloseRunLog();
    return (int)exitCode;
}
