// The installation step: the install logs in TARGETDIR, the components'
// archives under a progress window, then the follow-up steps (configuration
// transfer, shortcuts, registry and uninstall entry, I/O-port driver) and
// the language question.
#pragma once

class InstallPlan;
class SetupState;

// 1 installed; 2 when a component failed to extract (the files extracted
// before stay on disk and in Setup.log, which is written all the same).
// The follow-up steps report their own failures and do not change the
// result. Both logs are written before the step returns, whatever the
// result, so that a restart asked afterwards cannot lose them.
int DoInstall(SetupState& state, const InstallPlan& plan);
