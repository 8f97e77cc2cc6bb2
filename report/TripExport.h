// A trip written to a file for other programs: GPX 1.1 and KML 2.2 through
// the platform's XML writer (TXmlDocument), times in UTC, or CSV for
// spreadsheets (core's TrackCsv). Each file is written to a temporary file
// beside the target, which then replaces it: a failure leaves no
// half-written file and the old one, if any, whole.
//
// Plain functions over what they are given; nothing is kept. Call on a
// thread with COM initialised.
#pragma once

#include <string>

#include "kx/datetime.h"
#include "kx/track.h"

enum class TExportFormat { Gpx = 1, Kml = 2, Csv = 3 };  // the save dialog's filter order

// What the files say of the trip besides its points.
struct TTripDescription {
    std::wstring vehicleName, vehicleNumber;
    int tripNumber = 0;
};

// The save dialog's filter ("GPX 1.1 (*.gpx)\0*.gpx\0..."), in TExportFormat's order.
const std::wstring &ExportFilter();
// The format a file name's extension names, else the dialog's choice.
TExportFormat ExportFormatFor(const std::wstring &path, int filterIndex);
// The name offered in the save dialog.
std::wstring SuggestedExportName(const TTripDescription &trip, TExportFormat format);

// A local time of this machine as UTC, with the daylight saving rules of
// its date: the reverse of the moving of GPX times into the machine's zone.
double LocalToUtc(double local);

// Throws kx::Error with a Russian text naming the file when it cannot be
// written; `decimalSeparator` is the CSV's.
void ExportTrip(const kx::Track &track, const TTripDescription &trip, TExportFormat format, const std::wstring &path,
                char decimalSeparator);
