// The messages every programming thread posts to its page, and the one way a text line
// crosses from a thread to a page.
#pragma once
#include "framework/FrameworkBase.h"

// wParam: a heap copy of one line (new char[]) that the page frees; lParam: its length
// with the terminating NUL.
const UINT WM_APP_PROG_TEXT = 0x8001;
// wParam: failure code (0 older threads, 1 link not opened, 2 no identification answer,
// else the Modbus result code); the run has ended.
const UINT WM_APP_PROG_FAILED = 0x8002;
// wParam: registers transferred so far; lParam: registers of the whole run.
const UINT WM_APP_PROG_PROGRESS = 0x8003;
const UINT WM_APP_PROG_DONE = 0x8004;
// One step of an older thread done.
const UINT WM_APP_PROG_TICK = 0x8005;
// Link open and identification answered; no page acts on it.
const UINT WM_APP_PROG_CONNECTED = 0x8006;

// Copies the line with its NUL into a new character array and posts it as
// WM_APP_PROG_TEXT; the copy is freed again when the post fails.
void PostProgrammingText(HWND page, const char* text);
// The receiving side: frees the buffer of a WM_APP_PROG_TEXT (null is allowed).
void FreeProgrammingText(WPARAM buffer);
