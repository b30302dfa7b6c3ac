#include "engine/VelocityCurves.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/ZTables.h"

namespace
{
// The Normal curve in 300ths: a gentle rise that reaches full scale at 127.
constexpr short normalSteps[velocityCurveSize] = {
    3,   7,   14,  20,  27,  33,  39,  45,  51,  56,  61,  67,  72,  77,  81,  86,  91,  95,  100, 104, 108, 112,
    116, 120, 124, 127, 131, 134, 138, 141, 145, 148, 151, 154, 157, 160, 163, 166, 169, 171, 174, 177, 179, 182,
    184, 187, 189, 192, 194, 196, 198, 201, 203, 205, 207, 209, 211, 213, 215, 217, 219, 221, 222, 224, 226, 228,
    230, 231, 233, 235, 236, 238, 239, 241, 242, 244, 245, 247, 248, 250, 251, 252, 254, 255, 256, 258, 259, 260,
    262, 263, 264, 265, 266, 268, 269, 270, 271, 272, 273, 274, 275, 276, 277, 279, 280, 281, 282, 283, 284, 285,
    285, 286, 287, 288, 289, 290, 291, 292, 293, 294, 294, 295, 296, 297, 298, 299, 299, 300,
};

struct VelocityCurveTables
{
    float normal[velocityCurveSize];
    float weak[velocityCurveSize];
    float strong[velocityCurveSize];

    VelocityCurveTables()
    {
        for (int v = 0; v < velocityCurveSize; ++v)
        {
            normal[v] = static_cast<float>(normalSteps[v]) / 300.0f;
            const double x = static_cast<double>(v + 1) / 128.0;
            weak[v] = v == 0 ? 0.0f : static_cast<float>(1.0 - std::sqrt(1.0 - x * x));
            strong[v] = static_cast<float>(v) / 127.0f;
        }
    }
};

// Built before first use and never rewritten, so every thread reads it freely.
const VelocityCurveTables& curveTables()
{
    static const VelocityCurveTables built;
    return built;
}
} // namespace

const float* velocityCurveTable(int curve)
{
    const VelocityCurveTables& tables = curveTables();
    if (curve == velocityCurveNormal)
        return tables.normal;
    if (curve == velocityCurveStrong)
        return tables.strong;
    return tables.weak;
}

float velocityGain(int curve, int velocity, int floorDb, int topDb)
{
    const int v = std::clamp(velocity, 0, velocityCurveSize - 1);
    const float range = std::fabs(static_cast<float>(floorDb) + static_cast<float>(topDb));
    const float decibels = velocityCurveTable(curve)[v] * range + static_cast<float>(floorDb);
    return gainForDecibels(decibels);
}
