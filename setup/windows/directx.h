/*
 * DirectX 3 installation through DSETUP.DLL, and the test whether DirectX is
 * present.
 */
#ifndef DIRECTX_H
#define DIRECTX_H

#include "common/general.h"

/* DirectXSetupA of DSETUP.DLL, the DirectX setup library on the CD, copied
 * beside Outfitter before the wizard runs. 0 and 1 are success (1: Windows
 * must restart). */
typedef int (WINAPI *DirectXSetupProc)(HWND owner, LPSTR sourcePath, DWORD flags);

/* DDRAW, DSOUND, DPLAY, DDRAWDRV, DSOUNDDRV, DPLAYSP, D3D, DINPUT, and a
 * prompt before drivers are replaced. */
enum { DIRECTX_SETUP_FLAGS = 0x10000A3F };

/* directx.cpp */
int CallDirectXSetup(void);       /* DirectXSetupA's answer; -1 when DSETUP.DLL cannot be had */
int DirectXPage(void);            /* 1003 or 1018 when the page was left so; else 1 */
void InstallDirectX(void);        /* DirectXSetupA until it succeeds or the user stops */
int VerifyDirectX(void);          /* 1 present, -1 try again, 0 give up */
int DirectXPresent(void);
int DirectXFilesPresent(const char *systemDirectory);

#endif
