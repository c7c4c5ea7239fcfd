// Example projects made from the bundled example speakers, with their maps calculated.
#include "CliCommands.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "VsaPresets.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/SoundGraphViewModel.h"
#include "project/forms/AutoInstallationForm.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/RoomParametersForm.h"

#include <filesystem>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
// A new metric project with the given room, shown in one map view and one response view.
struct DemoProject {
    CCliSession session;
    std::unique_ptr<CColorMapViewModel> view;
    std::unique_ptr<CSoundGraphViewModel> graph;

    DemoProject(const std::string& name, double length, double width, double height) {
        session.Create(0);
        session.dialogs.roomParameters = [=](CRoomParametersForm& form) {
            form.projectName = name;
            form.Field(CRoomParametersForm::kRoomLength).SetValue(length);
            form.Field(CRoomParametersForm::kRoomWidth).SetValue(width);
            form.Field(CRoomParametersForm::kRoomHeight).SetValue(height);
            return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
        };
        view = std::make_unique<CColorMapViewModel>(*session.doc);
        graph = std::make_unique<CSoundGraphViewModel>(*session.doc);
        view->OnInitialUpdate();
        graph->OnInitialUpdate();
    }
    void Import(const fs::path& file) {
        session.doc->ImportSpeakerFile(file.string());
        session.ThrowIfErrors("");
    }
    void Report(const fs::path& path) {
        const CListeningPlane& plane = view->Condition()->plane;
        std::cout << path.string() << ": " << session.doc->Room().Count() << " installation(s), "
                  << plane.pointCount << " points, " << FormatValue(plane.minimumLevel, 4) << " to "
                  << FormatValue(plane.maximumLevel, 4) << " dB, pink noise average "
                  << FormatValue(plane.pinkNoiseAverage, 4) << " dB\n";
    }
};
} // namespace

int RunDemo(const CDemoOptions& o) {
    if (o.directory.empty())
        throw CCliError("DIR: the folder name is empty");
    const fs::path dir = o.directory;
    const fs::path speakers = dir / "speakers";
    const fs::path meetingPath = dir / "meeting-room.tdax", hallPath = dir / "hall.tdax";
    std::vector<fs::path> outputs = {meetingPath, hallPath};
    for (const CVsaExample& example : ExampleSet())
        outputs.push_back(speakers / example.fileName);
    // Everything is checked before anything is written. Inside DIR no link is followed: one may
    // lead to the user's own files.
    const auto refuseLink = [&](const fs::path& path) {
        if (fs::is_symlink(fs::symlink_status(path)))
            throw CCliError("DIR: " + path.string() +
                            " is a symbolic link; the demo writes only inside " + dir.string() +
                            " and never follows a link out of it");
    };
    refuseLink(speakers);
    if (fs::exists(speakers) && !fs::is_directory(speakers))
        throw CCliError("DIR: " + speakers.string() + " exists and is not a folder");
    for (const fs::path& path : outputs) {
        refuseLink(path);
        if (fs::is_directory(path.parent_path().empty() ? fs::path(".") : path.parent_path()))
            CheckOutput(path.string(), "DIR", o.force);
    }
    fs::create_directories(speakers);
    for (const CVsaExample& example : ExampleSet()) {
        std::ostringstream out;
        WriteVsa(example.options, out);
        const std::string text = out.str();
        WriteOutput((speakers / example.fileName).string(), "DIR",
                    std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    {
        // A meeting room with ceiling speakers laid out automatically.
        DemoProject meeting("Meeting room", 12, 8, 3);
        meeting.session.messages.replaceOtherFile = o.force;
        meeting.Import(speakers / "ceiling-speaker.vsa");
        meeting.session.doc->SetAdvancedMode(2); // the judgment band is chosen in advanced mode
        meeting.session.dialogs.autoInstallation = [](CAutoInstallationForm& form) {
            std::string refusal;
            return ChooseJudgment(form, "1", 2000.0, refusal) && form.Accept();
        };
        meeting.session.doc->OnCommand(kCmdAutoInstall);
        meeting.session.ThrowIfErrors("automatic installation: ");
        if (meeting.session.doc->Settings().autoLayoutValid != 1)
            throw CCliError("the demo's automatic layout failed");
        meeting.session.Save(meetingPath.string());
        meeting.Report(meetingPath);
    }
    {
        // A hall with a line array hung at the front, aimed slightly down the room.
        DemoProject hall("Hall", 30, 20, 10);
        hall.session.messages.replaceOtherFile = o.force;
        hall.Import(speakers / "ql9-array.vsa");
        CDAXDoc& doc = *hall.session.doc;
        doc.SetAdvancedMode(2);
        hall.session.dialogs.installation = [](CInstallationForm& form) {
            form.Field(CInstallationForm::kZ).SetValue(8.0);
            form.Field(CInstallationForm::kElevation).SetValue(6.0);
            form.Field(CInstallationForm::kPower).SetValue(200.0);
            return form.Accept();
        };
        if (!doc.InstallSpeaker(1.0, 10.0).IsDone())
            throw CCliError("the demo's line array was not installed");
        hall.session.ThrowIfErrors("");
        hall.session.Save(hallPath.string());
        hall.Report(hallPath);
    }
    return 0;
}
