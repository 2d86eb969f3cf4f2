#include "lists/planet_choice.h"

#include <array>
#include <cctype>
#include <string>

namespace zimbalo::lists {

bool PlanetChosen(PlanetMask mask, int planet) {
    if (planet < 1 || planet > 7) {
        return false;
    }
    return (mask & kEveryPlanet) == 0 || (mask & (1u << (planet - 1))) != 0;
}

std::optional<PlanetMask> ParsePlanetList(std::string_view text) {
    static constexpr std::array<const char*, 7> kCodes = {"mer", "ven", "mar", "jup",
                                                          "sat", "ura", "nep"};
    PlanetMask mask = 0;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find(',', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string name;
        for (const char c : text.substr(begin, end - begin)) {
            if (c != ' ') {
                name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
        }
        bool known = false;
        for (std::size_t k = 0; k < kCodes.size(); ++k) {
            if (name == kCodes[k]) {
                mask |= 1u << k;
                known = true;
            }
        }
        if (!known) {
            return std::nullopt;
        }
        begin = end + 1;
    }
    return mask;
}

}  // namespace zimbalo::lists
