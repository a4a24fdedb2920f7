#include "tags/TagText.h"

namespace korvex {

QString TrimTagText(const QString &text)
{
    auto isTrimmed = [](QChar c) { return c.unicode() <= 32; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString FitField(const QString &text, int width)
{
    const qsizetype terminator = text.indexOf(QChar(0));
    QString fitted = terminator < 0 ? text : text.left(terminator);
    if (fitted.size() > width - 1) {
        fitted.truncate(width - 1);
        if (!fitted.isEmpty() && fitted.back().isHighSurrogate())
            fitted.chop(1);
    }
    return fitted;
}

} // namespace korvex
