#pragma once
// The reason of a file error (core/files.h) for the window, in its language: the file unit's own
// reasons translated, the system's reasons as the system words them.
#include <string>

#include "core/files.h"

std::string FileErrorText(const files::Error& error);
