/*
 * DirectX 3 installation through DSETUP.DLL, and the test whether DirectX is
 * present.
 */
#ifndef DIRECTX_H
#define DIRECTX_H

#include "common/general.h"

/* DSETUP.DLL, the DirectX setup library on the CD, copied beside Outfitter
 * before the wizard runs. 0 and 1 are success (1: Windows must restart). */
extern "C" __declspec(dllimport) int WINAPI DirectXSetupA(HWND owner, LPSTR sourcePath, DWORD flags);

/* DDRAW, DSOUND, DPLAY, DDRAWDRV, DSOUNDDRV, DPLAYSP, D3D, DINPUT, and a
 * prompt before drivers are replaced. */
enum { DIRECTX_SETUP_FLAGS = 0x10000A3F };

/* directx.cpp */
int DirectXPage(void);            /* 1003 or 1018 when the page was left so; else 1 */
void InstallDirectX(void);        /* DirectXSetupA until it succeeds or the user stops */
int VerifyDirectX(void);          /* 1 present, -1 try again, 0 give up */
int DirectXPresent(void);
int DirectXFilesPresent(const char *systemDirectory);

#endif
