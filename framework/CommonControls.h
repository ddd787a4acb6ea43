// Registers the common control classes (list view, tree view, tabs, IP address...) once
// per process, before the first window or dialog template that may use one.
#pragma once
#include "framework/FrameworkBase.h"

// TRUE when the classes are registered.
BOOL AfxInitCommonControls();
