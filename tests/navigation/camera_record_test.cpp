// The default camera as stored bytes: the saved-camera format is read back by other builds, so
// the values must sit at their offsets exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "navigation/camera.h"

namespace {

template <typename T>
T at(const CameraRecord& r, size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(&r) + offset, sizeof value);
    return value;
}

TEST(CameraRecordBytes, DefaultRecordFieldsLieAtTheirOffsets) {
    const CameraRecord& r = camera::defaultRecord();
    EXPECT_EQ(at<double>(r, 40), 1.0);                    // travelDir.z
    EXPECT_EQ(at<double>(r, 48), 1.0);                    // speed
    EXPECT_EQ(at<double>(r, 72), 1.5);                    // zoom
    EXPECT_EQ(at<double>(r, 80), 0.06 * 9460704000000.0); // zclip
    EXPECT_NEAR(at<double>(r, 80), 567642240000.0, 1e-3);
    EXPECT_EQ(at<uint32_t>(r, 96), 0xFFFFu);              // deepSkyTypes
    EXPECT_EQ(at<uint32_t>(r, 100), 0u);                  // reserved
    EXPECT_EQ(at<double>(r, 120), 133.0);                 // localRadius2
    EXPECT_EQ(at<double>(r, 128), -12.0);                 // localMin.x
    EXPECT_EQ(at<double>(r, 168), 12.0);                  // localMax.z
    EXPECT_EQ(at<double>(r, 176), 1.0);                   // reserved double
    EXPECT_EQ(at<int32_t>(r, 184), 63740);                // system
    EXPECT_EQ(at<double>(r, 200), -134033065.2);          // SPos.y
    EXPECT_EQ(at<double>(r, 240), -0.807405);             // Cam[0][0]
    EXPECT_EQ(at<double>(r, 240 + 8 * 6), -0.723323);     // Cam[1][2]
    EXPECT_EQ(at<double>(r, 240 + 8 * 10), -0.610177);    // Cam[2][2]
    EXPECT_EQ(at<double>(r, 240 + 8 * 15), 1.0);          // Cam[3][3]
    EXPECT_EQ(at<double>(r, 368), 1.0);                   // systemTravelDir.x
    EXPECT_EQ(at<double>(r, 392), 1496000.0);             // sspeed
    EXPECT_EQ(at<int32_t>(r, 416), -1);                   // hover
    EXPECT_EQ(at<int32_t>(r, 420), 63740);                // lock
    EXPECT_EQ(at<int32_t>(r, 428), -1);                   // central
    EXPECT_EQ(at<int32_t>(r, 432), 2);                    // mode
    EXPECT_EQ(at<uint32_t>(r, 436), 0x269u);              // flags
    EXPECT_EQ(at<uint32_t>(r, 444), 0u);                  // reserved
    EXPECT_EQ(at<double>(r, 448), 1.5);                   // labelMagLimit
}

}  // namespace
