#include "kx/selection.h"

#include "kx/error.h"
#include "kx/text.h"

namespace kx {

std::int32_t DeviceFromComboText(std::string_view text) {
    const std::string t = Trim(text);
    return t.empty() ? 0 : ParseInt32(t);
}

bool SameDevice(std::string_view itemText, std::string_view serverValue) {
    std::int32_t device;
    try {
        device = ParseInt32(Trim(serverValue));
    } catch (const Error&) {
        throw Error("номер прибора \"" + std::string(serverValue) +
                    "\", переданный ПО Карвекс, не является целым числом");
    }
    return itemText == std::to_string(device);
}

std::string PeriodText(TDateTime datePicker, TDateTime timePicker) {
    return FormatFixedDateTime(CombineDateTime(datePicker, timePicker));
}

}  // namespace kx
