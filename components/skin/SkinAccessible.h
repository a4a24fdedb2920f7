#pragma once

namespace korvex {

// Makes the skin's objects known to screen readers and other assistive
// tools: buttons as push buttons named by their caption or tooltip, with a
// "press" action; sliders as sliders with their position as value; texts,
// labels and the bar as labels reading what they show; the waveform as a
// picture. Installed once per program; later calls do nothing.
void InstallSkinAccessibility();

} // namespace korvex
