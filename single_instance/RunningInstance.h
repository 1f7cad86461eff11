#pragma once

// Whether another copy of this program runs that should be the one to stay.

#include <span>
#include <string>
#include <string_view>

#include "single_instance/ProcessTable.h"

namespace tavelo::single_instance {

// The bare file name of an executable as the system names it: what follows the last '/', without the
// " (deleted)" the kernel appends once the file was removed or replaced (a copy still running from a
// build that has since been redone is still a copy).
std::string BareImageName(std::string_view imagePath);

// True when one of `processes` other than `self` was started from an executable with exactly our bare
// file name (letter case significant) and started before us: earlier start time, or the same clock tick
// and a lower process id. That order is the same from every copy's point of view, so of copies started
// at the same moment exactly the first stays; a copy started under another file name is not counted, and
// neither is a process whose executable can't be read. When our own executable can't be read nothing is.
bool EarlierCopyRuns(const ProcessEntry& self, std::span<const ProcessEntry> processes);

}  // namespace tavelo::single_instance
