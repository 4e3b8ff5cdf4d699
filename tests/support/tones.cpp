#include "tones.h"

#include <cmath>
#include <numbers>

namespace kx::test {
namespace {

constexpr double kDominantShare = 0.25;

}  // namespace

double ToneShare(const float* samples, size_t count, int rate, double frequency) {
  if (!samples || count == 0 || rate <= 0) return 0;
  double coeff = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
  double s1 = 0, s2 = 0, energy = 0;
  for (size_t i = 0; i < count; ++i) {
    double s0 = samples[i] + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
    energy += double(samples[i]) * samples[i];
  }
  if (energy <= 0) return 0;
  double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;  // |X(f)|^2
  // A sine of amplitude A gives |X|^2 = (A N / 2)^2 and energy A^2 N / 2.
  return 2 * power / (double(count) * energy);
}

double DominantTone(const float* samples, size_t count, int rate, const std::vector<double>& candidates) {
  double best = 0, bestShare = kDominantShare;
  for (double f : candidates) {
    double share = ToneShare(samples, count, rate, f);
    if (share > bestShare) {
      best = f;
      bestShare = share;
    }
  }
  return best;
}

}  // namespace kx::test
