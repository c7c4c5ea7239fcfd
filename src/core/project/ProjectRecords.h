#pragma once

#include "common/Archive.h"

#include <cstdint>

class CDAXDoc;

// The project data added after version 2.0.0 (signal delays, marked listening points, and what
// later features add) travels in tagged records after the 2.0.0 body:
//
//   DWORD record count, then per record: 4 ASCII bytes id, DWORD payload length, payload.
//
// A record is written only when its data differs from what a 2.0.0 project means, in one fixed
// order, so a project that uses none of it is a 2.0.0 file byte for byte and a project that
// uses some reads back and saves to the same bytes. Readers refuse a record they do not know,
// one that appears twice, or a payload they do not read to its end, rather than open a project
// without data it holds; a reader of version 2.0.0 refuses the whole file by its version word.
namespace ProjectRecords {
// Whether any record would be written; false means the file is written as version 2.0.0.
bool AnyPresent(const CDAXDoc& doc);
// The records of the project, after its body.
void Store(CArchiveOut& ar, const CDAXDoc& doc);
// Reads the records after the body into a project that has just read the body.
void Load(CArchiveIn& ar, CDAXDoc& doc);
} // namespace ProjectRecords
