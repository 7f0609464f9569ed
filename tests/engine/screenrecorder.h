/*
 * A stand-in for Outfitter's main window in the engine tests: a visible
 * full-screen window that notes, at every repaint the progress display and
 * the status line ask for, what they would show, and the byte count at every
 * progress step.
 */
#ifndef SCREENRECORDER_H
#define SCREENRECORDER_H

#include "tests/support/testsupport.h"
#include <string>
#include <vector>

struct RecordedPaint {
    RECT area;
    LONG bytesCopied;
    std::string status;
};

/* Becomes mainWindow for its lifetime, with a 16 x 16 24-bit background
 * picture in the middle of the screen for the progress display to reveal. */
struct ScreenRecorder {
    HWND window;
    ScreenRecorder();
    ~ScreenRecorder();
    void Clear();
    std::vector<LONG> StepCounts() const;          /* bytesCopied at each progress step */
    std::vector<std::string> StepStatuses() const; /* the status line's text at each step */
    std::vector<std::string> StatusTexts() const;  /* the status line's texts, repeats dropped */
};

extern std::vector<RecordedPaint> recordedPaints;

#endif
