#include "foldertree/NaturalOrder.h"

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The digit run starting at `at`, without its leading zeros; `at` moves past it.
QStringView DigitRun(QStringView text, qsizetype& at)
{
    while (at < text.size() && text[at] == u'0')
        ++at;
    const qsizetype start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return text.mid(start, at - start);
}

}  // namespace

int NaturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const QStringView left = DigitRun(a, i);
            const QStringView right = DigitRun(b, j);
            // Without leading zeros, the longer run is the larger number.
            if (left.size() != right.size())
                return left.size() < right.size() ? -1 : 1;
            if (const int digits = left.compare(right); digits != 0)
                return digits;
            continue;
        }
        const char16_t left = a[i].toCaseFolded().unicode();
        const char16_t right = b[j].toCaseFolded().unicode();
        if (left != right)
            return left < right ? -1 : 1;
        ++i;
        ++j;
    }
    const qsizetype leftOver = a.size() - i;
    const qsizetype rightOver = b.size() - j;
    return leftOver == rightOver ? 0 : (leftOver < rightOver ? -1 : 1);
}

bool NaturalLess(QStringView a, QStringView b)
{
    const int natural = NaturalCompare(a, b);
    return natural != 0 ? natural < 0 : a.compare(b) < 0;
}
