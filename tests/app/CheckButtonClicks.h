// The window tests' own check run: it only counts the clicks that reach it.
#pragma once

int CheckButtonClicks();
void ResetCheckButtonClicks();
