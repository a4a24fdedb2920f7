#pragma once

#include "app/Tfm_main.h"

#include <memory>

namespace korvex {

// The title a running copy is known by.
extern const QString ApplicationTitle;

// The five windows of a session, made in a fixed order: the main
// window, then the settings dialog, the folder chooser, the about box and the
// tag dialog, all owned by the main window.
struct KorvexWindows
{
    std::unique_ptr<Tfm_main> fm_main;
    Tfm_set *fm_set = nullptr;
    Tfm_dir *fm_dir = nullptr;
    Tfm_about *fm_about = nullptr;
    Tfm_id3 *fm_id3 = nullptr;
};

KorvexWindows CreateWindows(const MainWindowOptions &options = {});

// The program: `korvex [FILE...]`. Ends at once with 0 when another copy
// runs, after handing that copy the FILEs; else shows the main window with
// the FILEs added until it closes and returns 0.
int RunKorvex(int argc, char **argv);

} // namespace korvex
