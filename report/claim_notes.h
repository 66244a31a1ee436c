// What the next run makes of the entries that an earlier run left in doubt
// (uninstall/list_to_do.h): the tail of an installation report's note on
// that run's count.
#pragma once
#include <string>

#include "platform/line_list.h"
#include "uninstall/done_count.h"

namespace report {

// "; it claimed the next K: ..." for a claim of the list listName, whose
// entries list holds, stored after done entries: for FILES, by each
// counter now, how many a run finds done and which it keeps; for
// INSTALLEDHELPS, by the contents file's bytes (contents; null where the
// file cannot be read), how many a run finds done and, where the text is
// none of the claim's, the entries it keeps. For a count of the first form
// with entries done, that the next entry is kept. Empty where nothing is in
// doubt. Changes nothing.
std::string DoubtNote(const char* listName, const platform::LineList& list, int done, const uninstall::DoneClaim& stored,
                      const std::string* contents);

}  // namespace report
