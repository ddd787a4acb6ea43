#include "wizards/varnix/MpptSummary.h"

const char* const MPPT_NOT_READ_TEXT = "not read";

std::string MpptSummaryText(const std::string& modeName, const std::vector<MpptSummaryRow_t>& rows,
                            const std::string& printedOn)
{
    std::string text = "Quorvant Corp. Varnix MPPT Setup Summary\n";
    text += "Printed on " + printedOn + "\n";
    text += "Mode: " + modeName + "\n";
    text += "\nSetpoints (set the System Voltage with DIP switches 2 & 3):\n";
    for (const MpptSummaryRow_t& row : rows)
    {
        const std::string units = row.units.empty() ? "" : " " + row.units;
        if (row.values[0] == row.values[1] && row.values[1] == row.values[2])
            text += row.name + ": " + row.values[0] + units + "\n";
        else
            text += row.name + ": " + row.values[0] + units + " (12V), " + row.values[1] + units +
                    " (24V), " + row.values[2] + units + " (48V)\n";
    }
    return text;
}
