#pragma once
// The process-wide abbreviation index: names, alphabetical order and counts
// of every catalogue entry by global index, rebuilt after each open.
#include "uPlandatei.h"

#include <array>

constexpr int KueIndexCount = 1337;  // global indices 0 .. 1336
constexpr int KueMarkerFirst = 1329; // first marker pseudo-entry
constexpr int KueFreiIndex = 1330;
constexpr int KueLastChecked = 1330; // index functions look no further

extern std::array<tKueStr, KueIndexCount> KueNames;
extern std::array<int16_t, KueIndexCount> KueOrder;
extern std::array<int, StoredKueArten> KueCount;

TKueart KueArtOf(int i);
bool IsFreeKuerzel(int i);
bool IsBlockKuerzel(int i);
bool IsRealKuerzel(TKueart k, int i);
bool InIndexRange(int i);
int NextKuerzel(int i);
int PrevKuerzel(int i);
int FirstKuerzel(TKueart k);
int LastKuerzel(TKueart k);
bool IsFreeOrBlockKuerzel(int i);
bool IsMarkerIndex(int i);
QString KuerzelName(int i);
QString QuotedKuerzelName(int i);
int FindKuerzel(TKueart k, const QString& s);
TKueart KueArtOfName(const QString& s);
bool KuerzelExists(TKueart k, const QString& s);

// Reads every abbreviation of the current plan file and sorts each kind.
void LoadAllKuerzel();

// The load routine (check, read, tidy) and the new-record routine of kind k.
void LoadKuerzelData(TKueart k, uint8_t* Data, int i);
void NewKuerzelData(TKueart k, uint8_t* Data, int i);
