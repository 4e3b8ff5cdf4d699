#pragma once
#include <cstddef>
#include <vector>

namespace kx::test {

// The candidate frequency (Hz) that carries most of the signal's energy,
// measured with the Goertzel filter; 0 when there are no samples or no
// candidate holds a quarter of the energy (silence, noise, a tone that is
// not among the candidates).
double DominantTone(const float* samples, size_t count, int rate, const std::vector<double>& candidates);

// Share (0 … 1) of the signal's energy at `frequency`; a pure sine at that
// frequency gives about 1.
double ToneShare(const float* samples, size_t count, int rate, double frequency);

}  // namespace kx::test
