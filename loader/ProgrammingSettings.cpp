#include "loader/ProgrammingSettings.h"

CString ProgrammingSettings::GetProductName(int productId)
{
    switch (productId)
    {
    case 1: return "Varnix";
    case 2: return "Varnix Meter";
    case 3: return "Ostrel";
    case 4: return "Corandel MPPT";
    case 5:
    case 6: return "Varnix MPPT";
    case 7: return "VXM-2";
    case 8:
    case 9: return "Varnix HV-MPPT";
    default: return "device";
    }
}

CString ProgrammingSettings::AddressRangeMessage()
{
    CString text;
    text.Format("Error: Modbus control address must be a number between %i and %i, inclusive.",
                LowestControllerAddress, HighestControllerAddress);
    return text;
}
