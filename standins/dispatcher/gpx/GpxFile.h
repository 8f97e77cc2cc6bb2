// A GPX file read through the platform's XML parser (TXmlDocument: DTDs
// refused, no external entity resolved; character references and the
// declared encoding are the parser's business) and imported: its points'
// texts checked by kxfleet/Gpx.h, their UTC times moved into the machine's
// time zone, and the lines that tell the user what became of the file.
//
// Ownership: plain values; what the functions return belongs to the caller.
// Call on a thread with COM initialised.
#pragma once

#include <string>
#include <vector>

#include "kxfleet/Fleet.h"
#include "kxfleet/Gpx.h"

struct GpxDocument {
    std::string name;                          // the first track's or route's name (UTF-8), may be empty
    std::vector<kxfleet::GpxPointText> points; // every <trkpt> and <rtept>, in the file's order
};
// GPX 1.0 or 1.1, prefixed or not. Throws kx::Error when the file cannot be
// read, is not well-formed, declares a document type or is no GPX.
GpxDocument ReadGpxDocument(const std::wstring &path);

// An OLE date in UTC as the machine's local time, with the daylight saving
// rules of that date.
double UtcToLocal(double utc);
// The system clock as an OLE date in UTC.
double NowUtc();

struct GpxFileImport {
    bool usable = false;          // the vehicle has points to replay
    kxfleet::Vehicle vehicle;     // name and samples (local times); the caller numbers it
    std::vector<std::wstring> report;  // lines for the log, each naming the file: skips, summary, why unused
};
// Never throws: a file that cannot be used says why in its report.
GpxFileImport ImportGpxFile(const std::wstring &path, double nowUtc, const kxfleet::GpxImportOptions &options,
                            const kxfleet::DeriveOptions &derive);
