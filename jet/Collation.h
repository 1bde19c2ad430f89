// How Jet compares text: without regard to case, for the accented letters of Windows-1252 as
// much as for A to Z. Used for names (tables, columns) and for the values a query compares and
// sorts.
#pragma once

#include <string_view>

namespace jet {

// The lower-case form of a Windows-1252 byte; bytes without a case pair come back unchanged
// (ß, ƒ and µ have no upper-case letter in the code page).
unsigned char FoldCase1252(unsigned char c);

// Equal when the texts differ only in case.
bool TextEqual(std::string_view a, std::string_view b);

// Negative, zero or positive as a sorts before, with or after b. Zero exactly when TextEqual.
// Accented letters sort with their base letter (Émile between Emil and Emma); two texts that
// differ only in accents are then ordered by their case-folded bytes.
int CompareText(std::string_view a, std::string_view b);

}  // namespace jet
