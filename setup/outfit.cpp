/* OUTFIT.EXE: the start-up sequence, the message loop, the restart question,
 * and the switch that runs a flow for each message posted to the main window.
 * This file sits above the flows so that the shell need not know them. */
#include "setup/shell/shell.h"
#include "setup/flows/flows.h"
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand)
{
    appInstance = instance;
    InitMemoryBlocks();
    programCaption = setupCaption;
    if (!CheckWindowsVersion())
        return 0;

    lstrcpynA(commandLine, GetCommandLineA(), sizeof(commandLine));
    char *arguments = SkipProgramPath(commandLine);
    ReadCommandLine(arguments);
    if (RunMode == RUN_NORMAL) {
        /* Started from the CD: run from a copy in the temporary directory so
         * that no file of the CD stays open while the game is copied. */
        if (!IsRelaunchedCopy(arguments)) {
            RelaunchFromTemp();
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
    return (int)exitCode;
}
