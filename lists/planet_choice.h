#pragma once

#include <optional>
#include <string_view>

/// A choice of planets, as the seven planet check boxes of the main window make it.
namespace zimbalo::lists {

/// Chosen planets as bits: bit `planet - 1` for the codes 1 (Mercury) .. 7 (Neptune).
/// No bit set means every planet.
using PlanetMask = unsigned;

inline constexpr PlanetMask kEveryPlanet = 0x7Fu;

/// True when `planet` (1..7) passes `mask` (an empty mask passes every planet).
bool PlanetChosen(PlanetMask mask, int planet);

/// The mask of a comma-separated list of the first three letters of the English planet names,
/// e.g. "ven,jup" (case ignored, blanks around names allowed); nothing when a name is unknown or
/// the list is empty.
std::optional<PlanetMask> ParsePlanetList(std::string_view text);

}  // namespace zimbalo::lists
