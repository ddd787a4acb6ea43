// The chooser of a device type for a manual connection: one entry per device of the
// description file; the caller takes the chosen device document afterwards.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CListBox.h"
#include "documents/CDocumentDevice.h"

#include <string>
#include <utility>
#include <vector>

typedef std::pair<std::string, CDocumentDevicePtr> NamedDevice_t;
typedef std::vector<NamedDevice_t> NamedDeviceList_t;

class CDialogNewDevice : public CDialog
{
public:
    explicit CDialogNewDevice(CWnd* parent);

    // Runs the dialog with a copy of the list; the chosen device is empty until an entry
    // is selected.
    INT_PTR DoModalWithDevices(const NamedDeviceList_t& devices);

    CDocumentDevicePtr GetChosenDevice() const { return m_chosenDevice; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnSelectionChange();
    afx_msg void OnDoubleClick();

    DECLARE_MESSAGE_MAP()

private:
    CDocumentDevicePtr m_chosenDevice;
    CListBox m_deviceList;
    NamedDeviceList_t m_devices;
};
