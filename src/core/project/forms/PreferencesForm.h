#pragma once

#include "project/Strings.h"

#include <string>

// "Preferences": the two project-wide switches, and who makes the reports (the planner and the
// company, which the application keeps for the person, not the project).
class CPreferencesForm {
public:
    CPreferencesForm(int advancedMode, int manualRecalc, std::string plannerName = {},
                     std::string companyName = {})
        : advancedChecked(advancedMode != 0), manualChecked(manualRecalc == 1),
          planner(std::move(plannerName)), company(std::move(companyName)) {}

    std::string Title() const { return Strings::kPreferencesTitle; }
    static std::string AdvancedLabel() { return Strings::kAdvancedMode; }
    static std::string ManualLabel() { return Strings::kManualRecalculation; }
    static std::string PlannerLabel() { return Strings::kReportPlanner; }
    static std::string CompanyLabel() { return Strings::kReportCompany; }
    static constexpr std::size_t kMaxNameLength = 120;

    bool advancedChecked;
    bool manualChecked;
    std::string planner;
    std::string company;

    int AdvancedMode() const { return advancedChecked ? 2 : 0; }
    int ManualRecalc() const { return manualChecked ? 1 : 0; }
    // The names fit a report's title line: one line each, at most kMaxNameLength bytes.
    bool Accept(std::string* message) const {
        for (const std::string* name : {&planner, &company})
            if (name->size() > kMaxNameLength ||
                name->find_first_of("\r\n") != std::string::npos) {
                if (message)
                    *message = Strings::kNameTooLong;
                return false;
            }
        return true;
    }
};
