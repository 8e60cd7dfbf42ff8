#include "labeldata/Calibration.h"

#include <gtest/gtest.h>

using labeldata::Calibration;
using labeldata::CalibrationCrosses;
using labeldata::CalibrationProblem;

TEST(Calibration, EightDistancesGiveBackThePrintersOffsetsScalesAndRotation)
{
    const struct {
        double width, height;
        Calibration printer; // the correction that undoes the printer
    } cases[] = {
        {210, 297, {1.2, -0.8, 100.4, 99.7, 0.2}},
        {210, 297, {-2.5, 3.1, 99.2, 100.6, -0.2}},
        {215.9, 279.4, {0.3, 0.4, 101, 101, 1.5}},
        {100, 150, {-10, 12, 96, 104, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", rotation " << c.printer.rotation);
        const CalibrationCrosses printed = labeldata::printedCrosses(c.printer, c.width, c.height);
        const labeldata::CalibrationResult r = labeldata::calibrationFromCrosses(printed, c.width, c.height);
        ASSERT_TRUE(r.ok());
        EXPECT_NEAR(r.calibration.offsetX, c.printer.offsetX, 0.005);
        EXPECT_NEAR(r.calibration.offsetY, c.printer.offsetY, 0.005);
        EXPECT_NEAR(r.calibration.scaleX, c.printer.scaleX, 0.005);
        EXPECT_NEAR(r.calibration.scaleY, c.printer.scaleY, 0.005);
        EXPECT_NEAR(r.calibration.rotation, c.printer.rotation, 0.001);
        EXPECT_LT(r.residual, 0.001);

        // Misread by 0.6 mm, any one distance gives itself away.
        for (int k = 0; k < 8; ++k) {
            CalibrationCrosses misread = printed;
            (k < 4 ? misread.x[k] : misread.y[k - 4]) += 0.6;
            const labeldata::CalibrationResult m = labeldata::calibrationFromCrosses(misread, c.width, c.height);
            ASSERT_TRUE(m.ok());
            EXPECT_GT(m.residual, labeldata::ResidualWarning) << "distance " << k + 1;
        }
    }
    // Without a rotation, the four-distance way gives the same and says nothing about a residual.
    const Calibration straight{1.2, -0.8, 100.4, 99.7};
    const CalibrationCrosses p = labeldata::printedCrosses(straight, 210, 297);
    const labeldata::CalibrationResult four = labeldata::calibrationFromMarks({p.x[0], p.x[1], p.y[0], p.y[2]}, 210, 297);
    ASSERT_TRUE(four.ok());
    EXPECT_EQ(four.calibration.rotation, 0);
    EXPECT_EQ(four.residual, 0);
    EXPECT_NEAR(four.calibration.scaleX, straight.scaleX, 1e-9);
    EXPECT_NEAR(four.calibration.offsetY, straight.offsetY, 1e-9);
}

TEST(Calibration, APageThatCameOutReducedBothWaysOrTurnedTooFarIsRefused)
{
    const struct {
        const char* what;
        std::vector<double> distances; // four or eight, on A4
        CalibrationProblem problem;
        double value;
    } cases[] = {
        // A viewer's "fit to page": about 97 % both ways.
        {"fit to page", {9.7, 194.0, 9.7, 278.0}, CalibrationProblem::ReducedPrint, 97},
        {"fit to page, eight", {9.7, 194.0, 9.7, 194.0, 9.7, 9.7, 278.0, 278.0}, CalibrationProblem::ReducedPrint, 97},
        {"98.5 % both ways", {9.85, 9.85 + 0.985 * 190, 9.85, 9.85 + 0.985 * 277}, CalibrationProblem::ReducedPrint, 98.5},
        {"98.6 % both ways", {9.86, 9.86 + 0.986 * 190, 9.86, 9.86 + 0.986 * 277}, CalibrationProblem::None, 0},
        {"97 % across only", {9.7, 194.0, 10, 287}, CalibrationProblem::None, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto& d = c.distances;
        const labeldata::CalibrationResult r = d.size() == 4
            ? labeldata::calibrationFromMarks({d[0], d[1], d[2], d[3]}, 210, 297)
            : labeldata::calibrationFromCrosses({{d[0], d[1], d[2], d[3]}, {d[4], d[5], d[6], d[7]}}, 210, 297);
        EXPECT_EQ(r.problem, c.problem);
        if (c.problem == CalibrationProblem::ReducedPrint) {
            EXPECT_NEAR(r.value, c.value, 0.05);
        }
        if (!r.ok()) {
            EXPECT_EQ(r.calibration, Calibration{});
        }
    }
    // A sheet fed 3° askew is no printer's steady error.
    const CalibrationCrosses turned = labeldata::printedCrosses({0, 0, 100, 100, 3}, 210, 297);
    EXPECT_EQ(labeldata::calibrationFromCrosses(turned, 210, 297).problem, CalibrationProblem::RotationOutOfRange);
}
