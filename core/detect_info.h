// The card identification passed to every NIVO_Detect: one record for the whole process,
// filled by the polling thread before its first detection.
#pragma once
#include "driver/nivo_records.h"

extern DetectInfo gDetectInfo;

// Zeroes the record and fills in the card's names and hardware identifier.
void FillDetectInfo(DetectInfo& info);
