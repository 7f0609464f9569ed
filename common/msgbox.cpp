/* The one door for message boxes. */
#include "common/general.h"

static MessageBoxHook messageBoxHook;

int ShowMessageBox(HWND owner, const char *text, const char *caption, UINT style)
{
    if (messageBoxHook)
        return messageBoxHook(owner, text, caption, style);
    if (unattendedRun)
        return UnattendedAnswer(text, caption, style);
    LogBox(text, caption);
    int answer = MessageBoxA(owner, text, caption, style);
    LogNumber("  answered: ", answer, "");
    return answer;
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = messageBoxHook;
    messageBoxHook = hook;
    return previous;
}
