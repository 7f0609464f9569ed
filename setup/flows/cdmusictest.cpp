/* The CD music test: plays a track of the game CD through the CD-ROM drive
 * while asking whether the music can be heard. Windows variant only. */
#include "setup/flows/flows.h"
#include "setup/devices/devices.h"
#include "setup/shell/shell.h"
#include "settings/settings.h"
#include "settings/texts.h"

enum { DEFAULT_TEST_TRACK = 3, MAX_TRACK_DIGITS = 11 };

static const int cdPicture = 108;

/* The digits of the value, in order and whatever stands between them, make n;
 * the test plays track n + 1. Only the first eleven digits count: a longer
 * run of digits is no track number, and the rest are ignored rather than
 * carried past the end of the number. The result is the one byte that the CD
 * audio control takes. */
int TrackFromInterim(const char *value)
{
    unsigned long long number = 0;
    int digits = 0;
    for (const char *p = value; *p && digits < MAX_TRACK_DIGITS; p++) {
        if (*p >= '0' && *p <= '9') {
            number = number * 10 + (unsigned)(*p - '0');
            digits++;
        }
    }
    if (digits == 0)
        return DEFAULT_TEST_TRACK;
    return (int)((number + 1) & 0xFF);
}

int CdTestTrack(void)
{
    char value[260];
    if (!GetSettingText("INTERIM", value, sizeof(value)))
        return DEFAULT_TEST_TRACK;
    return TrackFromInterim(value);
}

static int ShowYesNoPage(const char *text)
{
    SetPage(1, 1, 0, Text(TXT_NO), Text(TXT_YES), NULL, Text(TXT_CDMUSIC_TITLE), text, IDC_NEXT, cdPicture);
    return ShowPage();
}

/* Asked while the track plays: 1 when the user wants to hear it again. */
static int AskToHearAgain(void)
{
    if (ShowYesNoPage(Text(TXT_CDMUSIC_HEAR)) != IDC_BACK)
        return 0;
    return ShowYesNoPage(Text(TXT_CDMUSIC_CABLE)) == IDC_NEXT;
}

/* One round of playing: 1 when the user wants another. A device left open by
 * a failed step is closed again, so the next round or the game finds it free. */
static int PlayTestTrack(int track)
{
    if (!OpenCdAudio()) {
        if (cdDeviceId)
            CloseCdAudio();
        SetupMessage(Text(TXT_CD_NO_ACCESS), MB_ICONEXCLAMATION);
        return 0;
    }
    if (!PlayCdTrack(track)) {
        CloseCdAudio();
        SetupMessage(Text(TXT_CD_CANNOT_PLAY), MB_ICONEXCLAMATION);
        return 0;
    }
    int again = AskToHearAgain();
    StopCdAudio();
    CloseCdAudio();
    return again;
}

int CdMusicTest(void)
{
    int track = CdTestTrack();
    SetPage(1, 1, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_SKIP), Text(TXT_CDMUSIC_TITLE), Text(TXT_CDMUSIC_INTRO), IDC_NEXT, cdPicture);
    int answer = ShowPage();
    if (answer == IDC_BACK)
        return IDC_BACK;
    if (answer != IDC_NEXT)
        return 1;
    while (PlayTestTrack(track))
        ;
    return 1;
}
