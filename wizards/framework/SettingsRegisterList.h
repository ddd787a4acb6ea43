// How the register-list wizards move a settings store to and from a device: the list of
// registers a run reads or programs, and the words a read brought back.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CVarnixWizardProgContext.h"

class CStorageVarnixConfig;

// One entry per row, keyed by the row's register: 0 for a read, the word that programs
// the row's raw value otherwise. The list is emptied first; so are the names, when given,
// which get each register's row name.
void FillRegisterList(const CStorageVarnixConfig& settings, bool isRead, WizardRegisterMap_t& registers,
                      WizardRegisterNames_t* names = nullptr);

// Each word read goes into the first row of its register, as the device means it (an
// INT8 row takes the sign-extended low byte); words of registers without a row are left.
void StoreReadRegisters(const WizardRegisterMap_t& registers, CStorageVarnixConfig& settings);
