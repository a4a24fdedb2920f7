// The comment library on arbitrary bytes: Ogg page sync, the three Vorbis
// header packets, then the comment list, through the reader's own callbacks.
#include "tags/Ogg.h"
#include "tags/vcedit/vcedit.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    QIODevice *stream = &buffer;
    vcedit_state *state = vcedit_new_state();
    if (vcedit_open_callbacks(state, &stream, korvex::OggReadCallback, korvex::OggWriteCallback) == 0) {
        if (const vorbis_comment *comments = vcedit_comments(state))
            (void)korvex::OggTagFromComments(korvex::GetStrComments(*comments));
    } else if (!state->lasterror) {
        __builtin_trap();  // a failed open must say why
    }
    vcedit_clear(state);
    return 0;
}
