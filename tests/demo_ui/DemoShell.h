// Pyraxis's own frame for the demo's window tests: opened and shown at the size of the
// screenshots, and closed with every device disconnected and every document closed.
#pragma once
#include "framework/FrameworkBase.h"

class CMainFrame;
class CVarnixViewApp;

namespace demo_ui {

// Null when the frame could not be made.
CMainFrame* OpenDemoShell(CVarnixViewApp& app);
void CloseDemoShell(CVarnixViewApp& app, HWND frame);

} // namespace demo_ui
