#pragma once

#include <QFlags>

namespace korvex {

// What the core is doing besides waiting for the user. None of them: idle.
// The command table lets a command run only while every state that holds is
// one the command is declared to run in.
enum class CoreState : unsigned {
    Converting = 0x1,   // a split, join or Find Silences works on the list
    Playing = 0x2,      // the preview player plays an entry
    Adding = 0x4,       // files are being measured into the list
};
Q_DECLARE_FLAGS(CoreStates, CoreState)
Q_DECLARE_OPERATORS_FOR_FLAGS(CoreStates)

namespace runs_while {
// Declared beside each command in the table.
inline constexpr CoreStates Idle{};
inline constexpr CoreStates Anything = CoreState::Converting | CoreState::Playing | CoreState::Adding;
inline constexpr CoreStates NotConverting = CoreState::Playing | CoreState::Adding;
} // namespace runs_while

} // namespace korvex
