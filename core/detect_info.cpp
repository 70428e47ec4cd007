#include "core/detect_info.h"

#include <cstring>

#include "res/product_texts.h"

DetectInfo gDetectInfo{};

namespace {
void CopyText(char (&field)[128], const char* text) {
  std::strncpy(field, text, sizeof(field) - 1);
  field[sizeof(field) - 1] = '\0';
}
}  // namespace

void FillDetectInfo(DetectInfo& info) {
  std::memset(&info, 0, sizeof(info));
  CopyText(info.deviceName, "TW77MBPS");
  CopyText(info.deviceDescription, kCardName);
  CopyText(info.hardwareId, "PCI\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7");
  CopyText(info.driverDescription, kCardName);
  info.detectKind = 2;
}
