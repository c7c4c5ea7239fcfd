#include "project/ListeningPoints.h"

#include "project/DAXDoc.h"
#include "project/Strings.h"

#include <algorithm>
#include <cmath>

namespace {
using CPoints = std::vector<CListeningPoint>;

CPoints::const_iterator Find(const CPoints& points, const std::string& name) {
    return std::find_if(points.begin(), points.end(),
                        [&](const CListeningPoint& p) { return p.name == name; });
}

EPointEdit CheckName(const CPoints& points, const std::string& name) {
    if (name.find_first_not_of(" \t") == std::string::npos)
        return EPointEdit::EmptyName;
    if (name.size() > kMaxListeningPointName || name.find_first_of("\r\n") != std::string::npos)
        return EPointEdit::NameTooLong;
    if (Find(points, name) != points.end())
        return EPointEdit::NameTaken;
    return EPointEdit::Done;
}

// The points as `edit` leaves them, as one step with its own name.
EPointEdit Apply(CDAXDoc& doc, const char* step, CPoints points) {
    CDAXDoc::CEditStep edit(doc, step);
    CProjectSettings settings = doc.Settings();
    settings.listeningPoints = std::move(points);
    doc.ReplaceSettings(std::move(settings));
    doc.Notify(CDocumentChange::ListeningPoints());
    doc.SetModified();
    return EPointEdit::Done;
}
} // namespace

EPointEdit AddListeningPoint(CDAXDoc& doc, const std::string& name, const CVec3& position) {
    CPoints points = doc.Settings().listeningPoints;
    if (const EPointEdit refused = CheckName(points, name); refused != EPointEdit::Done)
        return refused;
    if (!std::isfinite(position.x) || !std::isfinite(position.y) || !std::isfinite(position.z))
        return EPointEdit::NotFinite;
    if (points.size() >= kMaxListeningPoints)
        return EPointEdit::TooMany;
    points.push_back({name, position});
    return Apply(doc, Strings::kStepMarkPoint, std::move(points));
}

EPointEdit RenameListeningPoint(CDAXDoc& doc, const std::string& name,
                                const std::string& newName) {
    CPoints points = doc.Settings().listeningPoints;
    const auto it = Find(points, name);
    if (it == points.end())
        return EPointEdit::NoSuchPoint;
    if (newName == name)
        return EPointEdit::Done;
    if (const EPointEdit refused = CheckName(points, newName); refused != EPointEdit::Done)
        return refused;
    points[static_cast<std::size_t>(it - points.begin())].name = newName;
    return Apply(doc, Strings::kStepRenamePoint, std::move(points));
}

EPointEdit RemoveListeningPoint(CDAXDoc& doc, const std::string& name) {
    CPoints points = doc.Settings().listeningPoints;
    const auto it = Find(points, name);
    if (it == points.end())
        return EPointEdit::NoSuchPoint;
    points.erase(it);
    return Apply(doc, Strings::kStepRemovePoint, std::move(points));
}

std::string PointEditText(EPointEdit result, const std::string& name) {
    const std::string quoted = "\"" + name + "\"";
    switch (result) {
    case EPointEdit::Done:
        return {};
    case EPointEdit::EmptyName:
        return "a listening point needs a name";
    case EPointEdit::NameTooLong:
        return "the name " + quoted + " must be one line of at most " +
               std::to_string(kMaxListeningPointName) + " bytes";
    case EPointEdit::NameTaken:
        return "a point named " + quoted + " is already marked";
    case EPointEdit::NoSuchPoint:
        return "no listening point is named " + quoted;
    case EPointEdit::TooMany:
        return "the project already marks " + std::to_string(kMaxListeningPoints) +
               " listening points, as many as it may hold";
    case EPointEdit::NotFinite:
        return "the position of " + quoted + " is not given in finite numbers";
    }
    return {};
}

std::string NextPointName(const CDAXDoc& doc) {
    const CPoints& points = doc.Settings().listeningPoints;
    for (std::size_t n = points.size() + 1;; ++n) {
        const std::string name = Strings::kPointNamePrefix + std::to_string(n);
        if (Find(points, name) == points.end())
            return name;
    }
}
