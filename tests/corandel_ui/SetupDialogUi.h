// The fixture of the Corandel setup dialogs' window tests: the script that plays the user,
// the windows it finds on the way, the message boxes recorded, and for the runs the test
// device and the device descriptions beside the program.
#pragma once
#include "tests/support/UiScript.h"
#include "tests/support/RegisterDevice.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

class CDialogSetpointSummary;
class CStorageVarnixConfig;

namespace corandel_ui {

// Bus-address entries of the wizards' last pages, each one step past its range (the
// other in range), with the box both Corandel wizards refuse them with.
struct RefusedAddressEntry
{
    const char* modbus;
    const char* skelder;
    const char* box;
};
extern const RefusedAddressEntry kRefusedAddressEntries[4];

class SetupDialogUi : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The dialog with that caption shows (its window in dialogWindow).
    std::function<bool()> DialogShows(const std::string& title);
    // The wizard's current page has the control (and the caption when given).
    std::function<bool()> PageShows(int control, const char* caption = nullptr);
    std::function<bool()> BoxCount(size_t count);
    // The wizard's progress page shows, and its lines meet the condition.
    std::function<bool()> ProgressShows(std::function<bool(const std::vector<std::string>&)> condition);
    // Starts the test device with the profile; the runs' contexts read devices.xml.
    void StartDevice(const std::string& profile, bool serial);
    // The words the device was programmed with, by register; each register written once,
    // in ascending order, count of them in all.
    std::map<int, int> ProgrammedWords(size_t count);
    // Prints the dialog's summary through the print seam (job name checked, every
    // character of the summary printed) and gives the summary's text.
    std::string PrintSummary(CDialogSetpointSummary& dialog, const std::string& jobName);

    // Queues the steps of rounds of untouched edits in a setup dialog titled title whose
    // wizard has pages pages: Create New to Finish, then per round the scaled setpoints of
    // settings (the dialog's own) take seeded raw values around their defaults and Edit is
    // passed with Next to Finish, nothing touched; then the dialog is closed. *changed
    // gets the setpoints whose raw value the round changed, as "register raw -> raw".
    void UntouchedEditRounds(const std::string& title, CStorageVarnixConfig& settings, int pages, int rounds,
                             std::vector<std::string>* changed);
    // Eight such rounds on the dialog, with no raw value changed and no page refusing what
    // it showed.
    void ExpectUntouchedEditsKeepRawValues(CDialogSetpointSummary& dialog, const std::string& title,
                                           CStorageVarnixConfig& settings, int pages);

    testing_support::UiScript script;
    HWND dialogWindow = nullptr;
    HWND sheet = nullptr;
    HWND page = nullptr;
    testing_support::PeerHost host;
    testing_support::RegisterDevice device{host};
};

} // namespace corandel_ui
