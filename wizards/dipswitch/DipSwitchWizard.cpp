#include "wizards/dipswitch/DipSwitchWizard.h"

#include "wizards/dipswitch/CPropPageDipSwitchPages.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"

#include <memory>
#include <vector>

INT_PTR RunDipSwitchWizard(CWnd* parent)
{
    DipSwitchState_t state = MakeDipSwitchState();
    CPropertySheetDipSwitch sheet("DIP Switch Wizard", parent, 0);
    std::vector<std::unique_ptr<CPropertyPage>> pages;
    pages.emplace_back(new CPropPageDipSwitchIntro());
    pages.emplace_back(new CPropPageDipSwitchMode(&state));
    pages.emplace_back(new CPropPageDipSwitchBatteryV(&state));
    pages.emplace_back(new CPropPageDipSwitchChargeSet(&state));
    pages.emplace_back(new CPropPageDipSwitchNoiseReduction(&state));
    pages.emplace_back(new CPropPageDipSwitchLVD(&state));
    pages.emplace_back(new CPropPageDipSwitchDiversion(&state));
    pages.emplace_back(new CPropPageDipSwitchLighting(&state));
    pages.emplace_back(new CPropPageDipSwitchDiversionEq(&state));
    pages.emplace_back(new CPropPageDipSwitchDone(&state));
    for (const std::unique_ptr<CPropertyPage>& page : pages)
        sheet.AddPage(page.get());
    sheet.SetWizardMode();
    const INT_PTR result = sheet.DoModal();
    while (sheet.GetPageCount() > 0)
        sheet.RemovePage(0);
    return result;
}
