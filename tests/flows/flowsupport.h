/*
 * The user of the flow tests: ordinary pages are answered through the page
 * hook, real dialogs (the location page) by a thread timer that their modal
 * loop services. Plus a game directory as an installation leaves it, and a
 * stand-in main window.
 */
#ifndef FLOWSUPPORT_H
#define FLOWSUPPORT_H

#include "tests/support/testsupport.h"
#include <functional>
#include <string>
#include <vector>

struct SeenPage {
    std::string title, text, back, next, cancel;
    int backEnabled, nextEnabled, cancelEnabled, defaultButton, bitmap;
    std::string edit;           /* the location page's proposal */
    bool dialog;                /* a real dialog, not ShowPage */
    HWND window;                /* the dialog, valid while onPage runs */
    std::vector<std::string> rows;   /* system information: label, value, row by row */
};

/* Installs itself for its lifetime. Each page takes the next step; past the
 * script a page is left with 1018 and the test fails, so that a runaway
 * flow ends. */
struct ScriptedUser {
    struct Step {
        int id;
        bool typeText;
        std::string text;
    };
    std::vector<Step> steps;
    std::vector<SeenPage> seen;
    size_t next = 0;
    std::function<void(const SeenPage &)> onPage;
    UINT_PTR timer;
    void *previousHook;
    ScriptedUser();
    ~ScriptedUser();
    ScriptedUser &Press(int id);
    ScriptedUser &Type(const std::string &text, int id);   /* into the edit box, then press */
    int Answer(const SeenPage &page);
    std::vector<std::string> Titles() const;
};

/* A visible top-level window that becomes mainWindow for its lifetime. */
struct MainWindowStandIn {
    HWND window;
    MainWindowStandIn();
    ~MainWindowStandIn();
    bool Alive() const { return IsWindow(window) != 0; }
};

/* A game directory with the marker, QVX.INF and a file in each of G0 to G10;
 * ZEPH.BAT when dos. */
void MakeGameDirectory(const std::string &directory, const char *marker, bool dos);
/* The CD's file lists for that directory: MENUS.CFL (its index alone) holds
 * G7's file, plain lines the others. */
void WriteCdLists(const std::string &cd, const char *marker);
std::string CdSettings(const char *marker);
bool IsDirectory(const std::string &path);
bool PublisherKeyExists(void);

#endif
