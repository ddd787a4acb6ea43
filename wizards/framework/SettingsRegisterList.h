// How the register-list wizards move a settings store to and from a device: the list of
// registers a run reads or programs, and the words a read brought back.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CVarnixWizardProgContext.h"

#include <string>

class CStorageVarnixConfig;
struct SettingRow_t;

// One entry per row, keyed by the row's register: 0 for a read, the word that programs
// the row's raw value otherwise. The list is emptied first; so are the names, when given,
// which get each register's row name.
void FillRegisterList(const CStorageVarnixConfig& settings, bool isRead, WizardRegisterMap_t& registers,
                      WizardRegisterNames_t* names = nullptr);

// Each word read goes into the first row of its register, as the device means it (an
// INT8 row takes the sign-extended low byte); words of registers without a row are left.
void StoreReadRegisters(const WizardRegisterMap_t& registers, CStorageVarnixConfig& settings);

// What refuses a word the list would program into one of the table's bus-address rows, as
// the controller takes it (a one-byte register its low byte); empty when each is within
// its range or not in the list.
std::string AddressRefusal(const SettingRow_t* table, const WizardRegisterMap_t& registers);
