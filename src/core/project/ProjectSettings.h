#pragma once

#include "acoustics/RoomAcoustics.h"
#include "acoustics/SpeechTransmission.h"
#include "common/Vec3.h"

#include <string>
#include <vector>

// A listening point the planner marked and named: reports show the response there. Positions are
// in the project's length unit, like the installations'.
struct CListeningPoint {
    std::string name;
    CVec3 position;
    friend bool operator==(const CListeningPoint&, const CListeningPoint&) = default;
};
// At most this many marked points; a name at most this many bytes.
inline constexpr std::size_t kMaxListeningPoints = 1000;
inline constexpr std::size_t kMaxListeningPointName = 200;

// Marks the automatic-installation angles and height as not yet chosen.
inline constexpr double kUnsetSentinel = 100000.0;

// The project's own settings: the preferences that travel with it, the texts and choices of the
// Room Parameters dialog, the choices and results of the last automatic installation, and the
// project data added since version 2.0.0 (marked points, room acoustics, speech settings). The project file's settings block holds
// the first three but autoLayoutShape, its records the rest; every undo state keeps them whole. The project changes them only through operations that keep them consistent with
// the rest of it (a model's length unit follows the project's).
struct CProjectSettings {
    int manualRecalc = 0;
    int advancedMode = 0; // 0 off, 2 on; a file may hold 1, which also means on
    int planeSameAsRoom = 1;
    int autoLayoutShape = 0; // not saved
    int lengthUnit = 1;
    std::string projectDate;
    std::string projectName;
    int autoLayoutValid = 0;
    double autoJudgeBand = 0.0;
    double autoJudgeFrequency = 0.0;
    double autoBottomOffset = 0.0;
    double autoLeftOffset = 0.0;
    double autoRowPitch = 0.0;
    double autoColumnPitch = 0.0;
    int autoLayoutPattern = 2;
    int installState = 2;
    int freshProjectFlag = 1;
    COrientation installAngles{kUnsetSentinel, kUnsetSentinel, kUnsetSentinel};
    double installHeight = kUnsetSentinel;
    int loadedFromFile = 0; // written; reading a file sets it
    std::vector<CListeningPoint> listeningPoints; // a record of its own
    // Room acoustics (surfaces, air, reverberation formula) and speech settings (background
    // noise, STI target): records of their own, written when they differ from the defaults.
    CRoomAcoustics roomAcoustics;
    CSpeechSettings speech;

    friend bool operator==(const CProjectSettings&, const CProjectSettings&) = default;
};
