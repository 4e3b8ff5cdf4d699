#pragma once
#include <mutex>

namespace kx {

// The process-wide lock around a preview offer and around changes of the
// engines' preview flags, so a flag never changes halfway through an offer.
std::mutex& PreviewLock();

}  // namespace kx
