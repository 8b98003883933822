// Spectral classification: MK type strings to the catalogue's 16-bit spectral code, and the
// absolute magnitude a spectral class implies.
//
// Code layout: bits 12-15 kind (0 ordinary, 1 with the old "d" dwarf prefix, 4 Wolf-Rayet,
// 8 white dwarf), bits 8-11 luminosity class (1 I, 2 II, 3 III, 4 IV, 5 V, 6 Ia, 7 Ib, 8 IIa,
// 9 IIb, 10 IIIa, 11 IIIb; 0 none), bits 4-7 class letter (O B A F G K M N R S C = 0..10),
// bits 0-3 subclass digit (15 unknown, shown as "?"). 0xFFFF: no usable type.
#pragma once

#include <cstdint>
#include <string>

namespace sky {

inline constexpr uint16_t kNoSpectralCode = 0xFFFF;

uint16_t spectralCode(const std::string& mkType);

// Short text of a code as the program shows it, for checks and reports.
std::string spectralText(uint16_t code);

// Typical absolute visual magnitude of a star of that class (Schmidt-Kaler's calibration in
// Landolt-Börnstein VI/2b, smoothed; supergiants flattened at about -6.5). Returns false when the
// code carries no class letter to go by (no type, Wolf-Rayet handled as -5, white dwarfs +11).
bool absoluteMagnitudeOf(uint16_t code, double& absMag);

}  // namespace sky
