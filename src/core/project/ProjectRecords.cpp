#include "project/ProjectRecords.h"

#include "project/DAXDoc.h"
#include "project/DocumentLoader.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string NumberText(double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", x);
    return text;
}

// --- Signal delays: one per installation, in milliseconds ---

bool HasDelays(const CDAXDoc& doc) {
    for (const CInstallationElement& e : doc.Room().List())
        if (e.delay != 0.0)
            return true;
    return false;
}

void StoreDelays(CArchiveOut& ar, const CDAXDoc& doc) {
    ar.Dword(static_cast<std::uint32_t>(doc.Room().Count()));
    for (const CInstallationElement& e : doc.Room().List())
        ar.Double(e.delay, "a signal delay");
}

void LoadDelays(CArchiveIn& ar, CDAXDoc& doc) {
    std::uint32_t count = 0;
    ar.Dword(count);
    if (count != static_cast<std::uint32_t>(doc.Room().Count()))
        ar.Fail("the delays are given for " + std::to_string(count) +
                " installations, the project has " + std::to_string(doc.Room().Count()));
    for (int i = 0; i < doc.Room().Count(); ++i) {
        double delay = 0.0;
        ar.Double(delay, "a signal delay");
        if (!(delay >= 0.0 && delay <= kMaxDelayMs))
            ar.Fail("the signal delay of installation " + std::to_string(i + 1) + " (" +
                    NumberText(delay) + " ms) lies outside 0 to " +
                    NumberText(kMaxDelayMs) + " ms");
        CDocumentLoader(doc).Room().SetDelay(i, delay);
    }
}

// --- Marked listening points ---

bool HasListeningPoints(const CDAXDoc& doc) {
    return !doc.Settings().listeningPoints.empty();
}

void StoreListeningPoints(CArchiveOut& ar, const CDAXDoc& doc) {
    const auto& points = doc.Settings().listeningPoints;
    ar.Dword(static_cast<std::uint32_t>(points.size()));
    for (const CListeningPoint& p : points) {
        ar.String(p.name);
        SerializeVec3(ar, p.position, "a marked point's position");
    }
}

void LoadListeningPoints(CArchiveIn& ar, CDAXDoc& doc) {
    std::uint32_t count = 0;
    ar.Dword(count);
    if (count > kMaxListeningPoints)
        ar.Fail("the project marks " + std::to_string(count) + " listening points, more than the " +
                std::to_string(kMaxListeningPoints) + " it may hold");
    ar.RequireItems(count, 1 + 3 * sizeof(double), "marked points");
    CProjectSettings settings = doc.Settings();
    settings.listeningPoints.resize(count);
    for (CListeningPoint& p : settings.listeningPoints) {
        ar.String(p.name);
        if (p.name.size() > kMaxListeningPointName)
            ar.Fail("a marked point's name of " + std::to_string(p.name.size()) +
                    " bytes is longer than the " + std::to_string(kMaxListeningPointName) +
                    " allowed");
        SerializeVec3(ar, p.position, "a marked point's position");
    }
    CDocumentLoader(doc).ReplaceSettings(std::move(settings));
}

// --- What each colour map shows, when any shows more than the direct sound ---

bool HasQuantities(const CDAXDoc& doc) {
    for (int i = 0; i < doc.Conditions().Count(); ++i)
        if (doc.Conditions().At(i)->quantity != EMapQuantity::Direct)
            return true;
    return false;
}

void StoreQuantities(CArchiveOut& ar, const CDAXDoc& doc) {
    ar.Dword(static_cast<std::uint32_t>(doc.Conditions().Count()));
    for (int i = 0; i < doc.Conditions().Count(); ++i)
        ar.WordInt(static_cast<int>(doc.Conditions().At(i)->quantity));
}

void LoadQuantities(CArchiveIn& ar, CDAXDoc& doc) {
    std::uint32_t count = 0;
    ar.Dword(count);
    if (count != static_cast<std::uint32_t>(doc.Conditions().Count()))
        ar.Fail("the map quantities are given for " + std::to_string(count) +
                " calculation planes, the project has " +
                std::to_string(doc.Conditions().Count()));
    for (int i = 0; i < doc.Conditions().Count(); ++i) {
        int number = 0;
        ar.WordInt(number);
        const std::optional<EMapQuantity> quantity = QuantityByNumber(number);
        if (!quantity)
            ar.Fail("calculation plane " + std::to_string(i + 1) + " shows quantity " +
                    std::to_string(number) + ", which this version does not know");
        CDocumentLoader(doc).Conditions().At(i)->quantity = *quantity;
    }
}

// --- Colour maps whose classes follow the map's maximum ---

bool HasAutomaticScales(const CDAXDoc& doc) {
    for (int i = 0; i < doc.Conditions().Count(); ++i)
        if (doc.Conditions().At(i)->automaticScale)
            return true;
    return false;
}

void StoreAutomaticScales(CArchiveOut& ar, const CDAXDoc& doc) {
    ar.Dword(static_cast<std::uint32_t>(doc.Conditions().Count()));
    for (int i = 0; i < doc.Conditions().Count(); ++i)
        ar.WordInt(doc.Conditions().At(i)->automaticScale ? 1 : 0);
}

void LoadAutomaticScales(CArchiveIn& ar, CDAXDoc& doc) {
    std::uint32_t count = 0;
    ar.Dword(count);
    if (count != static_cast<std::uint32_t>(doc.Conditions().Count()))
        ar.Fail("the colour scales are given for " + std::to_string(count) +
                " calculation planes, the project has " +
                std::to_string(doc.Conditions().Count()));
    for (int i = 0; i < doc.Conditions().Count(); ++i) {
        int automatic = 0;
        ar.WordInt(automatic);
        if (automatic != 0 && automatic != 1)
            ar.Fail("the colour scale of calculation plane " + std::to_string(i + 1) + " is " +
                    std::to_string(automatic) + ", neither 0 (stored) nor 1 (automatic)");
        CDocumentLoader(doc).Conditions().At(i)->automaticScale = automatic == 1;
    }
}

// --- Room acoustics: the faces' materials, extra absorption, air and formula ---

bool HasRoomAcoustics(const CDAXDoc& doc) {
    return doc.Settings().roomAcoustics != CRoomAcoustics{};
}

template <class Archive>
void OctaveDoubles(Archive& ar, ArchiveSubject<Archive, COctaveValues>& values, const char* what) {
    for (auto& v : values)
        ar.Double(v, what);
}

// A flag as the writer writes it: 0 or 1, anything else refused so the file reads back as it is.
void LoadFlag(CArchiveIn& ar, bool& flag, const char* what) {
    int value = 0;
    ar.WordInt(value);
    if (value != 0 && value != 1)
        ar.Fail(std::string(what) + " is " + std::to_string(value) + ", not 0 or 1");
    flag = value == 1;
}

void StoreRoomAcoustics(CArchiveOut& ar, const CDAXDoc& doc) {
    const CRoomAcoustics& room = doc.Settings().roomAcoustics;
    for (const CRoomMaterial& face : room.faces) {
        ar.String(face.name);
        OctaveDoubles(ar, face.alpha, "an absorption coefficient");
    }
    OctaveDoubles(ar, room.extraAbsorption, "an extra absorption area");
    ar.Double(room.temperature, "the air temperature");
    ar.Double(room.humidity, "the relative humidity");
    ar.WordInt(room.airOnDirect ? 1 : 0);
    ar.WordInt(static_cast<int>(room.formula));
}

void LoadRoomAcoustics(CArchiveIn& ar, CDAXDoc& doc) {
    CRoomAcoustics room;
    for (CRoomMaterial& face : room.faces) {
        ar.String(face.name);
        OctaveDoubles(ar, face.alpha, "an absorption coefficient");
    }
    OctaveDoubles(ar, room.extraAbsorption, "an extra absorption area");
    ar.Double(room.temperature, "the air temperature");
    ar.Double(room.humidity, "the relative humidity");
    LoadFlag(ar, room.airOnDirect, "the switch of air absorption on the direct sound");
    int formula = 0;
    ar.WordInt(formula);
    room.formula = static_cast<EReverbFormula>(formula);
    if (const std::string error = RoomAcousticsError(room); !error.empty())
        ar.Fail("the room acoustics' " + error);
    CProjectSettings settings = doc.Settings();
    settings.roomAcoustics = std::move(room);
    doc.ReplaceSettings(std::move(settings));
}

// --- Speech settings: background noise and the STI target ---

bool HasSpeechSettings(const CDAXDoc& doc) {
    return doc.Settings().speech != CSpeechSettings{};
}

void StoreSpeechSettings(CArchiveOut& ar, const CDAXDoc& doc) {
    const CSpeechSettings& speech = doc.Settings().speech;
    ar.WordInt(speech.noiseOn ? 1 : 0);
    OctaveDoubles(ar, speech.noise, "a noise level");
    ar.String(speech.curve);
    ar.Double(speech.stiTarget, "the STI target");
}

void LoadSpeechSettings(CArchiveIn& ar, CDAXDoc& doc) {
    CSpeechSettings speech;
    LoadFlag(ar, speech.noiseOn, "the background noise switch");
    OctaveDoubles(ar, speech.noise, "a noise level");
    ar.String(speech.curve);
    ar.Double(speech.stiTarget, "the STI target");
    if (const std::string error = SpeechSettingsError(speech); !error.empty())
        ar.Fail("the speech settings' " + error);
    CProjectSettings settings = doc.Settings();
    settings.speech = std::move(speech);
    doc.ReplaceSettings(std::move(settings));
}

// The records in the order they are written. An id is four ASCII letters; a new kind of project
// data adds its record at the end.
struct CRecordKind {
    std::array<char, 4> id;
    const char* what; // for messages
    bool (*present)(const CDAXDoc&);
    void (*store)(CArchiveOut&, const CDAXDoc&);
    void (*load)(CArchiveIn&, CDAXDoc&);
};

constexpr CRecordKind kRecords[] = {
    {{'D', 'L', 'A', 'Y'}, "the signal delays", HasDelays, StoreDelays, LoadDelays},
    {{'M', 'A', 'R', 'K'}, "the marked listening points", HasListeningPoints,
     StoreListeningPoints, LoadListeningPoints},
    {{'Q', 'N', 'T', 'Y'}, "the map quantities", HasQuantities, StoreQuantities, LoadQuantities},
    {{'C', 'S', 'C', 'L'}, "the automatic colour scales", HasAutomaticScales,
     StoreAutomaticScales, LoadAutomaticScales},
    {{'R', 'O', 'O', 'M'}, "the room acoustics", HasRoomAcoustics, StoreRoomAcoustics,
     LoadRoomAcoustics},
    {{'N', 'O', 'I', 'S'}, "the speech settings", HasSpeechSettings, StoreSpeechSettings,
     LoadSpeechSettings},
};
constexpr std::size_t kRecordCount = std::size(kRecords);

std::string IdText(const std::array<char, 4>& id) {
    std::string text;
    for (char c : id)
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    return text;
}

} // namespace

namespace ProjectRecords {

bool AnyPresent(const CDAXDoc& doc) {
    for (const CRecordKind& kind : kRecords)
        if (kind.present(doc))
            return true;
    return false;
}

void Store(CArchiveOut& ar, const CDAXDoc& doc) {
    ar.SetContext("project records");
    std::uint32_t count = 0;
    for (const CRecordKind& kind : kRecords)
        count += kind.present(doc) ? 1u : 0u;
    ar.Dword(count);
    for (const CRecordKind& kind : kRecords) {
        if (!kind.present(doc))
            continue;
        CArchiveOut payload;
        payload.SetContext(kind.what);
        kind.store(payload, doc);
        const std::vector<std::uint8_t>& bytes = payload.Buffer();
        if (bytes.size() > 0xFFFFFFFFu)
            ar.Fail(std::string("cannot store ") + kind.what + ": more than 4 GiB");
        ar.Bytes(kind.id.data(), kind.id.size(), "a record id");
        ar.Dword(static_cast<std::uint32_t>(bytes.size()));
        ar.Bytes(bytes.data(), bytes.size(), kind.what);
    }
    ar.SetContext({});
}

void Load(CArchiveIn& ar, CDAXDoc& doc) {
    ar.SetContext("project records");
    std::uint32_t count = 0;
    ar.Dword(count);
    ar.RequireItems(count, 8, "records");
    bool seen[kRecordCount] = {};
    for (std::uint32_t r = 0; r < count; ++r) {
        std::array<char, 4> id{};
        std::uint32_t length = 0;
        ar.Bytes(id.data(), id.size(), "a record id");
        ar.Dword(length);
        std::size_t k = 0;
        while (k < kRecordCount && kRecords[k].id != id)
            ++k;
        if (k == kRecordCount)
            ar.Fail("the project holds data this version of Daxara cannot keep (record '" +
                    IdText(id) + "'); it was written by a later version");
        if (seen[k])
            ar.Fail(std::string("the project holds ") + kRecords[k].what + " twice");
        seen[k] = true;
        CArchiveIn payload = ar.Section(length, kRecords[k].what);
        payload.SetContext(kRecords[k].what);
        kRecords[k].load(payload, doc);
        if (payload.Remaining() != 0)
            payload.Fail(std::to_string(payload.Remaining()) + " bytes of " + kRecords[k].what +
                         " are left unread");
    }
    if (ar.Remaining() != 0)
        ar.Fail(std::to_string(ar.Remaining()) + " bytes follow the end of the project");
    ar.SetContext({});
}

} // namespace ProjectRecords
