#include "SpeakerFixtures.h"
#include "acoustics/PointResponse.h"
#include "common/Archive.h"
#include "common/Units.h"
#include "speaker/CabinetArrayModel.h"
#include "speaker/StdSPModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// A standard speaker carrying one balloon of a line array, on the array's grid.
std::unique_ptr<CStdSPModel> SingleBox(const CSpeakerModel& array, const CBalloonElement& balloon,
                                       int lengthUnit) {
    auto box = std::make_unique<CStdSPModel>(0);
    box->Header() = array.Header();
    CArchiveIn none({});
    box->LoadCounts(none);
    box->Balloons()[0] = balloon;
    box->SetLengthUnit(lengthUnit);
    box->ResetWeights();
    box->BuildElements();
    return box;
}

// The array's response against the sum of its elements, each evaluated as a standard speaker
// at the element's place in the room, aimed with the element's world angles and given the
// element's share of the power.
void ExpectSumOfElements(const CSpeakerModel& array, int unit, bool ceiling) {
    const CVec3 position{2.0, 1.5, 4.0};
    const COrientation aim{25.0, 5.0, 12.0};
    const CMatrix3 turn = RotationMatrix(aim);
    for (int k : {2, 5, 7}) {
        const double f = array.Header().frequencyList[static_cast<std::size_t>(k)];
        for (const CVec3& receiver : {CVec3{12, 3, 1.2}, CVec3{6, -4, 1.2}, CVec3{-5, 2, 2}}) {
            CSPComplex whole, sum;
            ASSERT_EQ(
                array.Evaluate(whole, receiver, position, aim, f, 6.0, false, 100.0, ceiling, unit),
                0);
            for (const CSpeakerElement& e : array.Elements()) {
                const CElementFrame frame = ElementFrame(e, aim);
                // The world aim turns the element's axes as the installation's and the element's
                // own rotations do one after the other.
                const CMatrix3 composed = turn * RotationMatrix(e.Orientation());
                const CMatrix3 world = RotationMatrix(frame.world);
                for (int r = 0; r < 3; ++r)
                    for (int c = 0; c < 3; ++c)
                        ASSERT_NEAR(world.m[r][c], composed.m[r][c], 1e-12);
                const CVec3 place = position + turn * e.Position();
                ASSERT_EQ(SingleBox(array, e.Balloon(), unit)
                              ->Evaluate(sum, receiver, place, frame.world, f, 6.0, false,
                                         e.Weight() * 100.0, ceiling, unit),
                          0);
            }
            EXPECT_LE(std::hypot(whole.re - sum.re, whole.im - sum.im),
                      1e-9 * std::hypot(sum.re, sum.im))
                << "f " << f << " receiver " << receiver.x << "," << receiver.y;
            EXPECT_GT(whole.Level(), 40.0);
        }
    }
}

CVsaGenOptions Small(CVsaGenOptions o) {
    o.phiBlocks = 8;
    o.thetaCount = 7;
    o.lowestFrequency = 200.0;
    o.highestFrequency = 4000.0;
    return o;
}
} // namespace

TEST(LineArrayEvaluate, AnArrayIsTheSumOfItsElementsAtTheirPlaces) {
    // QL-9 with its two stacks, in metres and, with the ceiling image, in feet.
    auto ql9 = ImportSpeakerText(GenerateVsa(Small(QL9ArrayOptions())));
    ASSERT_TRUE(ql9);
    ExpectSumOfElements(*ql9, kUnitMetric, false);
    auto feet = ImportSpeakerText(GenerateVsa(Small(QL9ArrayOptions())), kUnitImperial);
    ASSERT_TRUE(feet);
    ExpectSumOfElements(*feet, kUnitImperial, true);
    // Type N, whose fixed splays curve the column strongly.
    auto typeN = ImportSpeakerText(GenerateVsa(Small(TypeNArrayOptions())));
    ASSERT_TRUE(typeN);
    ExpectSumOfElements(*typeN, kUnitMetric, false);
}

TEST(LineArrayEvaluate, CabinetsRadiateWithTheBalloonOfTheirType) {
    // A KV-P10 of three cabinets, an S between two L.
    auto model = ImportSpeakerText(GenerateVsa(Small(KVP10ArrayOptions())));
    ASSERT_TRUE(model);
    auto& p10 = dynamic_cast<CCabinetArrayModel&>(*model);
    CArchiveOut storing;
    for (std::uint16_t count : {std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{3}})
        storing.Word(count);
    CArchiveIn loading(storing.TakeBuffer());
    p10.LoadCounts(loading);
    p10.ResetWeights();
    p10.Cabinets() = {{0, 0.0}, {1, 8.0}, {0, 6.0}};
    p10.ApplyModules(1);
    p10.BuildElements();
    ASSERT_EQ(&p10.Element(1).Balloon(), &p10.Balloon(1));
    ExpectSumOfElements(p10, kUnitMetric, true);
}
