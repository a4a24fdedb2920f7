#include "components/MuxedComments.h"

#include "components/KorvexError.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace korvex {

void SetMuxedComments(AVDictionary **metadata, const MuxedComments &comments)
{
    for (const auto &[field, value] : comments) {
        if (av_dict_set(metadata, field.toUtf8().constData(), value.toUtf8().constData(), 0) < 0)
            throw KorvexError(QStringLiteral("Out of memory while naming the comment %1.").arg(field));
    }
}

} // namespace korvex
