/* The DirectX page against the DSETUP.DLL stand-in, and the presence check. */
#include "tests/devices/pagedriver.h"
#include "tests/devices/standins.h"
#include "setup/windows/directx.h"
#include "setup/engine/engine.h"
#include "setup/shell/shell.h"
#include <gtest/gtest.h>

typedef std::vector<std::string> Lines;

static const char retryQuestion[] = "No se ha instalado correctamente DirectX 3 ¿Repetir instalación?";
static const char verifyQuestion[] =
    "No se ha instalado correctamente DirectX 3.\n\n¿Quieres volver a intentar la instalación?";

/* A stand-in for Outfitter's main window, so that the owner of the DirectX
 * setup and of the boxes can be told apart from no window. */
class DirectX : public ::testing::Test {
protected:
    HWND owner;
    void SetUp() override
    {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof(windowClass));
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "TTOwnerWindow";
        RegisterClassA(&windowClass);
        owner = CreateWindowA("TTOwnerWindow", "Configuración", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                              GetModuleHandleA(NULL), NULL);
        mainWindow = owner;
        appInstance = GetModuleHandleA(NULL);
        lowColour = 0;
        rebootNeeded = 0;
        SetSourceDrive('E');
    }
    void TearDown() override
    {
        mainWindow = NULL;
        DestroyWindow(owner);
        rebootNeeded = 0;
        SetSourceDrive('D');
    }
    std::string CallLine(int answer) const
    {
        char line[400];
        wsprintfA(line, "DirectXSetupA owner=window class=\"TTOwnerWindow\" caption=\"Configuración\" "
                        "path=\"%s\" flags=0x10000A3F answer=%d", directXPath, answer);
        return line;
    }
};

TEST_F(DirectX, SuccessWithRestartAsksNothing)
{
    DirectXSetupScope setup("1");
    BoxRecorder boxes;
    InstallDirectX();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(rebootNeeded, 1);
    EXPECT_EQ(setup.Calls(), (Lines{ CallLine(1) }));
    EXPECT_EQ(directXPath[0], 'E');   /* the CD path follows the source drive */
}

TEST_F(DirectX, PlainSuccessAlsoSetsTheRestart)
{
    DirectXSetupScope setup("0");
    BoxRecorder boxes;
    InstallDirectX();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(rebootNeeded, 1);
    EXPECT_EQ(setup.Calls().size(), 1u);
}

TEST_F(DirectX, FailureAsksAndYesRepeats)
{
    DirectXSetupScope setup("-1,2,1");
    BoxRecorder boxes;
    boxes.Answer(IDYES);
    boxes.Answer(IDYES);
    InstallDirectX();
    EXPECT_EQ(setup.Calls(), (Lines{ CallLine(-1), CallLine(2), CallLine(1) }));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, retryQuestion);
    EXPECT_EQ(boxes.boxes[0].caption, "Configuración");
    EXPECT_EQ(boxes.boxes[0].style, (UINT)(MB_ICONEXCLAMATION | MB_YESNO));
    EXPECT_EQ(boxes.boxes[0].owner, owner);
    EXPECT_EQ(rebootNeeded, 1);
}

TEST_F(DirectX, FailureAndNoGoesOnWithTheRestartSet)
{
    DirectXSetupScope setup("-1");
    BoxRecorder boxes;
    boxes.Answer(IDNO);
    InstallDirectX();
    EXPECT_EQ(setup.Calls().size(), 1u);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(rebootNeeded, 1);
}

static const char pageText[] =
    "Tinfoil Tango necesita que ya esté instalado en tu ordenador DirectX 3 de Microsoft(R).\n\n"
    "¿Quieres instalar este software adicional ahora? Haz clic sobre \"Próximo\" para instalar "
    "o \"Pasar\" para ir a la siguiente etapa.\n\n"
    "Recomendamos que instales el software y que sólo pases la instalación si ya has "
    "instalado una versión reciente.";

TEST_F(DirectX, PageShowsItsTextsAndInstallsOnNext)
{
    DirectXSetupScope setup("-1,0");
    BoxRecorder boxes;
    boxes.Answer(IDYES);
    PageDriver pages{ IDC_NEXT };
    EXPECT_EQ(DirectXPage(), 1);
    ASSERT_EQ(pages.pages.size(), 1u);
    const ShownPage &shown = pages.pages[0];
    EXPECT_EQ(shown.title, "Configuración DirectX 3");
    EXPECT_EQ(shown.text, pageText);
    EXPECT_EQ(shown.backLabel, "< Atrás");
    EXPECT_EQ(shown.nextLabel, "Siguiente >");
    EXPECT_EQ(shown.cancelLabel, "Pasar");
    EXPECT_TRUE(shown.backEnabled && shown.nextEnabled && shown.cancelEnabled);
    EXPECT_EQ(shown.bitmap, 107);
    EXPECT_EQ(setup.Calls(), (Lines{ CallLine(-1), CallLine(0) }));
    EXPECT_EQ(boxes.LastText(), retryQuestion);
    EXPECT_EQ(rebootNeeded, 1);
}

TEST_F(DirectX, PageLeftWithoutInstalling)
{
    DirectXSetupScope setup("0");
    BoxRecorder boxes;
    {
        PageDriver pages{ IDC_CANCEL };
        EXPECT_EQ(DirectXPage(), IDC_CANCEL);
    }
    {
        PageDriver pages{ IDC_BACK };
        EXPECT_EQ(DirectXPage(), IDC_BACK);
    }
    EXPECT_TRUE(setup.Calls().empty());
    EXPECT_TRUE(boxes.boxes.empty());   /* "Pasar" leaves without the cancel question */
    EXPECT_EQ(rebootNeeded, 0);
}

TEST_F(DirectX, FilesPresentNeedsBothLibraries)
{
    ScratchDirectory system("system");
    std::string directory(system.path, lstrlenA(system.path) - 1);
    EXPECT_EQ(DirectXFilesPresent(directory.c_str()), 0);
    WriteWholeFile(system + "DDRAW.DLL", "MZ");
    EXPECT_EQ(DirectXFilesPresent(directory.c_str()), 0);
    WriteWholeFile(system + "DSOUND.DLL", "MZ");
    EXPECT_EQ(DirectXFilesPresent(directory.c_str()), 1);
    DeleteFileA((system + "DDRAW.DLL").c_str());
    EXPECT_EQ(DirectXFilesPresent(directory.c_str()), 0);
}

TEST_F(DirectX, InstallationCountsAsPresent)
{
    rebootNeeded = 1;
    BoxRecorder boxes;
    EXPECT_EQ(DirectXPresent(), 1);
    EXPECT_EQ(VerifyDirectX(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

/* Hides one library of the prefix's system directory for its lifetime. */
struct HiddenSystemFile {
    std::string path, hidden;
    bool moved;
    explicit HiddenSystemFile(const char *name)
    {
        char directory[MAX_PATH];
        GetSystemDirectoryA(directory, sizeof(directory));
        path = std::string(directory) + "\\" + name;
        hidden = path + ".tt-hidden";
        moved = MoveFileA(path.c_str(), hidden.c_str()) != 0;
    }
    ~HiddenSystemFile()
    {
        if (moved)
            MoveFileA(hidden.c_str(), path.c_str());
    }
};

TEST_F(DirectX, VerifyAsksOnlyWhenALibraryIsMissing)
{
    {
        BoxRecorder boxes;
        EXPECT_EQ(DirectXPresent(), 1) << "the prefix should hold DDRAW.DLL and DSOUND.DLL";
        EXPECT_EQ(VerifyDirectX(), 1);
        EXPECT_TRUE(boxes.boxes.empty());
    }
    for (const char *name : { "DSOUND.DLL", "DDRAW.DLL" }) {
        SCOPED_TRACE(name);
        HiddenSystemFile missing(name);
        ASSERT_TRUE(missing.moved);
        EXPECT_EQ(DirectXPresent(), 0);
        BoxRecorder boxes;
        boxes.Answer(IDYES);
        boxes.Answer(IDNO);
        EXPECT_EQ(VerifyDirectX(), -1);
        EXPECT_EQ(VerifyDirectX(), 0);
        ASSERT_EQ(boxes.boxes.size(), 2u);
        EXPECT_EQ(boxes.boxes[0].text, verifyQuestion);
        EXPECT_EQ(boxes.boxes[0].caption, "Configuración");
        EXPECT_EQ(boxes.boxes[0].style, (UINT)(MB_ICONEXCLAMATION | MB_YESNO));
        EXPECT_EQ(boxes.boxes[0].owner, owner);
    }
}
