#pragma once

namespace Pyxo {

/// A ratio of two ints kept reduced (aspect ratios such as 4:3).
class Ratio {
public:
    Ratio() = default;
    Ratio(int numerator, int denominator) { Set(numerator, denominator); }

    /// Stores both divided by their greatest common divisor (signs as Euclid's algorithm on the signed values
    /// leaves them: 4:-6 and -4:6 both become -2:3). 0:0 is stored as it is.
    void Set(int numerator, int denominator);

    bool operator==(const Ratio&) const = default;

    int mNumerator = 1;
    int mDenominator = 1;
};

} // namespace Pyxo
