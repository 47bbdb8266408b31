#pragma once

#include <string>
#include <string_view>

#include "base/profile_file.h"
#include "base/program_paths.h"
#include "base/result.h"

// The program's own values in the settings file "_nustatymai.ini", typed: the position of the
// payer selected last, the last workplace name and the program's version (which the installed
// program keeps beside its template instead). The window and kolvira-cli read them alike.
// Every call goes straight to the file, as ProfileFile does.
class ProgramSettings {
  public:
    explicit ProgramSettings(const ProgramPaths& paths)
        : file_(paths.settingsFile()), versionFile_(paths.versionFile()) {}

    // The 0-based position stored under "asmuo"; 0 when it is absent or not a decimal integer.
    // A negative or too large position is returned as stored: it selects no payer.
    int payerPosition() const;
    Result<void> setPayerPosition(int position) const;

    // The last workplace name used ("darbo_vieta"); empty when none is stored.
    std::string workplace() const;
    Result<void> setWorkplace(std::string_view name) const;

    // The program's version ("VERSIJA"/"nr"), free text; empty when the entry is missing.
    std::string programVersion() const;

    // The file itself, for the automatic counterpart counter of a generation run.
    const ProfileFile& file() const { return file_; }

  private:
    ProfileFile file_;
    ProfileFile versionFile_;
};
