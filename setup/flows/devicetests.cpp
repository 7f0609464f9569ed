/* The sound test pages: a sample through the sound card for the Windows
 * variant, the DOS configuration program SETSOUND.EXE for the DOS variant. */
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "setup/engine/engine.h"
#include "setup/resources/resource.h"
#include "settings/settings.h"
#include <mmsystem.h>
#include <string.h>

static const char soundTitle[] = "Tarjeta de Sonido";

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
        page.text = "Haz clic sobre 'Siguiente' para continuar.";
        started++;
    }
}

static int AskYesNo(const char *text)
{
    SetPage(1, 1, 0, "No", "Sí", NULL, soundTitle, text, IDC_NEXT, IDB_SOUNDCARD);
    return ShowPage();
}

static int WindowsSoundTest(void)
{
    char sample[260];
    if (waveOutGetNumDevs() == 0) {
        SetupMessage("No hay ningún dispositivo de sonido conectado al ordenador.", MB_ICONEXCLAMATION);
        return 0;
    }
    wsprintfA(sample, "%.245ssample.wav", cdDataDirectory);
    if (!PlaySoundA(sample, NULL, SND_FILENAME | SND_ASYNC)) {
        SetupMessage("No se podido tocar la muestra de sonido.\n\n"
                     "Posiblemente no se haya instalado el programa de la tarjeta de sonido. "
                     "Utiliza la opción \"Añadir Software Nuevo\" del Panel de Control para remediar esta situación.",
                     MB_ICONEXCLAMATION);
        return 1;
    }
    if (AskYesNo("¿Oyes la música de la tarjeta de sonido?") == IDC_BACK &&
        AskYesNo("Para poder oír la música debes conectar tus auriculares o altavoces directamente a una "
                 "tarjeta de sonido. Además Windows debe saber que hay una tarjeta de sonido.\n\n"
                 "¿Quieres ir al Panel de Control para configurar los parámetros audio (tarjeta de sonido) "
                 "de tu ordenador?") == IDC_NEXT) {
        WinExec("rundll32.exe shell32.dll,Control_RunDLL mmsys.cpl", SW_SHOWNORMAL);
        Sleep(1000);
    }
    PlaySoundA(NULL, NULL, SND_PURGE);
    return 1;
}

int SoundTest(void)
{
    SetPage(0, 1, 1, "< Atrás", "Siguiente >", "Pasar", soundTitle,
            dosVariant ? "Para poder oír los sonidos de Tinfoil Tango, necesitarás conectar tus "
                         "auriculares/altavoces a tu tarjeta de sonido. También deberás configurar tu "
                         "tarjeta de sonido con un programa de configuración DOS.\n\n"
                         "Haz clic sobre 'Siguiente' para llamar a este programa."
                       : "Para poder oír la música debes conectar tus auriculares o altavoces a una "
                         "tarjeta de sonido.\n\n¿Quieres oír una muestra de música para probar la configuración?",
            IDC_NEXT, IDB_SOUNDCARD);
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
