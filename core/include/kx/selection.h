#pragma once
// Vehicle and period selection: the texts exchanged with the tracking server.
#include <cstdint>
#include <string>
#include <string_view>

#include "kx/datetime.h"

namespace kx {

// Device number of the device combo's text; no vehicle chosen asks for 0.
std::int32_t DeviceFromComboText(std::string_view text);
// The server's "Car_Device" value matches a combo item when both name the
// same integer ("007" matches "7"); throws kx::Error for a non-integer value.
bool SameDevice(std::string_view itemText, std::string_view serverValue);
// A period end for the computation request: the picker's date with the
// time picker's time of day, as "dd.mm.yyyy hh:mm:ss".
std::string PeriodText(TDateTime datePicker, TDateTime timePicker);

}  // namespace kx
