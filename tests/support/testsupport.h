/*
 * Helpers for the Win32 unit tests: a recorder behind the message-box door
 * with scripted answers, scratch directories, and file helpers.
 */
#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include "common/general.h"
#include <string>
#include <vector>

struct RecordedBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

/* Installs itself behind the message-box door for its lifetime. Every box is
 * recorded; answers are taken from the script in order, IDOK when it runs out. */
struct BoxRecorder {
    std::vector<RecordedBox> boxes;
    std::vector<int> answers;
    size_t nextAnswer = 0;
    MessageBoxHook previous;
    BoxRecorder();
    ~BoxRecorder();
    void Answer(int answer) { answers.push_back(answer); }
    std::string LastText() const { return boxes.empty() ? std::string() : boxes.back().text; }
};

/* A fresh empty directory under the prefix's temporary directory, removed with
 * everything in it at the end of the scope. Path ends with a backslash. */
struct ScratchDirectory {
    char path[MAX_PATH];
    explicit ScratchDirectory(const char *name);
    ~ScratchDirectory();
    std::string operator+(const char *name) const { return std::string(path) + name; }
};

void WriteWholeFile(const std::string &path, const std::string &bytes);
std::string ReadWholeFile(const std::string &path);   /* empty when missing */
bool PathExists(const std::string &path);
void RemoveTree(const std::string &directory);          /* directory without trailing backslash */

#endif
