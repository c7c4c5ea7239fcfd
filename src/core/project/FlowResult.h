#pragma once

#include <string>

// What became of a flow the user started: installing, editing, removing, importing, ...
enum class EFlowStatus {
    Done,      // the project changed
    Cancelled, // the user declined a question or cancelled a dialog
    Refused,   // the project's state does not allow it; the user was told where that is the rule
    Failed,    // an error, reported to the user
};

// Why a flow ended without its work. Front ends that word their own messages (the command-line
// tool) decide by this, never by the text of a question.
enum class EFlowReason {
    None,
    NothingCurrent,  // no current model or installation to work on
    ImpedanceMix,    // line and low-impedance taps cannot be installed together
    OtherResolution, // the model's frequency resolution differs from the room's speakers
    NoSuchModel,     // a model number outside the project's models
    NoSuchTap,       // a tap number outside the model's taps
    DialogClosed,    // the dialog was cancelled or closed
    EntryRefused,    // the dialog's form refused its values
    SameSpot,        // the user declined a second speaker at the same position and aim
    NotConfirmed,    // the user answered No to the flow's question
    PlaneAtCeiling,  // automatic installation cannot measure on a plane at the ceiling
    Error,           // something failed; `message` says what
};

// One shape for every flow's answer; nothing changed unless the status is Done.
struct CFlowResult {
    EFlowStatus status = EFlowStatus::Done;
    EFlowReason reason = EFlowReason::None;
    std::string message; // what the user was told, for Failed

    bool IsDone() const { return status == EFlowStatus::Done; }
    static CFlowResult Done() { return {}; }
    static CFlowResult Cancelled(EFlowReason why) { return {EFlowStatus::Cancelled, why, {}}; }
    static CFlowResult Refused(EFlowReason why) { return {EFlowStatus::Refused, why, {}}; }
    static CFlowResult Failed(std::string text) {
        return {EFlowStatus::Failed, EFlowReason::Error, std::move(text)};
    }
    friend bool operator==(const CFlowResult&, const CFlowResult&) = default;
};
