// Files written under a passing name and then moved into place in one step, so that a
// reader sees the final file either absent or whole.
#pragma once

#include "values/Text.h"

// Creates a new, empty file in the directory of `path`, named after it and never one that
// already exists. Its path, or an empty text when no file can be made there.
Text CreateTemporaryFileBeside(const Text& path);

// Moves `from` onto `to` in one step, replacing what is there. False when it cannot.
bool MoveFileIntoPlace(const Text& from, const Text& to);

void RemoveFile(const Text& path);
