#pragma once

// Korvex's Vorbis comment library: reads the three header packets of an Ogg
// Vorbis stream through caller-supplied callbacks and hands out libvorbis's
// own comment structure. Built as a module that the reader loads per call.

#include <stddef.h>
#include <vorbis/codec.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef size_t (*vcedit_read_func)(void *buffer, size_t size, size_t count, void *datasource);
typedef size_t (*vcedit_write_func)(const void *buffer, size_t size, size_t count, void *datasource);

struct vcedit_private;

typedef struct vcedit_state
{
    // Why the last vcedit_open_callbacks failed; static text owned by the
    // library, NULL while nothing has failed.
    const char *lasterror;
    struct vcedit_private *priv;
} vcedit_state;

vcedit_state *vcedit_new_state(void);
// 0 when the stream's Vorbis headers were read, -1 otherwise (see lasterror).
int vcedit_open_callbacks(vcedit_state *state, void *datasource, vcedit_read_func read,
                          vcedit_write_func write);
// The comments of the opened stream; valid until vcedit_clear. NULL before a
// successful open.
vorbis_comment *vcedit_comments(vcedit_state *state);
void vcedit_clear(vcedit_state *state);

#ifdef __cplusplus
}

namespace korvex::vcedit {
// Exported names, shared by the module and the reader that resolves them.
inline constexpr const char *NewStateSymbol = "vcedit_new_state";
inline constexpr const char *OpenCallbacksSymbol = "vcedit_open_callbacks";
inline constexpr const char *CommentsSymbol = "vcedit_comments";
inline constexpr const char *ClearSymbol = "vcedit_clear";
} // namespace korvex::vcedit
#endif
