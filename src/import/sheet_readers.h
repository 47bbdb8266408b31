#pragma once

#include "import/run_context.h"

// The purchase sheet reader, for sheet numbers 1 to 6.
void ReadPurchaseSheet(RunContext& run, int sheetNumber);

// The sales sheet reader, for sheet numbers 7 to 12.
void ReadSalesSheet(RunContext& run, int sheetNumber);
