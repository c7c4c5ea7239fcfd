#pragma once

#include "FakePorts.h"
#include "SpeakerFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"

#include <memory>
#include <vector>

// A loaded project with one generated speaker model: a 10 x 10 x 3 room and a 4 x 4 m
// calculation plane at z = 1 in 0.5 m cells, shown by one colour map view in plan view at
// 0.05 pixels per millimetre (10 m = 500 pixels).
struct CPlanViewFixture : CDocFixture {
    std::unique_ptr<CColorMapViewModel> view;

    CPlanViewFixture() {
        AddModel(DirectionalSpeaker(1, 3));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 1, 4, 4, 0, 0.5, 100, 2);
        Build(doc).Conditions().Append(c);
        view = std::make_unique<CColorMapViewModel>(doc);
        view->OnInitialUpdate();
        Build(doc).Conditions().At(view->ConditionIndex())->scale = 0.05;
        view->SetViewDirection(0, 0, 0);
    }
    CColorMapCondition& Condition() { return *Build(doc).Conditions().At(view->ConditionIndex()); }
    // The level the project stores for each point of the plane, in plane order.
    std::vector<double> StoredLevels() const {
        std::vector<double> levels;
        for (const CPlaceElement& p : doc.Conditions().At(0)->plane.points)
            levels.push_back(p.level);
        return levels;
    }
};
