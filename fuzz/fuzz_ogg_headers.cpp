// The comment library on Ogg streams: page sync, the three Vorbis header
// packets, then the comment list, through the reader's own callbacks. The
// first byte chooses the input: raw bytes as the file, or packets that the
// target wraps into well-formed pages (with valid checksums) so that the
// fuzzer reaches the header parsing behind libogg's checks.
#include "tags/Ogg.h"
#include "tags/vcedit/vcedit.h"

#include <QBuffer>

#include <fuzzer/FuzzedDataProvider.h>
#include <ogg/ogg.h>

#include <string>

namespace {

QByteArray paginate(FuzzedDataProvider &input)
{
    ogg_stream_state stream;
    ogg_stream_init(&stream, input.ConsumeIntegral<int>());
    QByteArray bytes;
    const auto drain = [&](bool flush) {
        ogg_page page;
        while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
            bytes.append(reinterpret_cast<const char *>(page.header), page.header_len);
            bytes.append(reinterpret_cast<const char *>(page.body), page.body_len);
        }
    };
    for (int packetNumber = 0; packetNumber < 4 && input.remaining_bytes() > 0; ++packetNumber) {
        std::string data = input.ConsumeRandomLengthString(8192);
        ogg_packet packet{};
        packet.packet = reinterpret_cast<unsigned char *>(data.data());
        packet.bytes = long(data.size());
        packet.b_o_s = packetNumber == 0;
        packet.packetno = packetNumber;
        ogg_stream_packetin(&stream, &packet);
        drain(input.ConsumeBool());
    }
    drain(true);
    ogg_stream_clear(&stream);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool packets = input.ConsumeBool();
    QBuffer buffer;
    if (packets) {
        buffer.setData(paginate(input));
    } else {
        const std::string raw = input.ConsumeRemainingBytesAsString();
        buffer.setData(raw.data(), qsizetype(raw.size()));
    }
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
