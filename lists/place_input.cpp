#include "lists/place_input.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "lists/list_text.h"
#include "lists/number_text.h"

namespace zimbalo::lists {

PlaceInputResult ReadPlaceInput(const PlaceInputTexts& texts, Language language) {
    PlaceInputResult result;
    const auto latitude = ParseStrictDecimal(texts.breite);
    if (!latitude || std::fabs(*latitude) > 90.0) {
        result.message = InvalidNumberMessage(PlaceField::Latitude, language);
        return result;
    }
    const auto longitude = ParseStrictDecimal(texts.laenge);
    if (!longitude || std::fabs(*longitude) > 180.0) {
        result.message = InvalidNumberMessage(PlaceField::Longitude, language);
        return result;
    }
    const auto height = ParseStrictDecimal(texts.hoehe);
    const double metres = height ? RoundHalfEven(*height) : 0.0;
    if (!height || metres < std::numeric_limits<std::int32_t>::min()
        || metres > std::numeric_limits<std::int32_t>::max()) {
        result.message = InvalidNumberMessage(PlaceField::Height, language);
        return result;
    }
    astro::StadtType place;
    place.Land = texts.land;
    place.Stadt = texts.stadt;
    place.Breite = texts.north ? *latitude : -*latitude;
    place.Laenge = texts.west ? -*longitude : *longitude;
    place.Hoehe = static_cast<std::int32_t>(metres);
    place.Einwohner = ParseStrictInt32(texts.einwohner).value_or(0);
    result.place = std::move(place);
    return result;
}

PlaceInputTexts PlaceInputFromCity(const astro::StadtType& city) {
    PlaceInputTexts texts;
    texts.land = city.Land;
    texts.stadt = city.Stadt;
    texts.breite = FormatShortest(std::fabs(city.Breite));
    texts.laenge = FormatShortest(std::fabs(city.Laenge));
    texts.north = city.Breite > 0.0;
    texts.west = !(city.Laenge > 0.0);
    texts.hoehe = FormatInt(city.Hoehe);
    texts.einwohner = FormatInt(city.Einwohner);
    return texts;
}

}  // namespace zimbalo::lists
