#include "TextFold.h"

#include <QString>
#include <algorithm>
#include <utility>

namespace gearlog {

namespace {

// The next code point of the text, folded; advances i.
char32_t nextFolded(QStringView text, qsizetype& i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode())) {
        c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
        ++i;
    }
    ++i;
    return QChar::toCaseFolded(c);
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

} // namespace

int compareFolded(QStringView a, QStringView b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = nextFolded(a, i), y = nextFolded(b, j);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

int compareFoldedUtf8(const char* a, int aBytes, const char* b, int bBytes) {
    // Plain ASCII, by far the most common, is compared on the bytes.
    const int n = std::min(aBytes, bBytes);
    int k = 0;
    for (; k < n; ++k) {
        const auto x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
        if (x >= 0x80 || y >= 0x80)
            break;
        const char lx = asciiLower(static_cast<char>(x)), ly = asciiLower(static_cast<char>(y));
        if (lx != ly)
            return lx < ly ? -1 : 1;
    }
    if (k == n)
        return aBytes == bBytes ? 0 : (aBytes < bBytes ? -1 : 1);
    return compareFolded(QString::fromUtf8(a + k, aBytes - k),
                         QString::fromUtf8(b + k, bBytes - k));
}

QString foldForFind(QStringView text) {
    const QString parts = text.toString().normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(parts.size());
    for (const QChar c : parts) {
        const QChar::Category kind = c.category();
        if (kind != QChar::Mark_NonSpacing && kind != QChar::Mark_SpacingCombining &&
            kind != QChar::Mark_Enclosing)
            folded += c;
    }
    folded = folded.toLower();
    // Letters drawn with a stroke have no decomposition, yet people type
    // them without it ("Tromso" for Tromsø).
    static constexpr std::pair<char16_t, char16_t> stroked[] = {
        {u'\u00f8', u'o'}, {u'\u0142', u'l'}, {u'\u0111', u'd'},
        {u'\u0127', u'h'}, {u'\u0167', u't'}, {u'\u0131', u'i'}};
    for (QChar& c : folded)
        for (const auto& [letter, base] : stroked)
            if (c.unicode() == letter)
                c = QChar(base);
    return folded;
}

const std::array<char32_t, findFoldPointsEnd>& findFoldPoints() {
    static const std::array<char32_t, findFoldPointsEnd> points = [] {
        std::array<char32_t, findFoldPointsEnd> p{};
        for (char16_t u = 0; u < findFoldPointsEnd; ++u) {
            const QChar c(u);
            const QString f = foldForFind(QStringView(&c, 1));
            p[u] = f.isEmpty()                            ? findFoldDropped
                   : f.size() == 1 && !f[0].isSurrogate() ? f[0].unicode()
                                                          : findFoldSlow;
        }
        return p;
    }();
    return points;
}

const FindFoldTable& findFoldTable() {
    static const FindFoldTable table = [] {
        FindFoldTable t;
        const auto& points = findFoldPoints();
        // Latin-1 to Latin Extended-B, Greek and Cyrillic.
        for (char16_t u = 0xC0; u < findFoldPointsEnd; ++u) {
            const QChar c(u);
            if (c.toLower() != c)
                continue; // lowered before the table applies
            if (points[u] != findFoldDropped && points[u] != findFoldSlow && points[u] != u) {
                t.from += c;
                t.to += QChar(static_cast<char16_t>(points[u]));
            }
        }
        // Accents taken apart from their letters (and the dot lowering
        // leaves on an "i"): in `from` with nothing in `to`, so dropped.
        for (char16_t u = 0x300; u < 0x370; ++u)
            t.from += QChar(u);
        return t;
    }();
    return table;
}

} // namespace gearlog
