#pragma once
// The unit HLDVCL: the house's components.

#include "components/HLDVCLMutex.h"
#include "components/HLDVCLControls.h"
#include "components/HLDVCLData.h"
