#pragma once
// Windows only: opening a report by the UTF-16 name that a drop or the file chooser gives.

#include <optional>
#include <string>

#include "scanner/report_file.h"

namespace talvorix {

/// Opens a report by a UTF-16 name, so that no name is bent to fit the system's code
/// page; nullopt as ReportFile::Open.
std::optional<ReportFile> OpenWideNamedReport(const std::wstring& path);

}  // namespace talvorix
