#pragma once

namespace varnel::sim {

// The standard serial rate closest to rate (ties go to the lower one).
unsigned NearestStandardRate(unsigned rate);

}  // namespace varnel::sim
