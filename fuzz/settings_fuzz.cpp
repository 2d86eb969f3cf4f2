// The settings record from any bytes: exactly 243 bytes decode; what decodes writes back to bytes
// that decode to the same record; sanitizing makes a record that needs no more sanitizing.
#include <QRect>

#include "app/settings_record.h"
#include "fuzz_support.h"

using namespace zimbalo;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto record = app::ReadSettings(std::span<const std::uint8_t>(data, size));
    Check(record.has_value() == (size == app::kSettingsSize), "decodes exactly 243 bytes");
    if (!record) {
        return 0;
    }
    const auto bytes = app::WriteSettings(*record);
    const auto again = app::ReadSettings(bytes);
    Check(again.has_value(), "written record decodes");
    Check(app::WriteSettings(*again) == bytes, "writing is stable");

    app::SettingsRecord sane = *again;
    const std::vector<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, -200, 1280, 1024)};
    app::SanitizeSettings(sane, 1780, screens);
    app::SettingsRecord twice = sane;
    Check(app::SanitizeSettings(twice, 1780, screens).empty() && twice == sane,
          "sanitizing twice changes nothing");
    return 0;
}
