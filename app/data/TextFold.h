#pragma once

#include <QStringView>

namespace gearlog {

// How Gearlog compares text without regard to case, the same in every
// place: the find in memory, the order of a cursor, and the stores' own
// comparisons. Each character is case-folded (Unicode simple folding, so
// "Über" equals "über"), then the texts order by code point.
int compareFolded(QStringView a, QStringView b);

// The same for UTF-8 bytes, as the file store's collation receives them.
int compareFoldedUtf8(const char* a, int aBytes, const char* b, int bBytes);

} // namespace gearlog
