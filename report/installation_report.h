// What an uninstall record names, each item with its state now, read by the
// uninstaller's own rules (line lists, the environment table, the
// comparisons) but without changing anything: a missing record is reported
// as missing, never created.
#pragma once
#include <string>
#include <vector>

#include "report/report_lines.h"

namespace report {

// The items of the record keyName in the order that the uninstaller works
// through them: the FILES entries with their counters, the product
// registration's values, the include file and its define lines (only while
// sub-products remain after the withdrawal, as only then the uninstaller
// reads "FolderName"), the FOLDERS entries deepest first, the contents file
// and the line that each INSTALLEDHELPS entry removes, the record itself, the
// program file with its counter and "$delme.bat". The program file is
// programPath, or when that is empty the first word of the record's
// UninstallString (no program lines without either). What the uninstaller
// would fail on reading is the item's state, never an error.
std::vector<ReportLine> ReportInstallation(const std::string& keyName, const std::string& programPath);

// The record's UninstallString (or the command value of that name, as
// "QuietUninstallString"); empty when it or the record is missing.
std::string UninstallCommand(const std::string& keyName, const char* valueName = "UninstallString");

// The items of an earlier report, in its order, each with its state now.
std::vector<ReportLine> ReportAgain(const std::vector<ReportLine>& earlier);

}  // namespace report
