#pragma once

// The key list belongs to the links service, which lives below the application layer.
#include "Platform/Links/URLKeys.h"
