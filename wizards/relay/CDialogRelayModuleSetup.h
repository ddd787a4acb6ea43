// The Ostrel setup dialog (dialog 154): a one-line summary of each of the module's four
// channels, the channel wizard in simple or advanced mode, reading and programming the
// module, .qrelay channel files and the printed summary.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/ModbusEndpoint.h"
#include "shell/CDialogMainWindow.h"
#include "wizards/relay/CRelayModuleChannel.h"

#include <boost/shared_ptr.hpp>

#include <string>

class CDialogRelayModuleSetup : public CDialogMainWindow
{
public:
    // Reads devices.xml for the candidate controllers; a load error is thrown on.
    CDialogRelayModuleSetup(const boost::shared_ptr<ModbusEndpoint_t>& endpoint, CWnd* parent, HICON icon);
    ~CDialogRelayModuleSetup() override;

    BOOL OnInitDialog() override;
    void RefreshSummary();

    CRelayModuleChannel* GetChannels() { return m_channels; }
    const RelayCandidateList_t& GetCandidates() const { return m_candidates; }

    // Runs the channel wizard for a channel, as its Simple and Advanced buttons do.
    void OnEditChannel(bool advanced, int index);
    // The four channels from a .qrelay file: all of them or none (a file that fails
    // part-way, or names a controller address outside its range, changes nothing). Empty
    // on success, else the message shown.
    std::string LoadChannels(const std::string& path);
    // Empty on success, else the message shown; channels with a controller address
    // outside its range are not written.
    std::string SaveChannels(const std::string& path);
    // The printed text: title, print time, one line per channel.
    std::string SummaryText(const std::string& printedOn) const;

    // Read and program runs (the two-page wizards of the read and program commands).
    void ReadModule();
    void ProgramModule();

protected:
    afx_msg void OnEdit(UINT id);
    afx_msg void OnReadFile();
    afx_msg void OnWriteFile();
    afx_msg void OnReadDevice();
    afx_msg void OnProgramDevice();
    afx_msg void OnPrint();
    afx_msg LRESULT OnHelpRequest(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    RelayCandidateList_t m_candidates;
    CRelayModuleChannel m_channels[4];
    boost::shared_ptr<ModbusEndpoint_t> m_endpoint;
};
