// Trace scopes live with the framework's base services, which the event
// handlers use.
#pragma once

#include "framework/base/trace_scope.h"
