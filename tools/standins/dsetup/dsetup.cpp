/* DSETUP.DLL stand-in: DirectXSetupA installs nothing; it appends what it was
 * called with to a log and answers what the test asks for. See README.md. */
#include <windows.h>
#include "tools/standins/standinlog.h"

enum { ANSWERS_CAPACITY = 256 };

static void AppendLog(const char *line)
{
    AppendStandInLog("TT_DSETUP_LOG", "dsetup.log", line);
}

/* TT_DSETUP_ANSWERS: integers separated by commas, one per call; each call
 * takes the first and leaves the rest in the variable, the last one stays for
 * every later call. Unset or empty: 0. */
static int NextAnswer(void)
{
    char answers[ANSWERS_CAPACITY];
    DWORD length = GetEnvironmentVariableA("TT_DSETUP_ANSWERS", answers, sizeof(answers));
    if (length == 0 || length >= sizeof(answers))
        return 0;
    const char *p = answers;
    while (*p == ' ')
        p++;
    int negative = *p == '-';
    if (negative || *p == '+')
        p++;
    int value = 0;
    while (*p >= '0' && *p <= '9')
        value = value * 10 + (*p++ - '0');
    while (*p && *p != ',')
        p++;
    if (*p == ',' && p[1])
        SetEnvironmentVariableA("TT_DSETUP_ANSWERS", p + 1);
    return negative ? -value : value;
}

extern "C" __declspec(dllexport) int WINAPI DirectXSetupA(HWND owner, LPSTR sourcePath, DWORD flags)
{
    char className[64] = "", caption[128] = "";
    if (owner) {
        GetClassNameA(owner, className, sizeof(className));
        GetWindowTextA(owner, caption, sizeof(caption));
    }
    int answer = NextAnswer();
    char line[700];
    wsprintfA(line, "DirectXSetupA owner=%s class=\"%s\" caption=\"%s\" path=\"%.260s\" flags=0x%08lX answer=%d",
              owner ? (IsWindow(owner) ? "window" : "invalid") : "none", className, caption,
              sourcePath ? sourcePath : "(null)", flags, answer);
    AppendLog(line);
    return answer;
}
