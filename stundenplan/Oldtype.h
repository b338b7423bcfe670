#pragma once
// Older record layouts of teachers, classes and couplings, and the
// conversions between them and the current layout, by file version.
#include "uPlandatei.h"

// True when a file of this version stores kind k in an older layout.
bool NeedsConversion(TKueart k, int version);
// stored: StoredDataSize(k, version) bytes; current: RecSize[k] bytes.
void ConvertFromStored(TKueart k, int version, const uint8_t* stored, uint8_t* current);
void ConvertToStored(TKueart k, int version, const uint8_t* current, uint8_t* stored);
