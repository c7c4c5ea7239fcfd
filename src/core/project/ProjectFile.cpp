#include "project/ProjectFile.h"

#include "common/Archive.h"
#include "common/FileVersion.h"
#include "project/DAXDoc.h"
#include "project/DocumentLoader.h"
#include "project/ProjectRecords.h"
#include "project/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
template <class Archive>
void SerializeInstallation(Archive& ar, ArchiveSubject<Archive, CInstallationElement>& e) {
    SerializeOrientation(ar, e.orientation);
    ar.Double(e.power, "an installation's power");
    ar.WordBool(e.polarityNormal);
    SerializeVec3(ar, e.position, "an installation's position");
    ar.WordInt(e.modelIndex);
    ar.WordInt(e.tapIndex);
}
} // namespace

// --- Installations ---
// The container lets this record restore its stored total.
struct CInstallationsRecord {
    template <class Archive>
    static void Transfer(Archive& ar, ArchiveSubject<Archive, CInstallationContainer>& room,
                         std::uint32_t v) {
        constexpr bool loading = !Archive::kStoring;
        ar.SetContext("installations");
        auto& list = room.m_list;
        int current = list.CurrentIndex();
        ar.WordInt(current);
        std::size_t count = static_cast<std::size_t>(list.Count());
        ar.CountWord(count, 62, "installations");
        ar.Double(room.gridPitchX, "the grid pitch X");
        ar.Double(room.gridPitchY, "the grid pitch Y");
        if (v >= kVersion140)
            ar.Bytes(&room.reserved1, sizeof room.reserved1, "a reserved value");
        ar.Double(room.roomLength, "the room length");
        ar.Double(room.roomWidth, "the room width");
        if (v >= kVersion140)
            ar.Bytes(&room.reserved2, sizeof room.reserved2, "a reserved value");
        ar.Double(room.roomZeroX, "the room zero X");
        ar.Double(room.roomZeroY, "the room zero Y");
        if (v >= kVersion140) {
            ar.Double(room.roomHeight, "the room height");
        } else {
            ar.Bytes(&room.reserved2, sizeof room.reserved2, "a reserved value");
            if constexpr (loading)
                room.roomHeight = 0.0;
        }
        ar.Double(room.m_totalPower, "the total power");
        ar.WordInt(room.ceilingType);
        if constexpr (!loading) {
            for (const CInstallationElement& e : list)
                SerializeInstallation(ar, e);
        } else {
            list.RemoveAll();
            for (std::size_t i = 0; i < count; ++i) {
                CInstallationElement e{}; // a record read from a file starts from all zeros
                e.polarityNormal = false;
                SerializeInstallation(ar, e);
                list.Append(e);
            }
            list.SetCurrentIndex(current);
        }
    }
};

namespace {

// --- Calculation planes ---
void StorePlane(CArchiveOut& ar, const CListeningPlane& plane) {
    // A plane whose points were handed to a duplicate is written as its rebuilt grid, so the
    // file reads back with as many point records as the reader regenerates.
    const CListeningPlane* source = &plane;
    CListeningPlane rebuilt;
    if (static_cast<long long>(plane.points.size()) != plane.pointCount) {
        rebuilt = plane;
        rebuilt.Rebuild();
        source = &rebuilt;
    }
    // The reader refuses larger planes; a file it cannot open must not be written.
    if (source->pointCount > kMaxPlanePoints)
        ar.Fail("the calculation plane has " + std::to_string(source->pointCount) +
                " points, more than the " + std::to_string(kMaxPlanePoints) + " a plane may have");
    ar.Word(static_cast<std::uint16_t>(source->pointCount));
    ar.Word(kColorClasses);
    ar.Double(plane.dotPitch, "the pitch of colour dot");
    ar.Double(plane.colorPitch, "the colour pitch");
    ar.Double(plane.extentX, "the plane extent X");
    ar.Double(plane.extentY, "the plane extent Y");
    ar.Double(plane.extentZ, "the plane extent Z");
    ar.Double(plane.colorMaximum, "the colour maximum");
    ar.Double(plane.originX, "the plane origin X");
    ar.Double(plane.originY, "the plane origin Y");
    ar.Double(plane.originZ, "the plane origin Z");
    for (const CPlaceElement& p : source->points) {
        ar.Double(p.x), ar.Double(p.y), ar.Double(p.z);
        ar.Double(p.sizeX), ar.Double(p.sizeY), ar.Double(p.sizeZ);
        // A point without a level is written as a point not yet calculated.
        const double level = std::isnan(p.level) ? 0.0 : p.level;
        ar.Double(level, "a grid point level");
    }
    for (int i = 0; i < kColorClasses; ++i) {
        ar.Dword(plane.colors[static_cast<std::size_t>(i)]);
        ar.Double(plane.thresholds[static_cast<std::size_t>(i)]);
    }
    // Only a finished map has statistics; any other plane is written with 0, as a plane not yet
    // calculated, and reads back as one (see CListeningPlane::state).
    const bool result = plane.HasResult();
    ar.Double(result ? plane.maximumLevel : 0.0, "the maximum level");
    ar.Double(result ? plane.minimumLevel : 0.0, "the minimum level");
    ar.Double(result ? plane.pinkNoiseAverage : 0.0, "the pink-noise average");
    ar.Double(result ? plane.musicSpeechAverage : 0.0, "the music/speech average");
}

void LoadPlane(CArchiveIn& ar, CListeningPlane& plane, std::uint32_t v) {
    const bool has3d = v >= kVersion140;
    std::uint16_t pointWord = 0, colorCount = 0;
    ar.Word(pointWord); // informational only
    ar.Word(colorCount);
    double dotPitch = 0, colorPitch = 0, ex = 0, ey = 0, ez = 0, colorMax = 0, ox = 0, oy = 0,
           oz = 0;
    ar.Double(dotPitch, "the pitch of colour dot");
    ar.Double(colorPitch, "the colour pitch");
    ar.Double(ex, "the plane extent X");
    ar.Double(ey, "the plane extent Y");
    if (has3d)
        ar.Double(ez, "the plane extent Z");
    ar.Double(colorMax, "the colour maximum");
    ar.Double(ox, "the plane origin X");
    ar.Double(oy, "the plane origin Y");
    ar.Double(oz, "the plane origin Z");
    const std::size_t perPoint = (has3d ? 7 : 6) * sizeof(double);
    const long long requested = CListeningPlane::RequestedGridCount(ex, ey, ez, dotPitch);
    if (requested > kMaxPlanePoints)
        ar.Fail("the calculation plane has " + std::to_string(requested) +
                " points, more than the " + std::to_string(kMaxPlanePoints) + " a plane may have");
    ar.RequireItems(static_cast<std::size_t>(requested), perPoint, "grid points");
    plane.Build(ox, oy, oz, ex, ey, ez, dotPitch, colorMax, colorPitch);
    for (CPlaceElement& p : plane.points) {
        ar.Double(p.x), ar.Double(p.y), ar.Double(p.z);
        ar.Double(p.sizeX), ar.Double(p.sizeY);
        p.sizeZ = 0.0;
        if (has3d)
            ar.Double(p.sizeZ);
        ar.Double(p.level, "a grid point level");
    }
    ar.RequireItems(colorCount, 12, "colour classes");
    for (std::size_t i = 0; i < colorCount; ++i) {
        std::uint32_t color = 0;
        double threshold = 0;
        ar.Dword(color);
        ar.Double(threshold);
        if (i < static_cast<std::size_t>(kColorClasses)) {
            plane.colors[i] = color;
            plane.thresholds[i] = threshold;
        }
    }
    ar.Double(plane.maximumLevel, "the maximum level");
    ar.Double(plane.minimumLevel, "the minimum level");
    ar.Double(plane.pinkNoiseAverage, "the pink-noise average");
    ar.Double(plane.musicSpeechAverage, "the music/speech average");
}

template <class Archive>
void SerializeCondition(Archive& ar, ArchiveSubject<Archive, CColorMapCondition>& c,
                        std::uint32_t v) {
    ar.WordInt(c.mode);
    ar.Double(c.band, "the band");
    ar.Double(c.centreFrequency, "the centre frequency");
    ar.WordInt(c.scrollSize[0]);
    ar.WordInt(c.scrollSize[1]);
    for (auto& margin : c.margins)
        ar.WordInt(margin);
    ar.Double(c.scale, "the scale");
    if constexpr (Archive::kStoring)
        StorePlane(ar, c.plane);
    else
        LoadPlane(ar, c.plane, v);
    if (v >= kVersion140)
        for (auto& angle : c.viewAngles)
            ar.Double(angle);
}

template <class Archive>
void SerializeConditions(Archive& ar, ArchiveSubject<Archive, CColorMapConditionList>& list,
                         std::uint32_t v) {
    ar.SetContext("calculation planes");
    int current = list.currentIndex;
    ar.WordInt(current);
    std::size_t count = static_cast<std::size_t>(list.Count());
    ar.CountWord(count, 100, "calculation planes");
    if constexpr (Archive::kStoring) {
        for (int i = 0; i < list.Count(); ++i)
            SerializeCondition(ar, *list.At(i), v);
    } else {
        list.RemoveAll();
        for (std::size_t i = 0; i < count; ++i) {
            ar.SetContext("calculation plane " + std::to_string(i));
            CColorMapCondition c = CColorMapCondition::ForLoading();
            SerializeCondition(ar, c, v);
            list.Append(std::move(c));
        }
        list.currentIndex = current;
    }
}

// --- Frequency response entries ---
template <class Archive>
void SerializeCurveList(Archive& ar, ArchiveSubject<Archive, CSoundGraphDataList>& data) {
    constexpr bool loading = !Archive::kStoring;
    ar.WordInt(data.reservedWord);
    std::size_t curves = data.curves.size();
    ar.CountWord(curves, 7, "curves");
    ar.Double(data.frequencyMin);
    ar.Double(data.frequencyMax);
    ar.Double(data.levelMin);
    ar.Double(data.levelMax);
    ar.Double(data.frequencyStep);
    ar.Double(data.levelStep);
    ar.DwordInt(data.frequencyAxisType);
    ar.DwordInt(data.levelAxisType);
    if constexpr (loading)
        data.curves.assign(curves, CSoundGraphData{});
    for (auto& curve : data.curves) {
        std::uint32_t sized = static_cast<std::uint32_t>(curve.PointCount());
        ar.Dword(sized);
        ar.String(curve.name);
        std::size_t points = curve.frequencies.size();
        ar.CountWord(points, 2 * sizeof(double), "curve points");
        if constexpr (loading)
            curve.SetPoints(static_cast<int>(points), nullptr, nullptr);
        for (std::size_t i = 0; i < points; ++i) {
            ar.Double(curve.frequencies[i]);
            ar.Double(curve.levels[i]);
        }
    }
}

template <class Archive>
void SerializeGraphEntry(Archive& ar, ArchiveSubject<Archive, CSoundGraphCondition>& e) {
    ar.WordInt(e.left), ar.WordInt(e.top), ar.WordInt(e.right), ar.WordInt(e.bottom);
    ar.Double(e.xScale);
    ar.Double(e.yScale);
    SerializeCurveList(ar, e.data);
}

template <class Archive>
void SerializeGraphs(Archive& ar, ArchiveSubject<Archive, CSoundGraphConditionList>& list) {
    ar.SetContext("frequency response entries");
    int current = list.currentIndex;
    ar.WordInt(current);
    std::size_t count = static_cast<std::size_t>(list.Count());
    ar.CountWord(count, 28, "frequency response entries");
    if constexpr (Archive::kStoring) {
        for (int i = 0; i < list.Count(); ++i)
            SerializeGraphEntry(ar, *list.At(i));
    } else {
        list.RemoveAll();
        for (std::size_t i = 0; i < count; ++i) {
            CSoundGraphCondition e;
            SerializeGraphEntry(ar, e);
            list.AddGraphCondition(-1, e.left, e.top, e.right, e.bottom, e.xScale, e.yScale,
                                   e.data);
        }
        list.currentIndex = current;
    }
}

std::uint32_t LegacyVersion(const std::string& text) {
    if (text.size() < 13 || text.compare(0, 8, "Version ") != 0)
        return 0;
    std::uint32_t v = 0;
    for (std::size_t at : {8u, 10u, 12u})
        v = (v | static_cast<std::uint32_t>(text[at] - '0')) << 8;
    return v;
}
} // namespace

namespace ProjectFile {

template <class Archive>
void SerializeBody(Archive& ar, ArchiveSubject<Archive, CDAXDoc>& doc, std::uint32_t v) {
    // Reading fills the fresh document through its loader; writing only reads it.
    auto body = [&]() -> decltype(auto) {
        if constexpr (Archive::kStoring)
            return (doc);
        else
            return CDocumentLoader(doc);
    };
    auto&& target = body();
    constexpr bool loading = !Archive::kStoring;
    ar.SetContext("project settings");
    // Read into a copy that the project takes whole once the block is complete.
    CProjectSettings s = doc.Settings();
    ar.WordInt(s.advancedMode);
    ar.WordInt(s.loadedFromFile);
    ar.WordInt(s.installState);
    bool fresh = s.freshProjectFlag != 0, valid = s.autoLayoutValid != 0,
         same = s.planeSameAsRoom != 0;
    ar.WordBool(fresh);
    ar.WordBool(valid);
    ar.String(s.projectName);
    ar.String(s.projectDate);
    ar.WordInt(s.lengthUnit);
    ar.WordInt(s.autoLayoutPattern);
    ar.Double(s.autoJudgeBand, "the judgment band");
    ar.Double(s.autoJudgeFrequency, "the judgment frequency");
    SerializeOrientation(ar, s.installAngles);
    ar.Double(s.installHeight, "the installation height");
    ar.Double(s.autoBottomOffset, "the first row offset");
    ar.Double(s.autoLeftOffset, "the first column offset");
    ar.Double(s.autoRowPitch, "the row pitch");
    ar.Double(s.autoColumnPitch, "the column pitch");
    ar.WordBool(same);
    if (v != kVersion100)
        ar.WordInt(s.manualRecalc);
    if constexpr (loading) {
        s.loadedFromFile = 1;
        s.freshProjectFlag = fresh ? 1 : 0;
        s.autoLayoutValid = valid ? 1 : 0;
        s.planeSameAsRoom = same ? 1 : 0;
        target.ReplaceSettings(std::move(s));
        target.Models().Load(ar, doc.Settings().lengthUnit, v);
    } else {
        target.Models().Store(ar, v);
    }
    CInstallationsRecord::Transfer(ar, target.Room(), v);
    SerializeConditions(ar, target.Conditions(), v);
    SerializeGraphs(ar, target.Graphs());
    ar.SetContext({});
}

std::vector<std::uint8_t> Write(const CDAXDoc& doc) {
    CArchiveOut ar;
    ar.Bytes(kProjectTag, 9, "the tag");
    // Only a project that holds data added since 2.0.0 needs the later version.
    const bool records = ProjectRecords::AnyPresent(doc);
    ar.Dword(records ? kVersion210 : kVersion200);
    SerializeBody(ar, doc, kVersion200);
    if (records)
        ProjectRecords::Store(ar, doc);
    return ar.TakeBuffer();
}

bool HasTag(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 9 && std::memcmp(bytes.data(), kProjectTag, 9) == 0;
}

EReadResult Read(const std::vector<std::uint8_t>& bytes, bool legacy, CDAXDoc& doc,
                 std::string& error) {
    return Read(std::vector<std::uint8_t>(bytes), legacy, doc, error);
}

EReadResult ReadHead(const std::vector<std::uint8_t>& head, std::uint64_t size, bool legacy,
                     std::string& error) {
    // A head that is the whole file is left to Read, which says the same in every detail.
    if (size <= head.size() || head.size() < 16)
        return EReadResult::Loaded;
    if (!legacy) {
        if (!HasTag(head)) {
            error = "the file does not start with the project tag at byte offset 9";
            return EReadResult::Failed;
        }
        std::uint32_t version = 0;
        std::memcpy(&version, head.data() + 9, sizeof version);
        if (IsNewerVersion(version))
            return EReadResult::NewerVersion;
        return IsKnownVersion(version) ? EReadResult::Loaded : EReadResult::UnknownVersion;
    }
    // The version text: a length byte, or 0xFF and a length word, or 0xFFFF and a length dword.
    std::uint64_t length = head[0];
    std::size_t at = 1;
    if (length == 0xFF) {
        std::uint16_t word = 0;
        std::memcpy(&word, head.data() + 1, sizeof word);
        length = word, at = 3;
        if (word == 0xFFFF) {
            std::uint32_t dword = 0;
            std::memcpy(&dword, head.data() + 3, sizeof dword);
            length = dword, at = 7;
        }
    }
    if (length > size - at) {
        error = "a string of " + std::to_string(length) + " bytes runs past the end of the file (" +
                std::to_string(size - at) + " bytes left) at byte offset " + std::to_string(at);
        return EReadResult::Failed;
    }
    // Only the first 13 characters of the text name the version.
    const std::string text(reinterpret_cast<const char*>(head.data() + at),
                           static_cast<std::size_t>(std::min<std::uint64_t>(length, 13)));
    return IsKnownVersion(LegacyVersion(text)) ? EReadResult::Loaded : EReadResult::UnknownVersion;
}

EReadResult Read(std::vector<std::uint8_t>&& bytes, bool legacy, CDAXDoc& doc, std::string& error) {
    CArchiveIn ar(std::move(bytes));
    try {
        std::uint32_t version = 0;
        if (legacy) {
            std::string text;
            ar.String(text);
            version = LegacyVersion(text);
        } else {
            char tag[9];
            ar.Bytes(tag, sizeof tag, "the tag");
            if (std::memcmp(tag, kProjectTag, 9) != 0)
                ar.Fail("the file does not start with the project tag");
            ar.Dword(version);
        }
        if (IsNewerVersion(version) && !legacy)
            return EReadResult::NewerVersion;
        if (!IsKnownVersion(version))
            return EReadResult::UnknownVersion;
        CDocumentLoader(doc).SetFileVersion(version);
        // Version 2.1.0 is the 2.0.0 body with records after it.
        const std::uint32_t body = version == kVersion210 ? kVersion200 : version;
        SerializeBody(ar, doc, body);
        if (version == kVersion210) {
            if (legacy)
                ar.Fail("a legacy project cannot hold records");
            ProjectRecords::Load(ar, doc);
        }
        CColorMapConditionList& conditions = CDocumentLoader(doc).Conditions();
        for (int i = 0; i < conditions.Count(); ++i)
            SettleReadPlane(*conditions.At(i), doc.Scene());
        CDocumentLoader(doc).SetFileVersion(kVersion200);
        return EReadResult::Loaded;
    } catch (const CArchiveException& e) {
        error = e.what();
    } catch (const CInvalidArgument& e) {
        error = std::string(e.what()) + " (at byte offset " + std::to_string(ar.Offset()) + ")";
    } catch (const std::bad_alloc&) {
        error = "not enough memory (at byte offset " + std::to_string(ar.Offset()) + ")";
    }
    CDocumentLoader(doc).SetFileVersion(kVersion200);
    return EReadResult::Failed;
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error) {
    return FileSafety::WriteFileAtomically(path, bytes, error);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::size_t maxBytes, CFileStamp* stamp, const FileSafety::CHeadCheck& head) {
    return FileSafety::ReadRegularFile(path, bytes, error, maxBytes, stamp, head);
}

bool Open(const std::string& path, CDAXDoc& doc, std::string& error, std::string* notice) {
    const bool legacy = IsLegacyPath(path);
    std::vector<std::uint8_t> bytes;
    CFileStamp stamp;
    // The first bytes say whether the file can be a project at all, before memory is taken for
    // the rest of it.
    EReadResult verdict = EReadResult::Loaded;
    const FileSafety::CHeadCheck head = [&](const std::vector<std::uint8_t>& first,
                                            std::uint64_t size, std::string& why) {
        verdict = ReadHead(first, size, legacy, why);
        return verdict == EReadResult::Loaded;
    };
    CDocumentLoader(doc).SetLegacyFormat(legacy);
    if (ReadWholeFile(path, bytes, error, FileSafety::kMaxFileBytes, &stamp, head)) {
        verdict = Read(std::move(bytes), legacy, doc, error);
    } else if (verdict == EReadResult::UnknownVersion) {
        // Nothing of it is read, but its stamp guards a later save all the same.
        const std::optional<CFileStamp> now = FileSafety::Stamp(path, error);
        if (!now)
            return false;
        stamp = *now;
    } else if (verdict == EReadResult::Loaded) {
        return false; // the file could not be read at all
    }
    switch (verdict) {
    case EReadResult::Failed:
        error = std::string(Strings::kFailedToOpen) + " " + error;
        return false;
    case EReadResult::NewerVersion:
        error = std::string(Strings::kFailedToOpen) + " " + Strings::kNewerVersion;
        return false;
    case EReadResult::UnknownVersion:
        if (notice)
            *notice = Strings::kNotAvailableFile;
        break;
    case EReadResult::Loaded:
        break;
    }
    doc.SetPathName(path);
    doc.SetDiskStamp(path, stamp);
    CDocumentLoader(doc).SetLegacyFormat(false);
    doc.SetModified(false);
    return true;
}
} // namespace ProjectFile

bool CProjectFileStorage::Save(const CDAXDoc& document, const std::string& path,
                               std::string& error) {
    // The folder would let the file be replaced; its owner made it read-only to keep it.
    if (const std::string target = FileSafety::WriteTarget(path); FileSafety::IsReadOnly(target)) {
        error = target + " is read-only; the project was not saved (make the file writable to "
                         "save over it)";
        return false;
    }
    try {
        const std::vector<std::uint8_t> bytes = ProjectFile::Write(document);
        // Every file written must open again.
        if (bytes.size() > FileSafety::kMaxFileBytes) {
            error = "the project would take " + std::to_string(bytes.size()) +
                    " bytes, more than the " + std::to_string(FileSafety::kMaxFileBytes) +
                    " a project file may hold";
            return false;
        }
        return ProjectFile::WriteFileAtomically(path, bytes, error);
    } catch (const CArchiveException& e) {
        error = e.what();
    } catch (const CInvalidArgument& e) {
        error = e.what();
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
    }
    return false;
}

std::optional<CFileStamp> CProjectFileStorage::Stamp(const std::string& path) {
    std::string error;
    // A target that cannot be examined is left to the save, which reports why.
    return FileSafety::Stamp(FileSafety::WriteTarget(path), error);
}
