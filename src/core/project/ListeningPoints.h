#pragma once

// The planner's named listening points: marking, renaming and removing them. Each change is one
// undoable step that marks the project modified and tells the views (the maps draw the points,
// the report shows the response at each). Names are unique, one line, at most
// kMaxListeningPointName bytes; positions are finite, in the project's length unit.

#include "common/Vec3.h"

#include <string>

class CDAXDoc;

enum class EPointEdit {
    Done,
    EmptyName,
    NameTooLong,
    NameTaken,
    NoSuchPoint,
    TooMany,
    NotFinite,
};

EPointEdit AddListeningPoint(CDAXDoc& doc, const std::string& name, const CVec3& position);
EPointEdit RenameListeningPoint(CDAXDoc& doc, const std::string& name,
                                const std::string& newName);
EPointEdit RemoveListeningPoint(CDAXDoc& doc, const std::string& name);
// Why an edit was refused, naming the point: "a point named \"Stage\" is already marked".
std::string PointEditText(EPointEdit result, const std::string& name);
// A name not used yet: "Point 1", "Point 2", ...
std::string NextPointName(const CDAXDoc& doc);
