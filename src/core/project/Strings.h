#pragma once

// The texts the user sees, in one place so views, forms, printing and tests share them.
namespace Strings {
inline constexpr const char* kMessageTitle = "Message from Daxara";
inline constexpr const char* kConfirmRemoveSpeaker =
    "Are you sure you want to remove this speaker?";
// Several selected installations at once: "... remove these " N " speakers?"
inline constexpr const char* kConfirmRemoveSpeakersBefore = "Are you sure you want to remove these ";
inline constexpr const char* kConfirmRemoveSpeakersAfter = " speakers?";
inline constexpr const char* kImpedanceMix =
    "High and low impedance speakers can not be mixed in one room.";
inline constexpr const char* kSameSpot = "Are you sure that you want to install this speaker at "
                                         "the same position where you already installed? ";
// What the one guard of the entry points says when an action ends early: bad data or memory
// running out ("... could not be completed: <why>."), or a fault of the program itself.
inline constexpr const char* kCommandNotCompleted = "The command could not be completed: ";
inline constexpr const char* kNotEnoughMemory = "not enough memory";
inline constexpr const char* kProgramFault =
    "The command could not be completed because of a fault in the program: ";
inline constexpr const char* kSavedWithNewExtension =
    "File was saved with new extention(\"tdax\").";
inline constexpr const char* kAskNewExtension =
    "Do you save this file with the new extention that is \"tdax\"?";
// %1 the file.
inline constexpr const char* kReplaceOtherFile =
    "%1 already exists and is not the file this project was opened from. Replace it?";
inline constexpr const char* kReplaceChangedFile =
    "%1 was changed by another program since this project was opened. Replace it with this "
    "project?";
inline constexpr const char* kReplaceButton = "Replace";
inline constexpr const char* kNotAvailableFile = "Not available file.";
inline constexpr const char* kFailedToOpen = "Failed to open document.";
inline constexpr const char* kNewerVersion =
    "The project was written by a later version of Daxara; this version cannot keep everything "
    "it holds, so it is not opened.";
inline constexpr const char* kSaveChanges = "Save changes to %1?";
inline constexpr const char* kEnterNumberBetween = "Enter a number between %1 and %2.";
inline constexpr const char* kEnterNumber = "Enter a number.";
inline constexpr const char* kCalculating = "Calculating...";
inline constexpr const char* kImporting = "Importing Speaker Data...";
// %1 the file, %2 why.
inline constexpr const char* kImportFailed = "The speaker data %1 could not be imported: %2.";
inline constexpr const char* kImportCannotOpen = "the file cannot be opened";
inline constexpr const char* kImportEmpty = "the file is empty or cannot be read";
inline constexpr const char* kImportDirectory = "it is a directory";
inline constexpr const char* kImportNotRegular = "it is not a regular file";
inline constexpr const char* kImportNotVersion = "its first line is not \"Version 1.0.0\"";
// Open directivity files (AES69): %1 the model, %2 one line for each of what was taken as it is,
// resampled or left out.
inline constexpr const char* kImportSofaReport = "%1 was imported from open directivity data.\n%2";
inline constexpr const char* kMenuExportSofa = "Export as &SOFA...";
// %1 the model, %2 why.
inline constexpr const char* kExportSofaFailed = "%1 could not be exported as SOFA: %2.";
inline constexpr const char* kProgressCaption = "Daxara";
inline constexpr const char* kStop = "Stop";

inline constexpr const char* kInstallationTitle = "Properties for Installation";
inline constexpr const char* kPreferencesTitle = "Preferences";
inline constexpr const char* kAdvancedMode = "Advanced Mode";
inline constexpr const char* kManualRecalculation = "Manual Recalculation";
inline constexpr const char* kPolarityNormal = "normal";
inline constexpr const char* kPolarityReverse = "reverse";
inline constexpr const char* kUnitMetre = "[m]";
inline constexpr const char* kUnitFeet = "[ft]";
inline constexpr const char* kUnitDegree = "[deg]";
inline constexpr const char* kUnitWatt = "[W]";
inline constexpr const char* kUnitMillisecond = "[ms]";

inline constexpr const char* kModeInterference = "Interference";
inline constexpr const char* kModeEnergy = "Energy";
inline constexpr const char* kHz = "[Hz]";
inline constexpr const char* kBand24 = "1/24 Oct. Band";
inline constexpr const char* kBand12 = "1/12 Oct. Band";
inline constexpr const char* kBand6 = "1/6 Oct. Band";
inline constexpr const char* kBand3 = "1/3 Oct. Band";
inline constexpr const char* kBand1 = "1 Oct. Band";
inline constexpr const char* kBandHalf = "2 Oct. Band";
inline constexpr const char* kBandQuarter = "4 Oct. Band";

// Room Parameters
inline constexpr const char* kRoomParametersTitle = "Room Parameters";
inline constexpr const char* kProjectNameLabel = "Project Name : ";
inline constexpr const char* kDateLabel = "Date : ";
inline constexpr const char* kUnitsLabel = "Units : ";
inline constexpr const char* kMetric = "Metric";
inline constexpr const char* kImperial = "Imperial";
inline constexpr const char* kZeroPositionX = "Zero Position(X) : ";
inline constexpr const char* kZeroPositionY = "Zero Position(Y) : ";
inline constexpr const char* kZeroPositionZ = "Zero Position(Z) : ";
inline constexpr const char* kLengthX = "Length(X) : ";
inline constexpr const char* kWidthY = "Width(Y) : ";
inline constexpr const char* kHeightZ = "Height(Z) : ";
inline constexpr const char* kLengthY = "Length(Y) :";
inline constexpr const char* kWidthZ = "Width(Z) :";
inline constexpr const char* kHeightFromXYPlane = "Height(Z) from XY Plane :";
inline constexpr const char* kLengthXFromYZPlane = "Length(X) from YZ Plane :";
inline constexpr const char* kLengthYFromXZPlane = "Length(Y) from XZ Plane :";
inline constexpr const char* kGridPitchX = "Grid Pitch(X) : ";
inline constexpr const char* kGridPitchY = "Grid Pitch(Y) : ";
inline constexpr const char* kHalfSpace = "Half Space (Solid Ceiling Material)";
inline constexpr const char* kFullSpace = "Full Space (Absorbent Ceiling Material / No Ceiling)";
inline constexpr const char* kParallelToXY = "Parallel to XY Plane";
inline constexpr const char* kParallelToYZ = "Parallel to YZ Plane";
inline constexpr const char* kParallelToXZ = "Parallel to XZ Plane";
inline constexpr const char* kSameAsRoom = "Same as room dimensions";
inline constexpr const char* kColorMax = "Max : ";
inline constexpr const char* kColorPitch = "Pitch : ";
inline constexpr const char* kDotPitch = "Pitch of Color Dot : ";
inline constexpr const char* kUnitDecibel = "[dB]";
inline constexpr const char* kRoomDimensions = "Room Dimensions";
inline constexpr const char* kPlaneDimensions = "Calculation Plane Dimensions";
inline constexpr const char* kColorMapReference = "Color Map Reference";
inline constexpr const char* kPlaneNotBuildable =
    "The calculation plane cannot be divided into color dots: enter a larger plane or another "
    "Pitch of Color Dot.";

// %1 the dots asked for, %2 the most a plane may have.
inline constexpr const char* kPlaneTooLarge =
    "The calculation plane would have %1 color dots, more than the %2 a plane may have: enter a "
    "larger Pitch of Color Dot or a smaller plane.";

// Initial Settings
inline constexpr const char* kInitialSettingsTitle = "Initial Settings";

// vd1 export
inline constexpr const char* kVd1ExportTitle = "Export vd1";
inline constexpr const char* kVd1AngleLabel = "tyz? (0 to 360)";
inline constexpr const char* kVd1AngleUnit = "degrees";
inline constexpr const char* kVd1DistanceLabel = "Mic Distance?";
inline constexpr const char* kVd1DistanceUnit = "m";

// Automatic installation
inline constexpr const char* kAutoInstallationTitle = "Properties for Auto Installation";
inline constexpr const char* kSpeakerDensity = "Speaker Density : ";
inline constexpr const char* kLayoutPattern = "Layout Pattern : ";
inline constexpr const char* kPatternMaximumOverlap = "Maximum Overlap";
inline constexpr const char* kPatternMinimumOverlap = "Minimum Overlap";
inline constexpr const char* kPatternEdgeToEdge = "Edge-to-Edge";
inline constexpr const char* kPattern14EdgeToEdge = "1.4 * Edge-to-Edge";
inline constexpr const char* kPattern2EdgeToEdge = "2 * Edge-to-Edge";
inline constexpr const char* kShapeRectangle = "Rectangle";
inline constexpr const char* kShapeHexagonal = "Hexagonal";
inline constexpr const char* kAzimuthLabel = "Azimuth(Left+)";
inline constexpr const char* kElevationLabel = "Elevation(Down+)";
inline constexpr const char* kRotationLabel = "Rotation(Right+)";
inline constexpr const char* kHeightLabel = "Z";
inline constexpr const char* kJudgmentBand = "Octave Band for Auto-Installation Judgment : ";
inline constexpr const char* kJudgmentFrequency =
    "Center Frequency for Auto-Installation Judgment : ";
inline constexpr const char* kBandEdgeSeparator = "[Hz] - ";
inline constexpr const char* kPlaneAtCeiling =
    "This operation is not available in the case of setting the audience plane same height as "
    "the room height.";
inline constexpr const char* kHexagonalDoubtful = "The result caused by this operation is "
                                                  "doubtful...";
inline constexpr const char* kNoJudgmentBand =
    "The speaker data offers no octave band for the auto-installation judgment.";
inline constexpr const char* kAutoLevelFailed =
    "Automatic installation stopped: the level of the speaker cannot be calculated in the "
    "judgment band. The installations are unchanged.";
inline constexpr const char* kAutoWalkEndless =
    "Automatic installation stopped: the level of the speaker does not fall 6 dB below its "
    "maximum within ten times the room diagonal. The installations are unchanged.";
inline constexpr const char* kAutoNoCoverage =
    "Automatic installation stopped: the measured coverage of the speaker is too small for a "
    "layout. The installations are unchanged.";
inline constexpr const char* kAutoTooMany =
    "Automatic installation stopped: the layout would need more than 10000 speakers. The "
    "installations are unchanged.";

// The status line while a dragged speaker's live map is prepared, then "<percent> %".
inline constexpr const char* kPreparingLiveMap = "Preparing the live map...";

// The names of undoable steps, shown as "Undo <name>" and "Redo <name>".
inline constexpr const char* kStepInstallSpeaker = "Install Speaker";
inline constexpr const char* kStepMoveSpeaker = "Move Speaker";
inline constexpr const char* kStepChangeSpeaker = "Change Speaker";
inline constexpr const char* kStepRemoveSpeaker = "Remove Speaker";
inline constexpr const char* kStepRemoveSpeakers = "Remove Speakers";
inline constexpr const char* kStepRemoveAllSpeakers = "Remove All Speakers";
inline constexpr const char* kStepRoomParameters = "Room Parameters";
inline constexpr const char* kStepAutoInstallation = "Automatic Installation";
inline constexpr const char* kStepImportSpeakerData = "Import Speaker Data";
inline constexpr const char* kStepDeleteSpeakerData = "Delete Speaker Data";
inline constexpr const char* kStepArrangeModules = "Arrange Modules";
inline constexpr const char* kStepPreferences = "Preferences";
inline constexpr const char* kStepChooseTap = "Choose Tap";
inline constexpr const char* kStepSurfacesAndAir = "Surfaces and Air";
inline constexpr const char* kStepMarkPoint = "Mark Listening Point";
inline constexpr const char* kStepRenamePoint = "Rename Listening Point";
inline constexpr const char* kStepRemovePoint = "Remove Listening Point";
// Listening points on the map and in its context menu.
inline constexpr const char* kPointNamePrefix = "Point ";
inline constexpr const char* kMenuMarkPoint = "Mark Listening Point Here...";
inline constexpr const char* kMenuListeningPoints = "Listening Points...";
inline constexpr const char* kStepMapBand = "Choose Band";
inline constexpr const char* kStepMapFrequency = "Choose Frequency";
inline constexpr const char* kStepMapMode = "Choose Mode";
inline constexpr const char* kStepMapQuantity = "Choose Quantity";
inline constexpr const char* kStepAlignDelays = "Align Delays";
// Menu texts of the Edit menu; " <name>" follows when there is a step.
inline constexpr const char* kUndoMenu = "&Undo";
inline constexpr const char* kRedoMenu = "&Redo";
// List views
inline constexpr const char* kColumnNo = "No";
inline constexpr const char* kColumnSpeakerName = "Speaker Name";
inline constexpr const char* kColumnTap = "Tap";
inline constexpr const char* kColumnPower = "Power";
inline constexpr const char* kColumnPolarity = "Polarity";
inline constexpr const char* kColumnDelay = "Delay";
inline constexpr const char* kDelayLabel = "Delay";
inline constexpr const char* kPolarityLabel = "Polarity";
// The installation dialog's row for the installation's own tap (an addition to its rows).
inline constexpr const char* kTapLabel = "Tap";
// Tap units, shared by the tap list and the printed speaker table.
inline constexpr const char* kTapOhms = "ohms  ";
inline constexpr const char* kTapLine = "V Line  ";
inline constexpr const char* kTapWatt = "W";
inline constexpr const char* kListNormal = "Normal";
inline constexpr const char* kListReverse = "Reverse";
inline constexpr const char* kMenuImport = "&Import...";
inline constexpr const char* kMenuArrangeModules = "&Module Arrangement...";
inline constexpr const char* kMenuDelete = "Delete...";
inline constexpr const char* kMenuExportVd1 = "Export vd1...";
inline constexpr const char* kMenuRemove = "Remove...";
inline constexpr const char* kMenuProperties = "Properties...";
inline constexpr const char* kMenuAlignDelays = "Align Delays...";
// Aligning delays.
inline constexpr const char* kAlignTitle = "Align Delays";
inline constexpr const char* kAlignFills = "Installations to align";
inline constexpr const char* kAlignMain = "Main installation";
inline constexpr const char* kAlignPoint = "Reference point";
inline constexpr const char* kAlignOffset = "Offset";
inline constexpr const char* kTypedPosition = "Typed position";
inline constexpr const char* kAlignNoFill = "Choose at least one installation to align.";
inline constexpr const char* kAlignNoMain = "Choose the main installation.";
inline constexpr const char* kSpeakerFileFilter = "VSA Files (*.vsa)";
// Around the colour map: annotation lines, legend, print title and speaker table.
inline constexpr const char* kMapShownAt = "This color mapping is shown @";
inline constexpr const char* kMapProjectName = "Project Name : ";
inline constexpr const char* kMapDate = "Date : ";
inline constexpr const char* kCursorLevel = "Average SPL @Cursor Point : ";
// What a map shows, and its statistics when it is not the direct sound's level.
inline constexpr const char* kQuantityDirect = "Direct SPL";
inline constexpr const char* kQuantityArrival = "First Arrival";
inline constexpr const char* kQuantityLateLoudest = "Loudest Arrives Late";
inline constexpr const char* kQuantityMaxValue = " (Max Value in Audience Plane) : ";
inline constexpr const char* kQuantityMinValue = " (Min Value in Audience Plane) : ";
inline constexpr const char* kQuantityMeanValue = " (Average Value in Audience Plane) : ";
// Sound levels average by energy.
inline constexpr const char* kQuantityEnergyMeanValue =
    " (Energy Average in Audience Plane) : ";
inline constexpr const char* kQuantityLateShare = " (Points more than %1 ms late) : ";
inline constexpr const char* kQuantityTargetShare = " (Points at or above %1) : ";
inline constexpr const char* kQuantityAtCursor = " @Cursor Point : ";
inline constexpr const char* kUnitPercent = "[%]";
inline constexpr const char* kAverageMax =
    "Average SPL @This Color Mapping (Pink Noise, Max Value in Audience Plane) : ";
inline constexpr const char* kAverageMin =
    "Average SPL @This Color Mapping (Pink Noise, Min Value in Audience Plane) : ";
inline constexpr const char* kAveragePink =
    "Average SPL @This Color Mapping (Pink Noise, Average Value in Audience Plane) : ";
inline constexpr const char* kAverageMusic =
    "Average SPL @This Color Mapping (Music/Speech, Average Value in Audience Plane) : ";
// In place of the averages and the amplifier estimate while a map has no finished result; the
// status bar says the same of a stopped map.
inline constexpr const char* kMapCalculatingNote =
    "Calculating... the colours show the previous map until the new one is complete.";
inline constexpr const char* kMapIncomplete =
    "The map is incomplete: the calculation was stopped after %1 of %2 points. Recalculate to "
    "complete it.";
inline constexpr const char* kMapNotCalculated = "The map is not calculated.";
inline constexpr const char* kMapFailed = "The map could not be calculated: ";
inline constexpr const char* kStatusMapIncomplete =
    "The map is incomplete: recalculate to complete it";
// "<n>" then this, under the averages of a map whose points at a speaker have no level.
inline constexpr const char* kPointsLeftOut =
    " point(s) at a speaker's position left out (no level exists there)";
inline constexpr const char* kCeilingSolid = "Ceiling Height (Solid Material) : ";
inline constexpr const char* kCeilingAbsorbent =
    "Ceiling Height (Absorbent Material / No Ceiling) : ";
inline constexpr const char* kAudienceHeight = "Audience Plane Height : ";
inline constexpr const char* kNumberOfSpeakers = "Number of Speakers : ";
inline constexpr const char* kAmplifierPower = "Recommended Amplifier Power : ";
inline constexpr const char* kAmplifierTo = " to ";
inline constexpr const char* kAutoDensity = "Speaker Density :  ";
inline constexpr const char* kAutoSpeaker = "Speaker : ";
inline constexpr const char* kAutoTap = "Tap : ";
inline constexpr const char* kColumnPitch = "Distance between Successive Columns : ";
inline constexpr const char* kRowPitch = "Distance between Successive Rows : ";
inline constexpr const char* kLeftOffset = "Distance from Left Wall to First Column : ";
inline constexpr const char* kBottomOffset = "Distance from Bottom Wall to First Row : ";
inline constexpr const char* kTitleSeparator = " , ";
inline constexpr const char* kLegendSeparator = " - ";
inline constexpr const char* kTableNo = "No";
inline constexpr const char* kTableSpeakerName = "Speaker Name";
inline constexpr const char* kTableX = "X";
inline constexpr const char* kTableY = "Y";
inline constexpr const char* kTableZ = "Z";
inline constexpr const char* kTablePower = "Power";
inline constexpr const char* kTablePolarity = "Polarity";
inline constexpr const char* kTableNormal = "Normal";
inline constexpr const char* kTableReverse = "Reverse";
inline constexpr const char* kRoomParametersMenu = "Room Parameters...";
inline constexpr const char* kAxisX = "X";
inline constexpr const char* kAxisY = "Y";
inline constexpr const char* kAxisZ = "Z";

// Room > Surfaces and Air
inline constexpr const char* kSurfacesAndAirTitle = "Surfaces and Air";
inline constexpr const char* kFaceFloor = "Floor (Z = 0)";
inline constexpr const char* kFaceCeiling = "Ceiling (Z = H)";
inline constexpr const char* kFaceWallX0 = "Wall X = 0";
inline constexpr const char* kFaceWallXL = "Wall X = L";
inline constexpr const char* kFaceWallY0 = "Wall Y = 0";
inline constexpr const char* kFaceWallYW = "Wall Y = W";
inline constexpr const char* kTypedMaterial = "(typed coefficients)";
inline constexpr const char* kExtraAbsorption = "Extra absorption [m2]";
inline constexpr const char* kAirTemperature = "Air temperature";
inline constexpr const char* kAirHumidity = "Relative humidity";
inline constexpr const char* kAirOnDirect = "Air absorption on the direct sound";
inline constexpr const char* kReverbFormula = "Reverberation formula";
inline constexpr const char* kFormulaEyring = "Eyring";
inline constexpr const char* kFormulaSabine = "Sabine";
inline constexpr const char* kNoiseOn = "Background noise";
inline constexpr const char* kNoiseCurve = "Noise curve";
inline constexpr const char* kNoiseTyped = "(typed levels)";
inline constexpr const char* kStiTarget = "STI target";
inline constexpr const char* kRoomVolume = "Volume";
inline constexpr const char* kRoomSurface = "Surface";
inline constexpr const char* kMeanAlpha = "Mean alpha";
inline constexpr const char* kRtSabine = "T Sabine [s]";
inline constexpr const char* kRtEyring = "T Eyring [s]";
// The colour map's quantity list (the direct sound's name is with the arrival quantities').
inline constexpr const char* kQuantityReverberant = "Reverberant SPL";
inline constexpr const char* kQuantityTotal = "Total SPL";
inline constexpr const char* kQuantityRatio = "Direct / Reverberant";
inline constexpr const char* kQuantityBroadbandZ = "Broadband SPL";
inline constexpr const char* kQuantityBroadbandA = "Broadband SPL (A)";
inline constexpr const char* kQuantitySti = "STI";
inline constexpr const char* kQuantityCis = "CIS";
inline constexpr const char* kCurveDirect = "Direct";
inline constexpr const char* kCurveReverberant = "Reverberant";
inline constexpr const char* kCurveTotal = "Total";
// The report a planner hands over: its title block, section titles and figures.
inline constexpr const char* kNameTooLong =
    "Enter the planner and the company on one line each, at most 120 characters.";
inline constexpr const char* kReportHeading = "Sound Reinforcement Report";
inline constexpr const char* kReportPlanner = "Planner : ";
inline constexpr const char* kReportCompany = "Company : ";
// %1 this page, %2 the pages.
inline constexpr const char* kReportPage = "Page %1 of %2";
inline constexpr const char* kReportRoomTitle = "Room and calculation planes";
inline constexpr const char* kReportRoomSize = "Room (length x width x height) : ";
inline constexpr const char* kReportRoomZero = "Room zero position (X, Y) : ";
inline constexpr const char* kReportPlane = "Calculation plane ";
inline constexpr const char* kReportFrom = "from ";
inline constexpr const char* kReportExtent = "extent ";
inline constexpr const char* kReportPointsAt = " points at a pitch of ";
inline constexpr const char* kReportEquipmentTitle = "Equipment";
inline constexpr const char* kReportPosition = "X, Y, Z ";
inline constexpr const char* kReportAim = "Az/El/Rot [deg]";
inline constexpr const char* kReportCount = "Count";
inline constexpr const char* kReportTotalPower = "Total Power : ";
inline constexpr const char* kReportUnknownModel = "(missing speaker data)";
inline constexpr const char* kReportMapTitle = "SPL map ";
inline constexpr const char* kReportNotCalculated = "This map has not been calculated.";
inline constexpr const char* kReportFigure = "Figure";
inline constexpr const char* kReportValue = "Value";
inline constexpr const char* kReportMaximum = "Maximum";
inline constexpr const char* kReportMinimum = "Minimum";
inline constexpr const char* kReportPinkAverage = "Average (pink noise)";
inline constexpr const char* kReportMusicAverage = "Average (music/speech)";
inline constexpr const char* kReportDeviation = "Standard deviation";
inline constexpr const char* kReportWithin = "Points within +/-3 dB of the pink-noise average";
inline constexpr const char* kReportPercentiles = "Percentiles (10th, 50th, 90th)";
inline constexpr const char* kReportResponseTitle = "Frequency response at the listening points";
inline constexpr const char* kReportResponseNote = "Band levels of the first map's summation: ";
inline constexpr const char* kReportPlaneCentre = "Centre of the calculation plane";
inline constexpr const char* kReportNoResponse = "no response can be calculated here";
// The room acoustics and speech intelligibility of a project that has them.
inline constexpr const char* kReportAcousticsTitle = "Room acoustics";
inline constexpr const char* kReportVolume = "Volume : ";
inline constexpr const char* kReportSurface = "Surface : ";
inline constexpr const char* kUnitCubicMetre = "[m3]";
inline constexpr const char* kUnitSquareMetre = "[m2]";
// %1 the temperature, %2 the relative humidity.
inline constexpr const char* kReportAir = "Air : %1 deg C, %2 % relative humidity, 101.325 kPa";
inline constexpr const char* kReportAirOnDirect = "Air absorption on the direct sound : ";
inline constexpr const char* kReportOn = "on";
inline constexpr const char* kReportOff = "off";
inline constexpr const char* kReportFormula = "Reverberation formula : ";
inline constexpr const char* kReportFormulaDrives =
    " (its time, marked *, drives the reverberant field and the STI)";
inline constexpr const char* kReportSurfaces = "Surfaces : absorption coefficient per octave [Hz]";
inline constexpr const char* kReportFace = "Face";
inline constexpr const char* kReportMaterial = "Material";
inline constexpr const char* kReportArea = "Area [m2]";
inline constexpr const char* kReportOctaves = "Reverberation per octave";
inline constexpr const char* kReportOctave = "Octave [Hz]";
inline constexpr const char* kReportAbsorptionArea = "Absorption area [m2]";
inline constexpr const char* kReportAirAttenuation = "Air [dB/km]";
inline constexpr const char* kReportDrivingMark = " *";
inline constexpr const char* kReportRtChart = "Reverberation time per octave";
inline constexpr const char* kUnitSecond = "[s]";
inline constexpr const char* kReportSpeechTitle = "Speech transmission index (STI)";
inline constexpr const char* kReportSpeechPlane = "STI over calculation plane ";
inline constexpr const char* kReportNoise = "Background noise : ";
inline constexpr const char* kReportNoNoise = "none";
inline constexpr const char* kReportNoSpeech = "The STI cannot be calculated: ";
inline constexpr const char* kReportNoPlane = "the project has no calculation plane";
inline constexpr const char* kReportNoInstallations = "the project has no installations";
inline constexpr const char* kReportStiMinimum = "Minimum STI";
inline constexpr const char* kReportStiMean = "Mean STI";
inline constexpr const char* kReportStiShare = "Points at or above the target";
inline constexpr const char* kReportSpeechColumns =
    "At the marked points, per octave: Ld the direct and Lr the reverberant level of the system, "
    "Ls the speech level (Ld and Lr shifted by the male speech spectrum), Ln the background "
    "noise, T the reverberation time and MTI the modulation transfer index.";
inline constexpr const char* kReportLd = "Ld [dB]";
inline constexpr const char* kReportLr = "Lr [dB]";
inline constexpr const char* kReportLs = "Ls [dB]";
inline constexpr const char* kReportLn = "Ln [dB]";
inline constexpr const char* kReportT = "T [s]";
inline constexpr const char* kReportMti = "MTI";
inline constexpr const char* kReportStiAt = " : STI ";
inline constexpr const char* kReportCisAt = ", CIS ";
inline constexpr const char* kReportNoMarkedPoints =
    "No listening points are marked; mark them on the map (Mark Listening Point Here...) for "
    "the octave table at each.";
} // namespace Strings
