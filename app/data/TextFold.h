#pragma once

#include <QString>
#include <QStringView>
#include <array>

namespace gearlog {

// How Gearlog compares text without regard to case, the same in every
// place: the find in memory, the order of a cursor, and the stores' own
// comparisons. Each character is case-folded (Unicode simple folding, so
// "Über" equals "über"), then the texts order by code point.
int compareFolded(QStringView a, QStringView b);

// The same for UTF-8 bytes, as the file store's collation receives them.
int compareFoldedUtf8(const char* a, int aBytes, const char* b, int bBytes);

// A text as type-to-find compares it: lower case, accents dropped ("Émile"
// gives "emile"), so that what a person types finds what is stored however
// either was written.
QString foldForFind(QStringView text);

// foldForFind of each code point below findFoldPointsEnd (Latin, Greek,
// Cyrillic and the combining accents), for folding without QString:
// findFoldDropped when it vanishes, findFoldSlow when it does not fold to
// a single character (the whole text then goes through foldForFind).
constexpr char32_t findFoldPointsEnd = 0x500;
constexpr char32_t findFoldDropped = 0;
constexpr char32_t findFoldSlow = 0xFFFFFFFF;
const std::array<char32_t, findFoldPointsEnd>& findFoldPoints();

// The pairs of characters that foldForFind maps one to one after lowering:
// each accented lower-case letter of the Latin, Greek and Cyrillic blocks
// and its base letter, then the combining accents (with no partner, so
// dropped), for stores that fold with a translation table.
struct FindFoldTable {
    QString from;
    QString to;
};
const FindFoldTable& findFoldTable();

} // namespace gearlog
