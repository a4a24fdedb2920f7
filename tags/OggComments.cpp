#include "tags/Ogg.h"

#include "tags/TagText.h"

#include <vorbis/codec.h>

namespace korvex {

namespace {

// Printable ASCII without "=" and "~", the characters a field name may hold.
bool isNameCharacter(char c)
{
    const auto code = static_cast<uchar>(c);
    return code >= 0x20 && code <= 0x7D && code != 0x3D;
}

bool isValidName(QByteArrayView name)
{
    for (char c : name) {
        if (!isNameCharacter(c))
            return false;
    }
    return true;
}

TStrComment commentOf(QByteArrayView bytes)
{
    TStrComment comment;
    const qsizetype equals = bytes.indexOf('=');
    if (equals < 0 || !isValidName(bytes.first(equals))) {
        comment.Value = QString::fromUtf8(bytes);
        comment.Full = comment.Value;
        return comment;
    }
    comment.Name = QString::fromLatin1(bytes.first(equals));
    comment.Value = QString::fromUtf8(bytes.sliced(equals + 1));
    comment.Full = comment.Name.isEmpty() ? comment.Value : comment.Name + QLatin1Char('=') + comment.Value;
    return comment;
}

QString asciiLower(const QString &text)
{
    QString lower = text;
    for (QChar &c : lower) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return lower;
}

} // namespace

TStrComments GetStrComments(const vorbis_comment &comments)
{
    TStrComments list;
    if (!comments.user_comments || !comments.comment_lengths || comments.comments <= 0)
        return list;
    list.reserve(comments.comments);
    for (int i = 0; i < comments.comments; ++i) {
        const char *text = comments.user_comments[i];
        const int length = comments.comment_lengths[i];
        list.append(commentOf(text && length > 0 ? QByteArrayView(text, length) : QByteArrayView()));
    }
    return list;
}

OGGTag OggTagFromComments(const TStrComments &comments)
{
    std::array<QString, OggCommentKeys.size()> values;
    for (const TStrComment &comment : comments) {
        const QString name = asciiLower(comment.Name);
        for (std::size_t k = 0; k < OggCommentKeys.size(); ++k) {
            if (name == QLatin1String(OggCommentKeys[k])) {
                values[k] = comment.Value;
                break;
            }
        }
    }
    OGGTag tag;
    QString *fields[] = {&tag.Album, &tag.Title, &tag.Artist, &tag.Comment, &tag.Genre, &tag.Date,
                         &tag.TrackNumber};
    for (std::size_t k = 0; k < values.size(); ++k)
        *fields[k] = TrimTagText(values[k]);
    return tag;
}

} // namespace korvex
