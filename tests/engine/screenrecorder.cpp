#include "tests/engine/screenrecorder.h"
#include "setup/engine/engine.h"
#include "setup/shell/shell.h"
#include <string.h>

std::vector<RecordedPaint> recordedPaints;
static std::vector<LONG> recordedSteps;
static std::vector<std::string> recordedStepStatus;

static void RecordStep(int drawn)
{
    if (drawn != PROGRESS_CLOSING) {
        recordedSteps.push_back(bytesCopied);
        recordedStepStatus.push_back(statusText ? statusText : "");
    }
}

enum { PICTURE_SIZE = 16 };
static BYTE pictureBlock[2][sizeof(BITMAPINFOHEADER) + PICTURE_SIZE * PICTURE_SIZE * 3];

static LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        recordedPaints.push_back(RecordedPaint{ paint.rcPaint, bytesCopied, statusText ? statusText : "" });
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

static void FakeBackground(BitmapImage *image, BYTE *block)
{
    memset(block, 0, sizeof(pictureBlock[0]));
    BITMAPINFOHEADER *header = (BITMAPINFOHEADER *)block;
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = PICTURE_SIZE;
    header->biHeight = PICTURE_SIZE;
    header->biPlanes = 1;
    header->biBitCount = 24;
    memset(image, 0, sizeof(*image));
    image->header = header;
    image->colours = (RGBQUAD *)(block + sizeof(BITMAPINFOHEADER));
    image->pixels = block + sizeof(BITMAPINFOHEADER);
    image->imageSize = PICTURE_SIZE * PICTURE_SIZE * 3;
}

ScreenRecorder::ScreenRecorder()
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof(windowClass));
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "TtScreenRecorder";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "TtScreenRecorder", "", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                             GetSystemMetrics(SM_CYSCREEN), NULL, NULL, windowClass.hInstance, NULL);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    mainWindow = window;
    FakeBackground(&primaryBackground, pictureBlock[0]);
    FakeBackground(&displayedBackground, pictureBlock[1]);
    SetProgressHook(RecordStep);
    Clear();
}

ScreenRecorder::~ScreenRecorder()
{
    SetProgressHook(NULL);
    memset(&primaryBackground, 0, sizeof(primaryBackground));
    memset(&displayedBackground, 0, sizeof(displayedBackground));
    mainWindow = NULL;
    statusText = " ";
    DestroyWindow(window);
}

void ScreenRecorder::Clear()
{
    recordedPaints.clear();
    recordedSteps.clear();
    recordedStepStatus.clear();
}

std::vector<LONG> ScreenRecorder::StepCounts() const
{
    return recordedSteps;
}

std::vector<std::string> ScreenRecorder::StepStatuses() const
{
    return recordedStepStatus;
}

std::vector<std::string> ScreenRecorder::StatusTexts() const
{
    std::vector<std::string> texts;
    for (const RecordedPaint &paint : recordedPaints)
        if (texts.empty() || texts.back() != paint.status)
            texts.push_back(paint.status);
    return texts;
}
