// The DIP-switch wizard as the Tools command runs it: a fresh state and the ten pages on
// the wizard sheet "DIP Switch Wizard", modally.
#pragma once
#include "framework/FrameworkBase.h"

class CWnd;

INT_PTR RunDipSwitchWizard(CWnd* parent);
