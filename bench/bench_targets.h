#pragma once

#include "bench_options.h"
#include "bench_report.h"

#include <vector>

namespace filarion::bench {

// The targets that this run's options can measure: those of the groups chosen at the sizes they need, and the
// per-file scales only when more than one size is measured. leftOut: how many others there are.
std::vector<Target> targets(const Options& options, int& leftOut);

} // namespace filarion::bench
