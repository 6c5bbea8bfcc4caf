#pragma once
// What every front end says when a report gives nothing to show (Windows-1250).

#include "core/cp1250.h"

namespace talvorix {

/// The report could not be opened.
inline constexpr auto kNoSuchFileNotice = Cp1250(u8"Nincs ilyen fájl");
/// The report holds no puzzle.
inline constexpr auto kNoPuzzleNotice = Cp1250(u8"Nem találtam feladványt a fájlban");
/// The label in front of an answer.
inline constexpr auto kAnswerLabel = Cp1250(u8"Megoldás : ");

}  // namespace talvorix
