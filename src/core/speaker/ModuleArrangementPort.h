#pragma once

#include "common/Errors.h"
#include "speaker/AxisElement.h"
#include "speaker/TypePandRParam.h"

// The three element counts of a model: centre, upper stack, lower stack.
struct CModuleCounts {
    int centre = 0;
    int upper = 0;
    int lower = 0;
    // Summed in a wider type: counts may come straight from a damaged text line.
    long long Total() const { return static_cast<long long>(centre) + upper + lower; }
    // The total where an int is needed; CInvalidArgument when counts that were never checked
    // sum to more than an int holds.
    int CheckedTotal() const {
        const long long total = Total();
        if (total < 0 || total > 2147483647LL)
            throw CInvalidArgument("module counts summing to " + std::to_string(total));
        return static_cast<int>(total);
    }
    friend bool operator==(const CModuleCounts&, const CModuleCounts&) = default;
};

// What a vector dialog (QL-9, KV-W5) starts from and, after OK, what the user chose: the counts
// and one module vector per element.
struct CVectorArrangement {
    CModuleCounts counts;
    CAxisEntityArray vectors;
    int lengthUnit = 0;
};

// What a cabinet dialog (KV-P10, KV-R6, KV-K) starts from and gives back. The module table is
// the model's, read to draw the column; only the counts and the cabinet list come back.
struct CCabinetArrangement {
    CModuleCounts counts;
    CTypePandRParamArray cabinets;
    CAxisElementArray modules;
    int lengthUnit = 0;
};

// Where the array hangs above the calculation plane, for the aiming lines of the arrangement's
// picture: the drop from its reference point down to the plane in metres, and the tilt of the
// whole array (its installation's elevation, degrees, down positive). Unknown: no plane below.
struct CArraySite {
    bool known = false;
    double drop = 0.0;
    double tilt = 0.0;
};

// How a line-array model asks a person to arrange it. The model knows nothing of dialogs: it
// hands its arrangement to the port and applies what comes back. Each call returns true for OK,
// false for Cancel; after Cancel the model ignores the arrangement. The project layer implements
// this port with the arrangement forms (CModuleArrangementDialogs).
class CModuleArrangementPort {
public:
    virtual ~CModuleArrangementPort() = default;
    // Where the next arrangement's array hangs; a port that draws no aiming lines ignores it.
    virtual void SetSite(const CArraySite& site) { (void)site; }
    virtual bool ArrangeQL9(CVectorArrangement& arrangement) = 0;
    virtual bool ArrangeTypeW(CVectorArrangement& arrangement) = 0;
    virtual bool ArrangeTypeP(CCabinetArrangement& arrangement) = 0;
    virtual bool ArrangeTypeR(CCabinetArrangement& arrangement) = 0;
    virtual bool ArrangeTypeK(CCabinetArrangement& arrangement) = 0;
};
