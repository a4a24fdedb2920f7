#include "tags/vcedit/vcedit.h"

#include <ogg/ogg.h>

#include <new>

namespace {

constexpr size_t ChunkSize = 4096;
// How far into a file the first Ogg page is looked for before giving up: a
// large file of another kind must not be read to its end.
constexpr size_t FirstPageSearchLimit = 64 * 1024;
constexpr int VorbisHeaderCount = 3;

} // namespace

struct vcedit_private
{
    ogg_sync_state sync{};
    ogg_stream_state stream{};
    vorbis_info info{};
    vorbis_comment comment{};
    bool streamOpen = false;
    bool headersRead = false;
    void *datasource = nullptr;
    vcedit_read_func read = nullptr;
    vcedit_write_func write = nullptr;
    size_t bytesRead = 0;

    vcedit_private()
    {
        ogg_sync_init(&sync);
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }

    ~vcedit_private()
    {
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
        if (streamOpen)
            ogg_stream_clear(&stream);
        ogg_sync_clear(&sync);
    }

    // 1 with a page, 0 at the end of the input or past `limit` bytes.
    int nextPage(ogg_page *page, size_t limit)
    {
        for (;;) {
            const int result = ogg_sync_pageout(&sync, page);
            if (result == 1)
                return 1;
            if (result < 0)
                continue;  // bytes skipped while regaining sync
            if (bytesRead >= limit)
                return 0;
            char *buffer = ogg_sync_buffer(&sync, ChunkSize);
            size_t got = buffer ? read(buffer, 1, ChunkSize, datasource) : 0;
            if (got == 0 || got > ChunkSize)
                return 0;
            ogg_sync_wrote(&sync, long(got));
            bytesRead += got;
        }
    }
};

namespace {

int fail(vcedit_state *state, const char *why)
{
    state->lasterror = why;
    return -1;
}

bool takeHeader(vcedit_private &p, ogg_packet *packet)
{
    return vorbis_synthesis_headerin(&p.info, &p.comment, packet) >= 0;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) vcedit_state *vcedit_new_state(void)
{
    auto *state = new (std::nothrow) vcedit_state{nullptr, nullptr};
    if (state)
        state->priv = new (std::nothrow) vcedit_private;
    if (state && !state->priv) {
        delete state;
        return nullptr;
    }
    return state;
}

__attribute__((visibility("default"))) int vcedit_open_callbacks(vcedit_state *state, void *datasource,
                                                                 vcedit_read_func read,
                                                                 vcedit_write_func write)
{
    if (!state || !state->priv || !read)
        return -1;
    vcedit_private &p = *state->priv;
    if (p.streamOpen)
        return fail(state, "Stream already opened.");
    p.datasource = datasource;
    p.read = read;
    p.write = write;

    ogg_page page;
    if (p.nextPage(&page, FirstPageSearchLimit) != 1)
        return fail(state, p.bytesRead < ChunkSize ? "Input truncated or empty." : "Input is not an Ogg bitstream.");
    ogg_stream_init(&p.stream, ogg_page_serialno(&page));
    p.streamOpen = true;

    int headers = 0;
    ogg_packet packet;
    for (;;) {
        if (ogg_stream_pagein(&p.stream, &page) == 0) {
            int result;
            while (headers < VorbisHeaderCount && (result = ogg_stream_packetout(&p.stream, &packet)) != 0) {
                if (result < 0 || !takeHeader(p, &packet))
                    return fail(state, headers == 0 ? "Ogg bitstream does not contain Vorbis data."
                                                    : "Corrupt secondary header.");
                ++headers;
            }
        } else if (headers == 0) {
            return fail(state, "Error reading first page of Ogg bitstream.");
        }
        if (headers == VorbisHeaderCount)
            break;
        if (p.nextPage(&page, size_t(-1)) != 1)
            return fail(state, headers == 0 ? "Ogg bitstream does not contain Vorbis data."
                                            : "EOF before end of Vorbis headers.");
    }
    p.headersRead = true;
    return 0;
}

__attribute__((visibility("default"))) vorbis_comment *vcedit_comments(vcedit_state *state)
{
    if (!state || !state->priv || !state->priv->headersRead)
        return nullptr;
    return &state->priv->comment;
}

__attribute__((visibility("default"))) void vcedit_clear(vcedit_state *state)
{
    if (!state)
        return;
    delete state->priv;
    delete state;
}

} // extern "C"
