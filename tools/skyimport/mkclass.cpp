// MK spectral type parsing and the class-to-luminosity calibration used for stars whose
// parallax is unusable.
#include "mkclass.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace sky {
namespace {

constexpr const char* kClassLetters = "OBAFGKMNRSC";
constexpr const char* kWhiteDwarfLetters = "ABCFGQXZ";

int classIndex(char c) {
    const char* p = c ? std::strchr(kClassLetters, c) : nullptr;
    return p ? static_cast<int>(p - kClassLetters) : -1;
}

// Reads a Roman luminosity class at s[i] ("Iab", "IIIb", "V", ...); 0 if none starts there.
int luminosityAt(const std::string& s, size_t i) {
    size_t j = i;
    while (j < s.size() && (s[j] == 'I' || s[j] == 'V')) ++j;
    std::string roman = s.substr(i, j - i);
    char a = j < s.size() ? s[j] : 0;
    char b = j + 1 < s.size() ? s[j + 1] : 0;
    if (roman == "I") {
        if (a == 'a' && b == 'b') return 1;  // Iab: no code of its own, shown as I
        if (a == 'a') return 6;
        if (a == 'b') return 7;
        return 1;
    }
    if (roman == "II") return a == 'a' ? 8 : a == 'b' ? 9 : 2;
    if (roman == "III") return a == 'a' ? 10 : a == 'b' ? 11 : 3;
    if (roman == "IV") return 4;
    if (roman == "V") return 5;
    return 0;  // VI (subdwarf) and anything else: no class
}

}  // namespace

uint16_t spectralCode(const std::string& typeText) {
    std::string s;
    for (char c : typeText)
        if (c != ' ' && c != '(' && c != ')' && c != '[' && c != ']' && c != ':') s += c;
    if (s.empty()) return kNoSpectralCode;

    // White dwarfs: D, the first class letter, the temperature digit.
    if (s[0] == 'D' && s.size() > 1 && std::strchr("ABCOQZX", s[1])) {
        const char* p = std::strchr(kWhiteDwarfLetters, s[1]);
        int c = p ? static_cast<int>(p - kWhiteDwarfLetters) : 15;
        int sub = 15;
        for (size_t i = 2; i < s.size(); ++i)
            if (std::isdigit(static_cast<unsigned char>(s[i]))) { sub = s[i] - '0'; break; }
            else if (!std::isalpha(static_cast<unsigned char>(s[i]))) break;
        return static_cast<uint16_t>(0x8000 | c << 4 | sub);
    }
    if (s[0] == 'W' && s.size() > 1) {
        if (s[1] == 'N') return 0x4000;
        if (s[1] == 'C') return 0x4001;
        if (s[1] == 'R' || s[1] == 'O') return 0x4002;
        return kNoSpectralCode;
    }

    int kind = 0, lum = 0;
    size_t i = 0;
    if (s.compare(0, 2, "sd") == 0) i = 2;                      // subdwarf: no luminosity code
    else if (s[0] == 'd' && classIndex(s.size() > 1 ? s[1] : 0) >= 0) { kind = 1; i = 1; }
    else if (s[0] == 'g' && classIndex(s.size() > 1 ? s[1] : 0) >= 0) { lum = 3; i = 1; }
    else if (s[0] == 'c' && classIndex(s.size() > 1 ? s[1] : 0) >= 0) { lum = 1; i = 1; }
    else if (s[0] == 'k' && s.find('h') != std::string::npos) i = s.find('h') + 1;  // Am: hydrogen type
    int c = classIndex(i < s.size() ? s[i] : 0);
    if (c < 0) return kNoSpectralCode;
    ++i;
    if (c == 10 && i < s.size() && s[i] == '-') {  // "C-N5", "C-R2": carbon star subtypes
        i += 2;
    }
    int sub = 15;
    if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        sub = s[i] - '0';
        while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
    }
    // The luminosity class: the first Roman numeral before a '+' of a composite spectrum.
    for (size_t j = i; j < s.size() && s[j] != '+'; ++j) {
        if (s[j] == 'I' || s[j] == 'V') {
            int l = luminosityAt(s, j);
            if (l) lum = l;
            break;
        }
    }
    return static_cast<uint16_t>(kind << 12 | lum << 8 | c << 4 | sub);
}

std::string spectralText(uint16_t code) {
    if (code == kNoSpectralCode) return {};
    int k = code >> 12, l = code >> 8 & 15, c = code >> 4 & 15, s = code & 15;
    std::string out;
    if (k == 8) {
        out = "D";
        if (c != 15) out += ".ABCFGQXZ......."[c + 1];
        if (s != 15) out += static_cast<char>('0' + s);
        return out;
    }
    if (k == 4) return (code & 0xFF) == 0 ? "WN" : (code & 0xFF) == 1 ? "WC" : (code & 0xFF) == 2 ? "WR" : "";
    if (k == 1) out = "d";
    if (c == 15) return out;
    out += ".OBAFGKMNRSC...."[c + 1];
    out += static_cast<char>('0' + s);
    static const char* kLum[16] = {"", "I", "II", "III", "IV", "V", "Ia", "Ib", "IIa", "IIb", "IIIa", "IIIb", "", "", "", ""};
    return out + kLum[l];
}

bool absoluteMagnitudeOf(uint16_t code, double& absMag) {
    if (code == kNoSpectralCode) return false;
    int k = code >> 12, l = code >> 8 & 15, c = code >> 4 & 15, s = code & 15;
    if (k == 4) { absMag = -5.0; return true; }
    if (k == 8) { absMag = 11.0; return true; }
    if (c > 10) return false;
    if (c >= 7) { c = 6; s = 5; if (l == 0) l = 3; }  // carbon and S stars: cool giants
    if (s == 15) s = 5;
    // Temperature index t = 10·class + subclass (O0 = 0 ... M9 = 69), calibrated every 5.
    static const double kDwarf[14] = {-6.5, -5.7, -4.0, -1.2, 0.6, 1.9, 2.7, 3.5, 4.4, 5.1, 5.9, 7.4, 8.8, 12.3};
    static const double kGiant[14] = {-6.5, -6.0, -5.0, -2.2, 0.0, 0.7, 1.5, 1.6, 1.0, 0.9, 0.7, -0.2, -0.4, -0.8};
    static const double kSuper[14] = {-6.9, -6.8, -6.4, -6.2, -6.3, -6.6, -6.6, -6.6, -6.4, -6.2, -6.0, -5.8, -5.6, -5.6};
    double t = std::fmin(65.0, c * 10.0 + s);
    int n = static_cast<int>(t / 5.0);
    if (n > 12) n = 12;
    double f = (t - n * 5.0) / 5.0;
    auto at = [&](const double* table) { return table[n] + (table[n + 1] - table[n]) * f; };
    double dwarf = at(kDwarf), giant = at(kGiant), super = at(kSuper);
    switch (l) {
        case 1: absMag = super; break;
        case 6: absMag = super - 1.0; break;
        case 7: absMag = super + 1.3; break;
        case 2: case 8: case 9: absMag = (giant + super + 1.3) / 2; break;
        case 3: case 10: case 11: absMag = giant; break;
        case 4: absMag = (giant + dwarf) / 2; break;
        default: absMag = dwarf; break;  // V, and no class given: taken as a dwarf
    }
    return true;
}

}  // namespace sky
