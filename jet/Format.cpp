#include "jet/Format.h"

namespace jet {

const FormatDescription kJet3 = {
    Database::Format::Jet3,
    2048,
    126, 20, false,
    8, 10,
    12, 21, 23, 25, 27, 31, 35, 43, 8,
    18, 0, 1, 3, 9, 13, 14, 16,
    1, false,
    1, true,
    4,
};

const FormatDescription kJet4 = {
    Database::Format::Jet4,
    4096,
    128, 40, true,
    12, 14,
    16, 41, 43, 45, 47, 51, 55, 63, 12,
    25, 0, 5, 7, 11, 15, 21, 23,
    2, true,
    2, false,
    4,
};

}  // namespace jet
