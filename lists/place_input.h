#pragma once

#include <optional>
#include <string>

#include "astro/language.h"
#include "astro/local_circumstances.h"

/// The place typed into the place-history window, read into a place record, and a place of the
/// city database turned back into those texts.
namespace zimbalo::lists {

/// The window's input texts (Windows-1252) and hemisphere choices.
struct PlaceInputTexts {
    std::string land;       ///< country or region, optional
    std::string stadt;      ///< place name
    std::string breite;     ///< latitude, degrees, unsigned in the usual case
    std::string laenge;     ///< longitude, degrees
    std::string hoehe;      ///< height, metres
    std::string einwohner;  ///< population of a place taken from the city database, or empty
    bool north = true;      ///< south unless north is chosen
    bool west = false;      ///< east unless west is chosen
};

/// A place read from the inputs, or the message for the first field that cannot be read.
struct PlaceInputResult {
    std::optional<astro::StadtType> place;
    std::string message;  ///< Windows-1252, e.g. " Geogr.Breite ist kein gültiger Wert"
};

/// Reads latitude, longitude and height in this order with a strict decimal conversion ("."
/// only, the whole text a number). A latitude beyond 90 degrees, a longitude beyond 180 degrees
/// or a height outside the 32-bit range is refused like an unreadable number. The height is
/// rounded to whole metres (halves to even); the population is read as a signed integer (empty
/// or unreadable: 0).
PlaceInputResult ReadPlaceInput(const PlaceInputTexts& texts, Language language);

/// The input texts of a place of the city database (as "take over" fills them): unsigned
/// shortest decimal degrees with "." and the hemispheres (north when the latitude is above 0,
/// east when the longitude is above 0), height and population as integers.
PlaceInputTexts PlaceInputFromCity(const astro::StadtType& city);

}  // namespace zimbalo::lists
