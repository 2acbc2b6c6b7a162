// The benchmark's run of the player: the open file played to its end with
// the window shown, then what the display step cost, written to a file.
#pragma once
#include "player_screen_view.h"

// Plays from the first picture to the end; false when it did not end within
// the time limit, the player went meanwhile, or the figures could not be
// written.
bool RunBenchmark(view::PlayerScreenView& view, const wchar_t* out_path);
