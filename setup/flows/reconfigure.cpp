/* The reconfigure flow: find the installed game, test the sound (and for the
 * Windows variant the CD music and DirectX) again, rewrite its QVX.INF. The
 * registry records stay as the installation wrote them. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/windows/directx.h"
#include "setup/resources/resource.h"
#include "setup/windows/integration.h"
#include "settings/settings.h"
#include "settings/texts.h"

/* By the marker file named in the CD's QVX.INF: the registry's directory
 * first, then the fixed and network drives, with the status line showing
 * where it looks. */
static int LocateInstallation(void)
{
    SetWaitCursor();
    int found = FindInstalledGame(gameSettings.InstalledFile);
    if (!found)
        SetArrowCursor();
    return found;
}

/* Not found: offer a fresh installation, which starts from the next message. */
int OfferReinstall(void)
{
    if (SetupMessage(Text(TXT_NOT_LOCATED), MB_ICONEXCLAMATION | MB_YESNO) != IDYES)
        return 0;
    PostMessageA(mainWindow, WM_RUN_INSTALL, 0, 0);
    return 1;
}

/* The DOS variant is started through ZEPH.BAT; only it has one. */
static void DecideVariant(void)
{
    char path[260];
    if (CopyText(path, sizeof(path), installDirectory) && AppendText(path, sizeof(path), "ZEPH.BAT") &&
        FileExists(path))
        dosVariant = 1;
}

static int ReconfiguredPage(void)
{
    SetPage(1, 0, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_FINISH), gameTitle, Text(TXT_RECONFIGURE_DONE),
            IDC_CANCEL, IDB_FINISHED);
    return ShowPage();
}

/* The pages, back and forth. The DOS variant has no CD music test and no
 * DirectX page: its road is the sound test and the final page. */
enum ReconfigureState { STATE_SOUND, STATE_MUSIC, STATE_DIRECTX, STATE_FINAL, STATE_DONE };

static ReconfigureState AfterDirectXPage(void)
{
    int answer = DirectXPage();
    if (answer == IDC_BACK)
        return STATE_MUSIC;
    return VerifyDirectX() == -1 ? STATE_DIRECTX : STATE_FINAL;
}

static ReconfigureState NextReconfigureState(ReconfigureState state)
{
    switch (state) {
    case STATE_SOUND:
        SoundTest();
        return dosVariant ? STATE_FINAL : STATE_MUSIC;
    case STATE_MUSIC:
        return CdMusicTest() == IDC_BACK ? STATE_SOUND : STATE_DIRECTX;
    case STATE_DIRECTX:
        return AfterDirectXPage();
    case STATE_FINAL:
        WriteSettings();
        if (ReconfiguredPage() != IDC_BACK)
            return STATE_DONE;
        return dosVariant ? STATE_SOUND : STATE_DIRECTX;
    case STATE_DONE:
        break;
    }
    return STATE_DONE;
}

int RunReconfigurePages(void)
{
    ReconfigureState state = STATE_SOUND;
    while (state != STATE_DONE)
        state = NextReconfigureState(state);
    return 1;
}

/* The CD's settings text is dropped once the marker's name is known, so that
 * the installed QVX.INF is read in its place. */
int RunReconfigureFlow(void)
{
    if (!ReadSettings(0))
        return 0;
    DiscardSettingsText();
    if (!LocateInstallation())
        return OfferReinstall();
    int read = ReadSettings(1);
    SetArrowCursor();
    if (!read)
        return 0;
    DecideVariant();
    if (!CheckProcessor() || !CheckMemory())
        return 0;
    RunReconfigurePages();
    DestroyWindow(mainWindow);
    return 1;
}
