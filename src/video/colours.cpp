// The colour tables: black-body star colours from the CIE 1931 colour-matching functions, the
// grey and colour ramps, the small indexed palette and the brightness table of 16-bit displays.
#include <algorithm>
#include <cmath>

#include "video/video.h"

namespace video {

namespace {

// CIE 1931 2° standard observer: x̄, ȳ, z̄ from 380 nm to 775 nm in 5 nm steps.
constexpr int kWavelengths = 80;
constexpr double kFirstWavelength = 380.0;  // nm
constexpr double kWavelengthStep = 5.0;     // nm
constexpr double kColourMatching[kWavelengths][3] = {
    {0.0014, 0.0000, 0.0065}, {0.0022, 0.0001, 0.0105}, {0.0042, 0.0001, 0.0201},  // 380
    {0.0076, 0.0002, 0.0362}, {0.0143, 0.0004, 0.0679}, {0.0232, 0.0006, 0.1102},  // 395
    {0.0435, 0.0012, 0.2074}, {0.0776, 0.0022, 0.3713}, {0.1344, 0.0040, 0.6456},  // 410
    {0.2148, 0.0073, 1.0391}, {0.2839, 0.0116, 1.3856}, {0.3285, 0.0168, 1.6230},  // 425
    {0.3483, 0.0230, 1.7471}, {0.3481, 0.0298, 1.7826}, {0.3362, 0.0380, 1.7721},  // 440
    {0.3187, 0.0480, 1.7441}, {0.2908, 0.0600, 1.6692}, {0.2511, 0.0739, 1.5281},  // 455
    {0.1954, 0.0910, 1.2876}, {0.1421, 0.1126, 1.0419}, {0.0956, 0.1390, 0.8130},  // 470
    {0.0580, 0.1693, 0.6162}, {0.0320, 0.2080, 0.4652}, {0.0147, 0.2586, 0.3533},  // 485
    {0.0049, 0.3230, 0.2720}, {0.0024, 0.4073, 0.2123}, {0.0093, 0.5030, 0.1582},  // 500
    {0.0291, 0.6082, 0.1117}, {0.0633, 0.7100, 0.0782}, {0.1096, 0.7932, 0.0573},  // 515
    {0.1655, 0.8620, 0.0422}, {0.2257, 0.9149, 0.0298}, {0.2904, 0.9540, 0.0203},  // 530
    {0.3597, 0.9803, 0.0134}, {0.4334, 0.9950, 0.0087}, {0.5121, 1.0000, 0.0057},  // 545
    {0.5945, 0.9950, 0.0039}, {0.6784, 0.9786, 0.0027}, {0.7621, 0.9520, 0.0021},  // 560
    {0.8425, 0.9154, 0.0018}, {0.9163, 0.8700, 0.0017}, {0.9786, 0.8163, 0.0014},  // 575
    {1.0263, 0.7570, 0.0011}, {1.0567, 0.6949, 0.0010}, {1.0622, 0.6310, 0.0008},  // 590
    {1.0456, 0.5668, 0.0006}, {1.0026, 0.5030, 0.0003}, {0.9384, 0.4412, 0.0002},  // 605
    {0.8544, 0.3810, 0.0002}, {0.7514, 0.3210, 0.0001}, {0.6424, 0.2650, 0.0000},  // 620
    {0.5419, 0.2170, 0.0000}, {0.4479, 0.1750, 0.0000}, {0.3608, 0.1382, 0.0000},  // 635
    {0.2835, 0.1070, 0.0000}, {0.2187, 0.0816, 0.0000}, {0.1649, 0.0610, 0.0000},  // 650
    {0.1212, 0.0446, 0.0000}, {0.0874, 0.0320, 0.0000}, {0.0636, 0.0232, 0.0000},  // 665
    {0.0468, 0.0170, 0.0000}, {0.0329, 0.0119, 0.0000}, {0.0227, 0.0082, 0.0000},  // 680
    {0.0158, 0.0057, 0.0000}, {0.0114, 0.0041, 0.0000}, {0.0081, 0.0029, 0.0000},  // 695
    {0.0058, 0.0021, 0.0000}, {0.0041, 0.0015, 0.0000}, {0.0029, 0.0010, 0.0000},  // 710
    {0.0020, 0.0007, 0.0000}, {0.0014, 0.0005, 0.0000}, {0.0010, 0.0004, 0.0000},  // 725
    {0.0007, 0.0002, 0.0000}, {0.0005, 0.0002, 0.0000}, {0.0003, 0.0001, 0.0000},  // 740
    {0.0002, 0.0001, 0.0000}, {0.0002, 0.0001, 0.0000}, {0.0001, 0.0000, 0.0000},  // 755
    {0.0001, 0.0000, 0.0000}, {0.0001, 0.0000, 0.0000},                            // 770
};

// Planck's law with the wavelength in nm: M(λ) = c1 / λ⁵ / (exp(c2 / (λ·T)) − 1). Only the ratios
// of X, Y and Z matter, so c1's units cancel.
constexpr double kC1 = 3.74183e-16;
constexpr double kC2 = 14390158.988046885;  // nm·K

// Chromaticities (x, y) of the EBU phosphors, red, green, blue; z = 1 − x − y.
constexpr double kPrimaries[3][2] = {{0.64, 0.33}, {0.29, 0.60}, {0.15, 0.06}};

// Star colour rows: row k is a black body at 1000 + 78.125·k kelvin.
constexpr double kFirstKelvin = 1000.0;
constexpr double kKelvinStep = 78.125;

// The inverse of the matrix whose columns are the primaries' (x, y, z): XYZ → RGB, with no
// scaling to a white point, so that equal X, Y, Z do not give equal R, G, B.
void inversePrimaries(double inv[3][3]) {
    double m[3][3];
    for (int c = 0; c < 3; ++c) {
        m[0][c] = kPrimaries[c][0];
        m[1][c] = kPrimaries[c][1];
        m[2][c] = 1.0 - kPrimaries[c][0] - kPrimaries[c][1];
    }
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            // Cofactor of m[c][r], transposed.
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
}

}  // namespace

const uint8_t* brightness = nullptr;

void blackBodyColour(double kelvin, double& X, double& Y, double& Z) {
    X = Y = Z = 0.0;
    for (int i = 0; i < kWavelengths; ++i) {
        const double lambda = kFirstWavelength + kWavelengthStep * i;
        const double m = kC1 / std::pow(lambda, 5.0) / (std::exp(kC2 / (lambda * kelvin)) - 1.0);
        X += m * kColourMatching[i][0];
        Y += m * kColourMatching[i][1];
        Z += m * kColourMatching[i][2];
    }
    const double largest = std::max({X, Y, Z});
    if (largest > 0.0) {
        X /= largest;
        Y /= largest;
        Z /= largest;
    }
}

void blackBodyRgb(double kelvin, double rgb[3]) {
    double xyz[3];
    blackBodyColour(kelvin, xyz[0], xyz[1], xyz[2]);
    double inv[3][3];
    inversePrimaries(inv);
    for (int r = 0; r < 3; ++r) {
        const double v = inv[r][0] * xyz[0] + inv[r][1] * xyz[1] + inv[r][2] * xyz[2];
        rgb[r] = std::clamp(v, 0.0, 1.0) * 255.0;
    }
}

void buildColourTables(const draw::PixelFormat& f, ColourTables& t) {
    for (int k = 0; k < kGreyRow; ++k) {
        double c[3];
        blackBodyRgb(kFirstKelvin + kKelvinStep * k, c);
        for (int i = 0; i < 128; ++i) {
            int up[3], down[3];
            for (int ch = 0; ch < 3; ++ch) {
                down[ch] = (int)(c[ch] * i / 128.0);
                up[ch] = (int)(c[ch] + (255.0 - c[ch]) * i / 128.0);
            }
            t.star[k][i] = draw::packColour(f, down[0], down[1], down[2]);
            t.star[k][128 + i] = draw::packColour(f, up[0], up[1], up[2]);
        }
    }
    for (int i = 0; i < 256; ++i) t.star[kGreyRow][i] = draw::packColour(f, i, i, i);

    for (int i = 0; i < 16; ++i) {
        const int v = 255 - 16 * i;
        if (i < 15) t.grey[i] = draw::packColour(f, v, v, v);
        t.red[i] = draw::packColour(f, v, 0, 0);
        t.green[i] = draw::packColour(f, 0, v, 0);
        t.blue[i] = draw::packColour(f, 0, 0, v);
    }
    t.black = draw::packColour(f, 0, 0, 0);
    t.white = draw::packColour(f, 255, 255, 255);
    t.transparent = draw::packColour(f, 255, 0, 255);

    std::fill(std::begin(t.palette), std::end(t.palette), t.black);
    for (int i = 0; i < 15; ++i) t.palette[1 + i] = t.grey[i];
    for (int i = 0; i < 16; ++i) {
        t.palette[16 + i] = t.red[i];
        t.palette[32 + i] = t.green[i];
        t.palette[48 + i] = t.blue[i];
    }
    t.palette[255] = t.white;
}

void buildBrightnessTable(const draw::PixelFormat& f, uint8_t* table) {
    for (uint32_t v = 0; v < 65536; ++v) {
        int r, g, b;
        draw::unpackColour(f, v, r, g, b);
        table[v] = (uint8_t)((r + g + b) / 3);
    }
}

}  // namespace video
