// Every class of the docking and menu library is exported by name from pyraxis.exe, so
// that its members stand in the program's export table.
#pragma once

#define UILIB_API __declspec(dllexport)
