// Ids of the dialog template "Removing files" and its controls among the
// program's resources (used by the .rc too).
#pragma once

#define IDD_PROGRESS 104       // the template
#define IDC_PROGRESS_BAR 1000  // its progress bar
#define IDC_FILE_NAME 1001     // its line with the file being processed
