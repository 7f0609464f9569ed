/* The program group, made by the shell's program manager over DDE: service
 * and topic "Progman", execute commands in its bracketed language. The
 * transactions are asynchronous; a fixed pause after each command gives the
 * program manager time to carry it out before the next one arrives. */
#include "setup/windows/integration.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include "setup/shell/shell.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include <ddeml.h>
#include <string.h>

enum { COMMAND_PAUSE_MS = 250, ITEM_COMMAND_SIZE = 360, GROUP_COMMAND_SIZE = 260 };

/* The conversation of this thread, reached through a TLS slot while it is
 * open. A conversation handle is a pointer: it keeps its full width here. */
struct DdeState {
    HCONV conversation;
    DWORD instance;
};

static DWORD stateSlot = TLS_OUT_OF_INDEXES;

static DdeState *CurrentState(void)
{
    if (stateSlot == TLS_OUT_OF_INDEXES)
        return NULL;
    return (DdeState *)TlsGetValue(stateSlot);
}

/* The client asks for no notifications and handles none. */
static HDDEDATA CALLBACK ClientCallback(UINT type, UINT format, HCONV conversation, HSZ topic,
                                        HSZ item, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2)
{
    return NULL;
}

int OpenProgramManager(void)
{
    stateSlot = TlsAlloc();
    if (stateSlot == TLS_OUT_OF_INDEXES)
        return 0;
    DdeState *state = (DdeState *)AllocateMemory(sizeof(DdeState), 1);
    if (!state)
        return 0;
    TlsSetValue(stateSlot, state);
    if (!state->instance &&
        DdeInitializeA(&state->instance, ClientCallback, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0) !=
            DMLERR_NO_ERROR) {
        state->instance = 0;
        return 0;
    }
    if (!state->conversation) {
        HSZ service = DdeCreateStringHandleA(state->instance, "Progman", 0);
        state->conversation = DdeConnect(state->instance, service, service, NULL);
        if (service)
            DdeFreeStringHandle(state->instance, service);
    }
    return state->conversation != NULL;
}

/* Also tidies up after a connection that never came about, so that a failed
 * attempt leaves neither the DDE instance nor the slot behind. */
int CloseProgramManager(void)
{
    DdeState *state = CurrentState();
    if (state) {
        if (state->instance) {
            if (state->conversation)
                DdeDisconnect(state->conversation);
            state->conversation = NULL;
            DdeUninitialize(state->instance);
            state->instance = 0;
        }
        FreeMemory(state);
    }
    if (stateSlot != TLS_OUT_OF_INDEXES)
        TlsFree(stateSlot);
    stateSlot = TLS_OUT_OF_INDEXES;
    return 1;
}

int SendProgramManagerCommand(const char *command)
{
    DdeState *state = CurrentState();
    if (!state || !state->instance || !state->conversation)
        return 0;
    LogText("program group: ", command);
    DWORD transaction = 0;
    return DdeClientTransaction((BYTE *)command, (DWORD)strlen(command) + 1, state->conversation, NULL, 0,
                                XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction) != 0;
}

static int SendAndPause(const char *command)
{
    if (!SendProgramManagerCommand(command))
        return 0;
    Sleep(COMMAND_PAUSE_MS);
    return 1;
}

/* "[Verb(" argument ")]"; 0 when it would not fit. */
static int ComposeCommand(char *command, size_t size, const char *verb, const char *argument,
                          const char *tail)
{
    return CopyText(command, size, "[") && AppendText(command, size, verb) && AppendText(command, size, "(") &&
           AppendText(command, size, argument) && AppendText(command, size, tail) &&
           AppendText(command, size, ")]");
}

static const char *ItemPrefix(int prefixKind)
{
    switch (prefixKind) {
    case 1: return installDirectory;
    case 2: return cdDataDirectory;
    case 3: return cdRoot;
    default: return "";
    }
}

/* A command cut short by its buffer would be carried out as something else:
 * an item that does not fit is not sent at all. */
int AddGroupItem(const char *text, const char *name, const char *icon, int prefixKind)
{
    char addCommand[ITEM_COMMAND_SIZE], deleteCommand[ITEM_COMMAND_SIZE];
    int fits = CopyText(addCommand, sizeof(addCommand), "[AddItem(") &&
               AppendText(addCommand, sizeof(addCommand), ItemPrefix(prefixKind)) &&
               AppendText(addCommand, sizeof(addCommand), text) &&
               AppendText(addCommand, sizeof(addCommand), ",") &&
               AppendText(addCommand, sizeof(addCommand), name) &&
               AppendText(addCommand, sizeof(addCommand), ",");
    if (fits && icon)
        fits = AppendText(addCommand, sizeof(addCommand), installDirectory) &&
               AppendText(addCommand, sizeof(addCommand), icon);
    fits = fits && AppendText(addCommand, sizeof(addCommand), ")]") &&
           ComposeCommand(deleteCommand, sizeof(deleteCommand), "DeleteItem", name, "");
    if (!fits)
        return 0;
    return SendAndPause(deleteCommand) && SendAndPause(addCommand);
}

static int SendGroupCommands(void)
{
    char command[GROUP_COMMAND_SIZE], outfitter[260], systemInfo[260], uninstall[260];
    CopyText(outfitter, sizeof(outfitter), LanguageDirectory());
    AppendText(outfitter, sizeof(outfitter), "OUTFIT.EXE");
    CopyText(systemInfo, sizeof(systemInfo), outfitter);
    AppendText(systemInfo, sizeof(systemInfo), " SYSTEMINFO");
    CopyText(uninstall, sizeof(uninstall), outfitter);
    AppendText(uninstall, sizeof(uninstall), " UNINSTALL");

    return ComposeCommand(command, sizeof(command), "CreateGroup", gameTitle, "") && SendAndPause(command) &&
           ComposeCommand(command, sizeof(command), "ShowGroup", gameTitle, ",4") && SendAndPause(command) &&
           AddGroupItem(dosVariant ? "ZEPH.BAT" : "ZEPHTEST", gameTitle, "ICON1.ICO", 1) &&
           AddGroupItem(outfitter, Text(TXT_ITEM_SETUP), NULL, 2) &&
           AddGroupItem(systemInfo, Text(TXT_SYSTEM_INFORMATION), "ICON4.ICO", 2) &&
           AddGroupItem(uninstall, Text(TXT_ITEM_UNINSTALL), "ICON3.ICO", 2) &&
           AddGroupItem("README.TXT", Text(TXT_ITEM_README), "ICON5.ICO", 1);
}

int CreateProgramGroup(void)
{
    int result = OpenProgramManager() && SendGroupCommands();
    CloseProgramManager();
    return result;
}

int ProgramGroupPage(void)
{
    SetPage(1, 1, 1, Text(TXT_BACK), Text(TXT_NEXT), Text(TXT_SKIP), Text(TXT_GROUP_TITLE), Text(TXT_GROUP_TEXT),
            IDC_NEXT, 111);
    int choice = ShowPage();
    if (choice == IDC_BACK)
        return IDC_BACK;
    if (choice != IDC_NEXT)
        return 1;
    return CreateProgramGroup();
}

int DeleteProgramGroup(void)
{
    char command[GROUP_COMMAND_SIZE];
    int result = OpenProgramManager() && ComposeCommand(command, sizeof(command), "DeleteGroup", gameTitle, "") &&
                 SendAndPause(command);
    CloseProgramManager();
    return result;
}
