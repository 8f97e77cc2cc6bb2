// The settings file KXSettings.xml: read into plain values, written from
// them. Knows nothing of the panel's controls; the panel moves the values
// between these structures and its controls.
//
// Ownership: a TSettingsFile is a path and nothing more; each call creates,
// uses and frees its own XML document. The caller owns the results.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kx/settings.h"

// How far a read got: every step before `stoppedAt` has its value.
enum class TSettingsStep { LoadKT, LoadIT, IconNum, Restore, Speed, Stops, Cont, Categories, Done };

// The saved group, vehicle and period; each absent when missing or not
// convertible.
struct TSavedSelection {
    std::optional<std::int32_t> groupId, carId;
    std::optional<kx::TDateTime> begin, end;
};

struct TSettingsRead {
    // No file was there and none could be created: nothing read, nothing to say.
    bool absent = false;
    // The file had no categories and was replaced by the default document
    // (the old one kept beside it as KXSettings.xml.bak).
    bool replacedByDefault = false;

    // The values of the steps reached. The restore block's four values are
    // in `restore` instead.
    kx::SettingsValues values;
    TSavedSelection restore;
    // The report window's place: all four values there and sizes above 0,
    // else nothing; read whatever else the file holds.
    std::optional<kx::WindowPlace> reportPlace;
    // With the Categories step reached, values.categories has the table's
    // length and its first `rowsRead` rows filled; later rows are empty.
    int rowsRead = 0;

    TSettingsStep stoppedAt = TSettingsStep::Done;
    std::string error;  // why the read stopped early (UTF-8, for the user)

    bool Reached(TSettingsStep step) const { return !absent && step < stoppedAt; }
    bool TableCounted() const { return !absent && stoppedAt >= TSettingsStep::Categories; }
};

class TSettingsFile {
public:
    explicit TSettingsFile(std::wstring path) : path_(std::move(path)) {}
    const std::wstring &Path() const { return path_; }
    std::wstring BackupPath() const { return path_ + L".bak"; }

    // Creates the default document when there is no file. Throws kx::Error
    // when the file cannot be loaded as XML or has no Settings element
    // (nothing read then, the file untouched); a bad value ends the read at
    // its step, reported in the result.
    TSettingsRead Read() const;

    // Creates the minimal document when there is no file, then replaces the
    // content of Settings with `values`, keeping everything outside it; the
    // report window's place follows the categories when there is one.
    // `keepFileCategories` keeps the file's own InfoPoints element as it is
    // instead of values.categories. The file is replaced in one step: a
    // failure (thrown as kx::Error) leaves the old one whole.
    void Write(const kx::SettingsValues &values, bool keepFileCategories) const;

private:
    std::wstring path_;
};
