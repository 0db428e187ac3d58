#pragma once

// The scratch folders that earlier runs left in %TEMP% because their
// supervisor was itself ended (Task Manager's End task, a sign-out): each
// holds the journal with that run's settings from before and its last
// writes. A run puts back what such a run changed, by the supervisor's own
// rule, before it takes its own snapshot.
#include <string>
#include <vector>

namespace tovel::selftest {

// The prefix of every scratch folder's name.
inline constexpr char16_t kScratchPrefix[] = u"Tovel-selftest-";

// Called while this run holds the run guard, so no other supervisor of this
// session runs; a folder is taken only when the supervisor that made it has
// ended as well (another session's run holds another guard). Answers one
// line per folder put back and removed, for the console and the report.
std::vector<std::string> RecoverEarlierRuns(const std::u16string& temp);

}  // namespace tovel::selftest
