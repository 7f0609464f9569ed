/*
 * Answers real wizard pages in-process: a thread timer, serviced by the
 * page's own modal loop, finds the open page, records what it shows and
 * presses the next scripted button.
 */
#ifndef PAGEDRIVER_H
#define PAGEDRIVER_H

#include <windows.h>
#include <string>
#include <vector>

struct ShownPage {
    std::string title, text;
    std::string backLabel, nextLabel, cancelLabel;
    bool backEnabled, nextEnabled, cancelEnabled;
    int bitmap;                 /* from the page description once the page is up */
};

/* Installs itself for its lifetime. Each page takes the next answer (1002,
 * 1003 or 1018); a page beyond the script is a test failure and is closed
 * with 1018 so that the code under test can unwind. */
struct PageDriver {
    std::vector<int> answers;
    std::vector<ShownPage> pages;
    size_t nextAnswer = 0;
    UINT_PTR timer;
    PageDriver(std::initializer_list<int> script);
    ~PageDriver();
};

#endif
