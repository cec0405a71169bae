#pragma once

#include <QString>

// Version texts as the maker's server and the program files give them:
// numbers joined by points ("1.24"). Plain code: the version check and the
// updater check compare here.
namespace UpdateVersion {

// The text without the white space around it; a reply with a line break after
// the number is the same version.
QString cleaned(const QString& text);

// True for one to four numbers joined by points, white space around ignored.
bool isVersion(const QString& text);

// True when candidate is a later version than current. The numbers are
// compared one by one from the left, so 2.0 is later than 1.10 and 1.25 later
// than 1.24; a missing number counts as 0 (1.2 equals 1.2.0). A candidate that
// is not a version is never later; a current text that is not a version is
// older than any version.
bool isNewer(const QString& candidate, const QString& current);

// The version with its points removed ("1.24" gives "124"): the form the
// updater check writes to the log.
QString withoutPoints(const QString& version);

} // namespace UpdateVersion
