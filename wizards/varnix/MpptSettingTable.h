// The settings of the Varnix MPPT and Varnix HV MPPT controllers: setting ids, the register
// and kind of each, their texts, limits and defaults, and the order they are listed in.
// The HV controller has the same table without the array-voltage targets (209, 210) and
// with smaller wind-curve powers.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"
#include "modbus/CModbusVariable_Translated.h"

#include <boost/shared_ptr.hpp>

#include <list>

enum EVarnixMpptSetting
{
    MPPT_SETTING_REGULATION_VOLTAGE = 1,
    MPPT_SETTING_ABSORPTION_TIME = 2,
    MPPT_SETTING_ABSORPTION_EXT_VOLTAGE = 3,
    MPPT_SETTING_ABSORPTION_EXT_TIME = 4,
    MPPT_SETTING_TEMP_COMPENSATION = 5,
    MPPT_SETTING_MIN_COMP_TEMP = 6,
    MPPT_SETTING_MAX_COMP_TEMP = 7,
    MPPT_SETTING_MAX_REGULATION_LIMIT = 8,
    MPPT_SETTING_BATTERY_SERVICE_REMINDER = 9,
    MPPT_SETTING_FLOAT_VOLTAGE = 20,
    MPPT_SETTING_FLOAT_TIMEOUT = 21,
    MPPT_SETTING_FLOAT_CANCEL_VOLTAGE = 22,
    MPPT_SETTING_EQUALIZE_VOLTAGE = 30,
    MPPT_SETTING_EQUALIZE_TIME = 31,
    MPPT_SETTING_EQUALIZE_INTERVAL = 32,
    MPPT_SETTING_EQUALIZE_TIMEOUT = 33,
    MPPT_SETTING_HVD = 34,
    MPPT_SETTING_HVDR = 35,
    MPPT_SETTING_LED_G_GY = 40,
    MPPT_SETTING_LED_GY_Y = 41,
    MPPT_SETTING_LED_Y_YR = 42,
    MPPT_SETTING_LED_YR_R = 43,
    MPPT_SETTING_MODBUS_ID = 50,
    MPPT_SETTING_SKELDER_ID = 51,
    MPPT_SETTING_DHCP_ENABLED = 52,
    MPPT_SETTING_IP_ADDRESS = 53,
    MPPT_SETTING_SUBNET_MASK = 54,
    MPPT_SETTING_GATEWAY = 55,
    MPPT_SETTING_PRIMARY_DNS = 56,
    MPPT_SETTING_SECONDARY_DNS = 57,
    MPPT_SETTING_HTTP_PORT = 58,
    MPPT_SETTING_MODBUS_TCP_PORT = 59,
    MPPT_SETTING_IP_BRIDGING = 60,
    MPPT_SETTING_CONTROLLER_NAME = 61,
    MPPT_SETTING_ETHERNET_POWER_SAVE = 62,
    MPPT_SETTING_SNMP_TRAP_IP = 70,
    MPPT_SETTING_SMTP_SERVER = 71,
    MPPT_SETTING_SMTP_USERNAME = 72,
    MPPT_SETTING_SMTP_PASSWORD = 73,
    MPPT_SETTING_SMTP_TO_ADDRESS = 74,
    MPPT_SETTING_SNMP_TRAP_PORT = 75,
    // Notification n (1..4) starts at MPPT_SETTING_NOTIFICATION + 20 * (n - 1); its
    // members follow at the offsets below.
    MPPT_SETTING_NOTIFICATION = 80,
    MPPT_SETTING_LOG_MAX_DAILY_VA = 200,
    MPPT_SETTING_LOG_DAILY_REGULATION_TIMES = 205,
    MPPT_SETTING_MAX_BATTERY_CURRENT = 208,
    MPPT_SETTING_ARRAY_FIXED_TARGET = 209,
    MPPT_SETTING_ARRAY_PERCENT_VOC = 210,
    // Point N (1..16) of the wind power curve: voltage 219 + N, power 239 + N.
    MPPT_SETTING_WIND_VOLTAGE = 220,
    MPPT_SETTING_WIND_POWER = 240,
};

enum EMpptNotificationMember
{
    MPPT_NOTIFY_ENABLED = 0,
    MPPT_NOTIFY_SOURCE_MODBUS_ID = 1,
    MPPT_NOTIFY_PDU_ADDRESS = 2,
    MPPT_NOTIFY_COMPARE_VALUE = 3,
    MPPT_NOTIFY_COMPARE_TYPE = 4,
    MPPT_NOTIFY_SECONDS_OVER = 5,
    MPPT_NOTIFY_RESET_SECONDS = 6,
    MPPT_NOTIFY_IDENTIFIER = 7,
    MPPT_NOTIFY_SMTP = 8,
    MPPT_NOTIFY_SNMP = 9,
};

const int MPPT_NOTIFICATION_COUNT = 4;
const int MPPT_WIND_POINT_COUNT = 16;

// Setting id of one member of notification 1..4.
inline int MpptNotificationSetting(int notification, EMpptNotificationMember member)
{
    return MPPT_SETTING_NOTIFICATION + 20 * (notification - 1) + member;
}

enum EMpptModel
{
    MPPT_MODEL_VARNIX_MPPT,
    MPPT_MODEL_VARNIX_HV_MPPT,
};

// Register value and text of the notification compare types.
const size_t MPPT_COMPARE_TYPE_COUNT = 6;
extern const ModbusTranslation_t MPPT_COMPARE_TYPES[MPPT_COMPARE_TYPE_COUNT];

// The model's setting ids in display order (122 for the Varnix MPPT, 120 for the HV).
std::list<int> MpptSettingIds(EMpptModel model);

// A new variable holding the id's default; empty for an id the model does not have.
boost::shared_ptr<CModbusVariable> MakeMpptSettingVariable(EMpptModel model, int id);
