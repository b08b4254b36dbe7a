#pragma once

#include "engine/rename_request.h"
#include "engine/run_values.h"

#include <QString>
#include <cstdint>

namespace filarion::engine {

// What a step decides for one entry of a walk; the walk carries it out.
struct StepDecision {
    enum class Kind : std::uint8_t {
        Leave,           // nothing is done and nothing logged
        RefuseEmptyName, // the message and the illegal line, naming the extension as the new name
        Rename,          // renamed to newName through ApplyRename
    };
    Kind kind = Kind::Leave;
    QString newName; // the new name; for RefuseEmptyName the extension

    static StepDecision leave() { return {}; }
    static StepDecision refuseEmptyName(QStringView extension) { return {Kind::RefuseEmptyName, extension.toString()}; }
    static StepDecision renameTo(QString newName) { return {Kind::Rename, std::move(newName)}; }
};

// What a method's step reads besides its entry: the request and the values of the run's pre-scan.
struct StepInput {
    const RenameRequest& request;
    const RunValues& values;
};

// A method's step: its decision for entry i of the working set, named name.
using RenameStep = StepDecision (*)(const StepInput& input, int i, const QString& name);

} // namespace filarion::engine
