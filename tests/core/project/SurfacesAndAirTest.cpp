#include "FakePorts.h"
#include "project/CommandTable.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"
#include "project/forms/SurfacesAndAirForm.h"

#include <gtest/gtest.h>

namespace {
CMaterialLibrary SmallLibrary() {
    CMaterialLibrary library;
    EXPECT_EQ(library.Add("Carpet on concrete | 0.02 0.06 0.14 0.37 0.60 0.65 0.65 | Cox\n"
                          "Glass, window | 0.35 0.25 0.18 0.12 0.07 0.04 0.04 | Sengpiel\n",
                          "test"),
              "");
    return library;
}
} // namespace

// The form fills faces from the library, shows the room as typed and names the field it refuses.
TEST(SurfacesAndAirForm, LibraryPreviewAndRefusals) {
    CSurfacesAndAirForm form({}, {}, {10, 5, 4}, SmallLibrary());
    EXPECT_EQ(form.MaterialNames(), (std::vector<std::string>{"Carpet on concrete", "Glass, window"}));
    EXPECT_TRUE(form.ChooseMaterial(0, "carpet on concrete"));
    EXPECT_FALSE(form.ChooseMaterial(1, "Marble"));
    EXPECT_EQ(form.faces[0].material, "Carpet on concrete");
    EXPECT_EQ(form.faces[0].alpha[4].text, "0.6");
    for (int f = 1; f < kRoomFaceCount; ++f)
        for (CNumberField& a : form.faces[static_cast<std::size_t>(f)].alpha)
            a.text = "0.35";
    // As typed: V, S and the mean absorption follow at once.
    std::optional<CRoomOctaves> room = form.Preview();
    ASSERT_TRUE(room);
    EXPECT_DOUBLE_EQ(room->volume, 200.0);
    EXPECT_DOUBLE_EQ(room->surface, 220.0);
    EXPECT_NEAR(room->octaves[3].meanAlpha, (50 * 0.37 + 170 * 0.35) / 220, 1e-12);
    form.faces[3].alpha[1].text = "1.5";
    std::string message;
    EXPECT_FALSE(form.Preview(&message));
    EXPECT_EQ(message, "Wall X = L, alpha at 250 Hz: Enter a number between 0 and 1.");
    EXPECT_FALSE(form.Accept(&message));
    form.faces[3].alpha[1].text = "0.35";
    form.humidity.text = "wet";
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, "Relative humidity: Enter a number.");
    form.humidity.text = "60";

    // A noise curve fills the levels; typing over them makes them the user's own.
    EXPECT_TRUE(form.ChooseNoiseCurve("NR35"));
    // As the curve's table has them (22 + 0.87 x 35 at 125 Hz), not with a binary tail.
    EXPECT_EQ(form.noise[0].text, "52.45");
    EXPECT_EQ(form.noise[1].text, "44.55");
    form.noiseOn = true;
    ASSERT_TRUE(form.Accept(&message)) << message;
    EXPECT_EQ(form.Speech().curve, "NR35");
    EXPECT_EQ(form.Speech().noise[3], 35.0);
    EXPECT_EQ(form.Acoustics().faces[0].name, "Carpet on concrete");
    EXPECT_EQ(form.Acoustics().humidity, 60.0);
    form.noise[0].text = "50";
    ASSERT_TRUE(form.Accept());
    EXPECT_EQ(form.Speech().curve, "");
    EXPECT_EQ(form.Speech().noise[0], 50.0);
}

// Room > Surfaces and Air runs the form through the port; a refused entry changes nothing.
TEST(SurfacesAndAirForm, TheCommandChangesTheProjectOnlyWithValidEntries) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1, 3));
    const std::vector<std::uint8_t> before = ProjectFile::Write(f.doc);
    f.dialogs.surfacesAndAir = [](CSurfacesAndAirForm& form) {
        form.faces[2].alpha[0].text = "-0.1"; // the port confirms what the dialog would refuse
        return true;
    };
    EXPECT_TRUE(f.doc.OnCommand(kCmdSurfacesAndAir));
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_EQ(f.messages.errors[0], "Wall X = 0, alpha at 125 Hz: Enter a number between 0 and 1.");
    EXPECT_EQ(ProjectFile::Write(f.doc), before);
    EXPECT_FALSE(f.doc.CanUndo());
    EXPECT_FALSE(f.doc.IsModified());

    f.dialogs.surfacesAndAir = [](CSurfacesAndAirForm& form) {
        for (auto& face : form.faces)
            for (CNumberField& a : face.alpha)
                a.text = "0.2";
        form.formula = EReverbFormula::Sabine;
        return true;
    };
    EXPECT_TRUE(f.doc.OnCommand(kCmdSurfacesAndAir));
    EXPECT_EQ(f.doc.Settings().roomAcoustics.faces[5].alpha[6], 0.2);
    EXPECT_EQ(f.doc.Settings().roomAcoustics.formula, EReverbFormula::Sabine);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.doc.UndoMenuText(), std::string(Strings::kUndoMenu) + " " + Strings::kStepSurfacesAndAir);

    // The document's own operation refuses out-of-range values, naming the field.
    CRoomAcoustics bad = f.doc.Settings().roomAcoustics;
    bad.humidity = 120;
    const CFlowResult refused = f.doc.SetRoomAcoustics(bad, {});
    EXPECT_EQ(refused.reason, EFlowReason::EntryRefused);
    EXPECT_EQ(refused.message, "Relative humidity is 120 %; it must be from 0 to 100 %.");
    EXPECT_EQ(f.doc.Settings().roomAcoustics.humidity, 50.0);

    // The operation is one step of its own, called from the dialog or not; undo gives the
    // project back as it was, and redo the change again.
    CRoomAcoustics warmer = f.doc.Settings().roomAcoustics;
    warmer.temperature = 25;
    const std::vector<std::uint8_t> sabine = ProjectFile::Write(f.doc);
    ASSERT_TRUE(f.doc.SetRoomAcoustics(warmer, f.doc.Settings().speech).IsDone());
    EXPECT_EQ(f.doc.UndoMenuText(), std::string(Strings::kUndoMenu) + " " + Strings::kStepSurfacesAndAir);
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(ProjectFile::Write(f.doc), sabine);
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(ProjectFile::Write(f.doc), before);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_FALSE(f.doc.CanUndo());
    ASSERT_TRUE(f.doc.Redo());
    EXPECT_EQ(ProjectFile::Write(f.doc), sabine);
}
