// The document of every real device: filled from one device element of devices.xml,
// it turns the polling thread's register image into value items, keeps the hardware
// information read at connect time, offers the device's wizards and downloads the
// device's own log when its connection opens.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/COleVariant.h"
#include "documents/CDocumentDevice.h"
#include "documents/CStorageGenericConfig1.h"
#include "documents/GenericDeviceDescription_t.h"
#include "documents/IDeviceWithEmbeddedLogging.h"
#include "documents/logfiles/CLogFileInXml.h"
#include "modbus/ModbusEndpoint.h"

#include <boost/shared_ptr.hpp>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CConnectionGeneric1;
class TiXmlElement;

const UINT ID_TOOLS_DIP_SWITCH_WIZARD = 32789;
const UINT ID_TOOLS_OSTREL_WIZARD = 32790;
const UINT ID_TOOLS_VARNIX_WIZARD = 32791;
const UINT ID_TOOLS_CORANDEL_DUO_WIZARD = 32792;
const UINT ID_TOOLS_CORANDEL_MPPT_WIZARD = 32793;
const UINT ID_TOOLS_VARNIX_MPPT_WIZARD = 32795;
// Not in the Tools menu: only a Varnix HV MPPT device offers it, from its own popup.
const UINT ID_TOOLS_VARNIX_HV_MPPT_WIZARD = 32799;
// Posted to the main window: wParam a command id, lParam a heap ModbusEndpoint_t it frees.
const UINT WM_APP_RUN_COMMAND = 0x8004;
const UINT MAIN_FRAME_MENU_ID = 128;
const BYTE GENERIC_CONFIG_SOURCE_ID = 255;

typedef std::pair<std::string, std::string> HardwareInfoPair_t;
typedef std::list<HardwareInfoPair_t> HardwareInfoPairs_t;
typedef boost::shared_ptr<CLogFileInXml::log_file_record_t> LogRecordPtr;

class CDocumentDeviceGeneric1 : public CDocumentDevice, public IDeviceWithEmbeddedLogging
{
    DECLARE_DYNCREATE(CDocumentDeviceGeneric1)
public:
    CDocumentDeviceGeneric1();
    CDocumentDeviceGeneric1(BYTE model, BYTE type, BYTE skelderType, CDocumentManager* manager);
    ~CDocumentDeviceGeneric1() override;

    // Schema 1, type, model, then the CDocumentDevice part; loading refills the
    // description from devices.xml.
    void Serialize(CArchive& ar) override;
    void CollectPlotItems(CTreeItemList& items) override;
    int GetPopupMenuEntryCount() override;
    int GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked) override;
    int OnPopupMenuCommand(int index) override;
    bool OnStorage(const CStoragePtr& item) override;
    bool IsBusy() override;
    WORD GetDeviceSet() override;
    // Pages 0 connection, 1 coils, 2 information.
    CPropertyPage* CreatePropertyPage(int index) override;
    int GetPropertyPageCount() override;
    // The Modbus debug console on this device's connection.
    void ShowDebugConsole() override;

    std::string GetLoggedVariableName(int variableId) override;
    std::wstring GetEmbeddedLogFilePath(std::wstring& logsFolder) override;
    std::wstring GetEmbeddedLogFileExtension() override;

    // Fills the document from one device element whose name, model and type the caller read.
    void ConfigureFromXml(const TiXmlElement& device, const std::string& name, int model, int type);
    // Fills the document from a description already read.
    void ConfigureFromDescription(const GenericDeviceDescription_t& description);

    void ConvertRegisterImage(const WORD* image, const BYTE* valid);
    int ReadHourmeter();
    const GenericVariable_t* FindVariableById(int id) const;
    const GenericVariable_t* FindAlarmsVariable() const;
    const GenericVariable_t* FindFaultsVariable() const;

    void AddHardwareInfo(const std::string& name, const std::string& text);
    void ClearHardwareInfo();
    HardwareInfoPairs_t GetHardwareInfo();
    void SetFirmwareVersion(const std::string& text);
    std::string GetFirmwareVersion();

    void ApplyEndpoint(const ModbusEndpoint_t& endpoint);

    // On-device log.
    void DownloadEmbeddedLog();
    void DecodeEmbeddedLoggedData(const std::string& retrievalTime, int retrievalHourmeter,
                                  const WORD* words, unsigned bufCount, WORD endOfLastRecordPointer);
    LogRecordPtr DecodeLoggedRecord(const WORD* words, int wordCount, const std::string& retrievalTime,
                                    int retrievalHourmeter);
    // The records of a buffer in the order they go into the file; no file is touched.
    std::list<LogRecordPtr> DecodeLoggedBuffer(const std::string& retrievalTime, int retrievalHourmeter,
                                               const WORD* words, unsigned bufCount,
                                               WORD endOfLastRecordPointer);

    boost::shared_ptr<CConnectionGeneric1> GetGenericConnection() const;
    boost::shared_ptr<CStorageGenericConfig1> GetConfigStore() const { return m_configStore; }
    const std::vector<GenericVariable_t>& GetVariables() const { return m_variables; }
    const std::vector<GenericCoil_t>& GetCoils() const { return m_coils; }
    const std::vector<GenericHardwareInfo_t>& GetHardwareInfoDescriptions() const { return m_hardwareInfoDescriptions; }
    const GenericLoggedData_t& GetLoggedData() const { return m_loggedData; }
    const std::vector<GenericIdentity_t>& GetIdentities() const { return m_identities; }
    // True when every connect notice of the connections opened so far has run its log step.
    bool IsLogHandled() const { return m_pendingConnectNotices == 0; }
    // The connection opened: its connect notice is on its way and the device is busy with
    // the log step until it ran. Counted, so that a notice of an earlier connection that
    // runs late does not end the busy state of the next one.
    void ExpectConnectNotice();
    // What a connect notice sets going (the log download), on the connection's thread
    // when it has one; the notice counts as handled afterwards. Drop counts it handled
    // without running it (the connection's thread ended first).
    void RunConnectStep();
    void DropConnectStep();

private:
    std::string m_firmwareVersion;
    WORD m_set;
    std::vector<GenericVariable_t> m_variables;
    std::vector<GenericCoil_t> m_coils;
    std::vector<GenericHardwareInfo_t> m_hardwareInfoDescriptions;
    HardwareInfoPairs_t m_hardwareInfo;
    boost::shared_ptr<CStorageGenericConfig1> m_configStore;
    volatile LONG m_pendingConnectNotices;
    GenericLoggedData_t m_loggedData;
    std::vector<GenericIdentity_t> m_identities;
    std::multimap<BYTE, UINT> m_wizardCommands;
};

typedef boost::shared_ptr<CDocumentDeviceGeneric1> CDocumentDeviceGeneric1Ptr;
