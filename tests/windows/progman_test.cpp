/* The program group's DDE commands, received by a recording "Progman" server
 * of our own on a second thread of the test.
 *
 * Wine's desktop process (explorer) answers "Progman" too, once it runs. A
 * DDE client takes the first server that acknowledges its broadcast
 * initiate, and the broadcast visits top-level windows from the top of the
 * Z order, where a new window goes. So the recorder waits until explorer's
 * server answers (or gives up on it after a while) and only then registers
 * its own, whose window is then the newer one and is asked first. Every case
 * checks the recorded commands themselves, so a conversation that went to
 * explorer instead would show as a failure, not pass unseen. */
#include "tests/support/testsupport.h"
#include "setup/windows/integration.h"
#include "setup/engine/engine.h"
#include "setup/flows/flows.h"
#include <ddeml.h>
#include <gtest/gtest.h>
#include <stdio.h>

struct ReceivedCommand {
    std::string text;
    DWORD tick;
};

static CRITICAL_SECTION receivedLock;
static std::vector<ReceivedCommand> received;
static HSZ progmanName;
static HANDLE serverReady;
static DWORD serverThreadId;

static HDDEDATA CALLBACK RecorderCallback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item,
                                          HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2)
{
    if (type == XTYP_CONNECT)
        return (HDDEDATA)(ULONG_PTR)(DdeCmpStringHandles(topic, progmanName) == 0);
    if (type == XTYP_EXECUTE) {
        DWORD size = DdeGetData(data, NULL, 0, 0);
        std::string text(size, '\0');
        if (size)
            DdeGetData(data, (BYTE *)&text[0], size, 0);
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        EnterCriticalSection(&receivedLock);
        received.push_back(ReceivedCommand{ text, GetTickCount() });
        LeaveCriticalSection(&receivedLock);
        return (HDDEDATA)DDE_FACK;
    }
    return NULL;
}

static HDDEDATA CALLBACK ProbeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

/* Whether some "Progman" server answers now. */
static bool ProgmanAnswers(void)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, ProbeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return false;
    HSZ name = DdeCreateStringHandleA(instance, "Progman", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, name, name, NULL);
    if (conversation)
        DdeDisconnect(conversation);
    DdeFreeStringHandle(instance, name);
    DdeUninitialize(instance);
    return conversation != NULL;
}

static DWORD WINAPI RecorderThread(void *)
{
    DWORD instance = 0;
    DdeInitializeA(&instance, RecorderCallback,
                   APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS | CBF_SKIP_ALLNOTIFICATIONS,
                   0);
    progmanName = DdeCreateStringHandleA(instance, "Progman", CP_WINANSI);
    DdeNameService(instance, progmanName, NULL, DNS_REGISTER);
    SetEvent(serverReady);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DdeNameService(instance, progmanName, NULL, DNS_UNREGISTER);
    DdeFreeStringHandle(instance, progmanName);
    DdeUninitialize(instance);
    return 0;
}

struct ProgmanFixture : ::testing::Test {
    static HANDLE thread;

    static void SetUpTestSuite()
    {
        InitializeCriticalSection(&receivedLock);
        GetDesktopWindow();   /* starts Wine's desktop process if it is not running */
        bool shellAnswers = false;
        for (int i = 0; i < 30 && !(shellAnswers = ProgmanAnswers()); i++)
            Sleep(100);
        printf("Wine's own Progman server %s\n", shellAnswers ? "answers; the recorder goes above it" : "is absent");
        serverReady = CreateEventA(NULL, TRUE, FALSE, NULL);
        thread = CreateThread(NULL, 0, RecorderThread, NULL, 0, &serverThreadId);
        WaitForSingleObject(serverReady, 10000);
    }
    static void TearDownTestSuite()
    {
        PostThreadMessageA(serverThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(serverReady);
    }
    void SetUp() override
    {
        EnterCriticalSection(&receivedLock);
        received.clear();
        LeaveCriticalSection(&receivedLock);
        CopyText(installDirectory, sizeof(installDirectory), "C:\\ZEPH\\");
        SetSourceDrive('D');
    }
    void TearDown() override
    {
        installDirectory[0] = '\0';
        dosVariant = 0;
    }

    /* The commands received once count of them have arrived (or after 5 s). */
    static std::vector<ReceivedCommand> Received(size_t count)
    {
        std::vector<ReceivedCommand> copy;
        for (int i = 0; i < 50; i++) {
            EnterCriticalSection(&receivedLock);
            copy = received;
            LeaveCriticalSection(&receivedLock);
            if (copy.size() >= count)
                break;
            Sleep(100);
        }
        return copy;
    }
    static std::vector<std::string> Texts(const std::vector<ReceivedCommand> &commands)
    {
        std::vector<std::string> texts;
        for (const ReceivedCommand &command : commands)
            texts.push_back(command.text);
        return texts;
    }
};
HANDLE ProgmanFixture::thread;

TEST_F(ProgmanFixture, TheGroupOfADosInstallationTakesTwelveCommands)
{
    dosVariant = 1;
    EXPECT_EQ(CreateProgramGroup(), 1);
    std::vector<ReceivedCommand> commands = Received(12);
    EXPECT_EQ(Texts(commands), (std::vector<std::string>{
        "[CreateGroup(Tinfoil Tango)]",
        "[ShowGroup(Tinfoil Tango,4)]",
        "[DeleteItem(Tinfoil Tango)]",
        "[AddItem(C:\\ZEPH\\ZEPH.BAT,Tinfoil Tango,C:\\ZEPH\\ICON1.ICO)]",
        "[DeleteItem(Configuración)]",
        "[AddItem(D:\\DATA1\\SPANISH\\OUTFIT.EXE,Configuración,)]",
        "[DeleteItem(Información del Sistema)]",
        "[AddItem(D:\\DATA1\\SPANISH\\OUTFIT.EXE SYSTEMINFO,Información del Sistema,C:\\ZEPH\\ICON4.ICO)]",
        "[DeleteItem(Desinstalar)]",
        "[AddItem(D:\\DATA1\\SPANISH\\OUTFIT.EXE UNINSTALL,Desinstalar,C:\\ZEPH\\ICON3.ICO)]",
        "[DeleteItem(Última Información)]",
        "[AddItem(C:\\ZEPH\\README.TXT,Última Información,C:\\ZEPH\\ICON5.ICO)]",
    }));
    /* The program manager gets its 250 ms for every command. */
    for (size_t i = 1; i < commands.size(); i++)
        EXPECT_GE(commands[i].tick - commands[i - 1].tick, 200u) << "before command " << i;
}

TEST_F(ProgmanFixture, AWindowsInstallationStartsTheGameWithoutExtension)
{
    dosVariant = 0;
    EXPECT_EQ(CreateProgramGroup(), 1);
    std::vector<std::string> texts = Texts(Received(12));
    ASSERT_EQ(texts.size(), 12u);
    EXPECT_EQ(texts[3], "[AddItem(C:\\ZEPH\\ZEPHTEST,Tinfoil Tango,C:\\ZEPH\\ICON1.ICO)]");
}

TEST_F(ProgmanFixture, UninstallingDeletesTheGroupWithOneCommand)
{
    EXPECT_EQ(DeleteProgramGroup(), 1);
    EXPECT_EQ(Texts(Received(1)), (std::vector<std::string>{ "[DeleteGroup(Tinfoil Tango)]" }));
}

TEST_F(ProgmanFixture, AnItemTooLongForItsCommandIsNotSent)
{
    std::string deep = "C:\\" + std::string(200, 'D') + "\\";
    CopyText(installDirectory, sizeof(installDirectory), deep.c_str());
    ASSERT_EQ(OpenProgramManager(), 1);
    EXPECT_EQ(AddGroupItem("README.TXT", "Última Información", "ICON5.ICO", 1), 0);
    EXPECT_EQ(AddGroupItem("X.EXE", "Corto", NULL, 0), 1);
    CloseProgramManager();
    EXPECT_EQ(Texts(Received(2)), (std::vector<std::string>{ "[DeleteItem(Corto)]", "[AddItem(X.EXE,Corto,)]" }));
}

