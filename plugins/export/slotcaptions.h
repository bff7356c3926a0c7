#pragma once

#include <cstdint>

// Captions of the text record slots as the program's card shows them, English and German
// (other languages get English).
const char16_t *MovieSlotCaption(int slot, int32_t lang);
const char16_t *PersonSlotCaption(int slot, int32_t lang);
// The column that names an episode's series.
const char16_t *SeriesCaption(int32_t lang);

// Slots of the text records the exports treat apart.
enum : int {
    MovieNum = 0,
    MovieTitle = 1,
    MovieOrigTitle = 2,
    MovieYear = 4,
    MovieGenre = 5,
    MovieDirector = 6,
    MovieActors = 10,
    MovieCountry = 11,
    MovieUrl = 14,
    MovieRating = 17,
    MovieDescription = 22,
    MovieLength = 28,
    MoviePictureFormat = 48,
    MoviePicture = 49,
    PersonName = 0,
    PersonTransName = 1,
    PersonBirthday = 3,
    PersonBirthplace = 4,
    PersonCareer = 6,
    PersonUrl = 7,
    PersonRating = 8,
    PersonBio = 9,
    PersonPictureFormat = 13,
    PersonPicture = 14,
};
