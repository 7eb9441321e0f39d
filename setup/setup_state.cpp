#include "setup/setup_state.h"

#include "framework/config/ini_stream.h"
#include "framework/window/gdi_objects.h"
#include "setup/features.h"
#include "setup/install_log.h"

SetupState::SetupState() = default;
SetupState::~SetupState() = default;
