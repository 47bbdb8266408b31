#pragma once

#include "base/result.h"

// The result of an operation that can fail and gives nothing back: success, or the failure's
// description as the user is to read it. The older name of Result<void>, kept while the layers
// that use it move over.
using Status = Result<void>;
