/*
 * The test ends of the stand-ins: the CD audio MCI driver registered in the
 * prefix for the scope of a test, and the logs of both stand-ins.
 */
#ifndef STANDINS_H
#define STANDINS_H

#include "tests/support/testsupport.h"
#include <string>
#include <vector>

/* Registers library (ttmcicd.dll, found beside the test EXE) as winmm's
 * "CDAudio" driver and points its log into a scratch directory; the
 * prefix's own value comes back at the end of the scope. */
struct CdDriverScope {
    ScratchDirectory scratch;
    std::string log;
    bool hadKey, hadValue;
    char savedValue[260];
    explicit CdDriverScope(const char *library = "ttmcicd.dll");
    ~CdDriverScope();
    std::vector<std::string> Commands() const;
};

/* DSETUP.DLL's answers and log for the scope of a test. */
struct DirectXSetupScope {
    ScratchDirectory scratch;
    std::string log;
    explicit DirectXSetupScope(const char *answers);
    ~DirectXSetupScope();
    std::vector<std::string> Calls() const;
};

std::vector<std::string> LogLines(const std::string &path);

#endif
