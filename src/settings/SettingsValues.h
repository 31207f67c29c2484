#pragma once
// The entries of a settings file without a window, for the command-line tool: the same keys, the same
// defaults (the window's initial values, those of TJobEntries) and the same errors as the window's start.

#include <filesystem>

#include "dvTools/dvIniTools.h"
#include "toolpath/FacingJob.h"

// Reads the entries of the settings file at `path` into `entries`; keys that are missing keep their
// value. A missing file is an error here ("Ini file:<path> not found."): it was asked for by name. The
// language pack that the file may name is not loaded.
void ReadSettingsFile(const std::filesystem::path& path, TJobEntries& entries,
                      char decimalSeparator = DefaultDecimalSeparator());
