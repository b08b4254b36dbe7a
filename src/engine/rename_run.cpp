#include "engine/rename_run.h"

#include "platform/clock.h"
#include "platform/program_info.h"

namespace filarion::engine {

RunEnvironment defaultRunEnvironment() { return {platform::programBaseName(), &platform::currentStamp}; }

void RenameFiles(const RenameRequest& request, CommandServices& services, const RunEnvironment& environment) {
    // Not built yet.
    (void)request;
    (void)services;
    (void)environment;
}

} // namespace filarion::engine
