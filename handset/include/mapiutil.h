// Serves the program: FreeProws, which frees a row set.
#pragma once

#include <cemapi.h>

#ifdef __cplusplus
extern "C" {
#endif

// Frees every row's properties and the row set itself.
void WINAPI FreeProws(LPSRowSet lpRows);

#ifdef __cplusplus
}
#endif
